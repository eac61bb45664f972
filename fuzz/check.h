#pragma once
#include <cstdio>
#include <cstdlib>

// Ends the run with a report when a property of the program does not hold: libFuzzer keeps the
// input as a crash, the replay test fails.
#define FUZZ_CHECK(cond)                                                                           \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond);          \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)
