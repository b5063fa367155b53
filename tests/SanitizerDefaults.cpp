// Sanitizer settings built into every test program of the sanitizer build, so that a program
// run by ctest, by test discovery or by hand checks the same way.
//
// intercept_tls_get_addr=0: the runtime of GCC 12 takes a thread's dynamic TLS block that starts
// 16 bytes into a page for a glibc 2.19 block header and reads a bogus range from before it
// (glibc >= 2.25 has no such header; fixed upstream in 2023). The leak checker's tracer then
// dies with "Tracer caught signal 11" after a test has passed. Where a block lands depends on
// the environment's size, which is why it struck some tests under ctest and not when run by
// hand. Without the interceptor, dynamic TLS is not scanned for pointers; only the client
// libraries keep any there, and their one-time allocations are suppressed anyway.
extern "C" const char* __asan_default_options() {
    return "intercept_tls_get_addr=0";
}

extern "C" const char* __lsan_default_options() {
    return "suppressions=" INZEFOR_SOURCE_DIR "/tests/lsan.supp:print_suppressions=0";
}
