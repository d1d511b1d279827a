#pragma once
// Where the programs and the reference host find the module library and their
// data: relative to the file their code runs from, so an installed tree works
// wherever it is moved, and a build tree works the same way.
//
//   installed                                  build tree
//   <prefix>/bin/orvevizari                    <build>/bin/orvevizari (tests: <build>/tests/...)
//   <prefix>/lib/orvevizari/ORVEVIZari.so      <build>/lib/ORVEVIZari.so
//   <prefix>/share/orvevizari/catalogue-*.json <build>/share/orvevizari/ (links to the sources)
//   <prefix>/share/orvevizari/examples/
#include <string>

namespace loader {

// The folder that holds bin, lib and share: the installed prefix or the build folder.
std::string InstallRoot();
// The module library; where none is found, where an installed one would be.
std::string DefaultLibraryPath();
// The English text catalogue.
std::string DefaultCataloguePath();
// Method files, plate files and the embedding example.
std::string ExamplesFolder();

}  // namespace loader
