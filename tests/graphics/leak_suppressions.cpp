// fontconfig keeps a few hundred bytes from parsing its configuration files
// that it frees only in FcFini, which a plug-in must never call (the host may
// use fontconfig too). LeakSanitizer reads this hook at start-up.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
