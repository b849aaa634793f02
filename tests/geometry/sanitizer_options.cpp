// The allocation-failure tests ask for blocks far larger than any address space. The
// program gets null for those from the non-throwing allocation; under AddressSanitizer
// it would get a fatal report instead unless the sanitizer is told to return null too.
// Without the sanitizer nothing calls this.
extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1"; }
