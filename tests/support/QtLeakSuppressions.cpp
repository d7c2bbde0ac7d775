// fontconfig, which Qt uses to find fonts, keeps its configuration allocated until the
// process ends without anything pointing at it; LeakSanitizer would report that at exit.
// The hook is read from the executable, so it lives in the test program.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}
