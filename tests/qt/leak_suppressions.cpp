// The leak checker of the sanitizer build reads these: fontconfig keeps its
// caches for the life of the process, which is no leak of ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
