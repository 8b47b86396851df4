#pragma once

#include <cstdio>
#include <cstdlib>

// A property of a fuzz target that did not hold: names it and aborts, so that libFuzzer keeps the
// input as a crash.
inline void require(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "property failed: %s\n", what);
        std::abort();
    }
}
