# `make package` (cpack -G DEB in a build folder): one Debian package of
# everything `cmake --install` puts under /usr. Its Depends come from the
# libraries the programs and libraries link (dpkg-shlibdeps): runtime
# packages only. Installing it enables no service.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvevizari)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "ORVEVIZari maintainers <orvevizari@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "acquisition module of a fluorescence plate reader, with its hosts and instrument server")
set(CPACK_PACKAGE_DESCRIPTION
    "ORVEVIZari measures well plates on a fluorescence spectrometer's plate reader. The package holds the module library, the command-line and desktop hosts, the simulated instrument as a server program with a systemd unit (not enabled), man pages, examples, the instrument server protocol, and an SDK: the host interface headers, a reference host library and a CMake package for hosts of one's own.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The package's own libraries satisfy each other's needs.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR}/lib)
include(CPack)
