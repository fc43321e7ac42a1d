#include "vector_state.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

namespace {

__attribute__((target("avx"))) void ZeroUpperAvx() { _mm256_zeroupper(); }

}  // namespace

void ClearUpperVectorState()
{
    if (__builtin_cpu_supports("avx"))
        ZeroUpperAvx();
}

#else

void ClearUpperVectorState() {}

#endif
