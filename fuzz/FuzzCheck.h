// The fuzz targets' assertion: a broken promise of the module is a finding,
// so it aborts, and libFuzzer keeps the input that caused it.
#pragma once

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition, what)                                                                   \
  do {                                                                                                \
    if (!(condition)) {                                                                               \
      std::fprintf(stderr, "%s:%d: promise broken: %s (%s)\n", __FILE__, __LINE__, what, #condition); \
      std::abort();                                                                                   \
    }                                                                                                 \
  } while (0)
