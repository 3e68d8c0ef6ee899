#pragma once

// A broken property is a finding just like a crash: print what broke and
// abort, so libFuzzer saves the input that did it.

#include <cstdio>
#include <cstdlib>

inline void fuzzRequire(bool holds, const char *what)
{
    if (!holds) {
        std::fprintf(stderr, "property broken: %s\n", what);
        std::abort();
    }
}
