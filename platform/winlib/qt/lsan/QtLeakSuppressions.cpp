// fontconfig, which Qt uses to find fonts, keeps its configuration allocated until the
// process ends without anything pointing at it; LeakSanitizer would report that at exit.
// The hook is read from the executable, so every program that shows windows through Qt links
// this file in (the winlib_qt_lsan object library).
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}
