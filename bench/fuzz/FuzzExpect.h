#pragma once

#include <cstdio>
#include <cstdlib>

namespace springtest::fuzz {

// A property every input must keep. A violation ends the run as a crash does, so that the fuzzer keeps the
// input and the corpus replay fails on it.
inline void expect(bool holds, const char* property) {
    if (holds) return;
    std::fprintf(stderr, "property violated: %s\n", property);
    std::abort();
}

}  // namespace springtest::fuzz
