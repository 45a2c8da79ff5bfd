#pragma once

// The vector kernels of the read-ahead paths, each in a file of its own built for its instruction
// set (read_ahead_avx2.cpp, read_ahead_avx512.cpp): nothing else is, so that the module runs on
// any x86-64-v2 processor and calls them only where the processor has what they need.

#include "sampler/processor_paths.hpp"
#include "sampler/read_ahead.hpp"

namespace vantor::sampler {

#if defined(__x86_64__)
extern const StreamKernels kAvx2Kernels;
extern const StreamKernels kAvx512Kernels;
#endif

// The kernels built for `path`; none for the portable path, or where the build is not for x86-64.
inline const StreamKernels* vector_kernels(StreamPath path) {
#if defined(__x86_64__)
  if (path == StreamPath::Avx2) return &kAvx2Kernels;
  if (path == StreamPath::Avx512) return &kAvx512Kernels;
#else
  (void)path;
#endif
  return nullptr;
}

}  // namespace vantor::sampler
