// AddressSanitizer's defaults for every fuzz program. One program serves a whole run, so freed
// memory need not wait long before it is used again: a smaller quarantine keeps the run's memory
// and page faults down, and still finds a use after free within an input. An allocation keeps
// only its caller: Qt is built without frame pointers, so deeper frames are whatever its
// registers held, and each such stack, kept for the whole run, grew the memory by tens of
// megabytes a minute. To replay a finding with whole allocation stacks, run it with
// ASAN_OPTIONS=malloc_context_size=30.
extern "C" const char* __asan_default_options() {
    return "quarantine_size_mb=32:malloc_context_size=2";
}
