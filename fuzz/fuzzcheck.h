#pragma once

#include <cstdio>
#include <cstdlib>

// A property a fuzz target checks: a violation stops the run like a crash, so libFuzzer keeps the
// input that caused it.
#define FUZZ_CHECK(condition)                                                                                          \
    do {                                                                                                               \
        if (!(condition)) {                                                                                            \
            std::fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__);                   \
            std::abort();                                                                                              \
        }                                                                                                              \
    } while (false)
