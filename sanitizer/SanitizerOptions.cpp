// Defaults of the sanitizer runtimes, linked into every binary of a BRELTA_SANITIZE build, so
// that the tool, the unit tests and the tool runs of the end-to-end tests stop and fail on
// the first finding however they are started (ctest by hand, ./test, a person). Variables
// such as ASAN_OPTIONS given in the environment still override these.
//
// The runtimes call these functions before their own set-up is complete, so they must not be
// instrumented themselves.

#define BRELTA_SANITIZER_HOOK \
    extern "C" __attribute__((visibility("default"), used, no_sanitize("address", "undefined")))

BRELTA_SANITIZER_HOOK const char* __asan_default_options() {
    // Leaks count as findings; a use after return is looked for too (the tool hands out
    // pointers into its own frames to GLib callbacks). exitcode 1 makes the run fail.
    return "detect_leaks=1:halt_on_error=1:abort_on_error=0:exitcode=1:"
           "detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1";
}

BRELTA_SANITIZER_HOOK const char* __ubsan_default_options() {
    return "halt_on_error=1:print_stacktrace=1:report_error_type=1";
}

BRELTA_SANITIZER_HOOK const char* __lsan_default_options() {
#ifdef BRELTA_LEAK_CHECK_WHEN_ASKED
    // The workbench: a command ends a moment after it began, and what it leaks ends with it,
    // while the check at exit costs each of the suite's two thousand starts 30 ms, a third of
    // the sanitizer suite's CPU time. The screen, which runs for hours, asks for the check
    // when it ends (ScreenCommand.cpp).
    return "exitcode=23:print_suppressions=0:leak_check_at_exit=0";
#else
    return "exitcode=23:print_suppressions=0";
#endif
}
