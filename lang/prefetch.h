// A hint to the processor to fetch memory that is about to be read. Walking a slot in ID
// order reads its file text out of order, and the loops that do so are long enough per
// entry that the processor does not run ahead to the next entries on its own.
#pragma once

#if defined(_MSC_VER) && !defined(__clang__) && (defined(_M_X64) || defined(_M_IX86))
#include <xmmintrin.h>
#endif

namespace lang {

inline void PrefetchForRead(const void* p) {
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(p);
#elif defined(_MSC_VER) && (defined(_M_X64) || defined(_M_IX86))
    _mm_prefetch(static_cast<const char*>(p), _MM_HINT_T0);
#else
    (void)p;
#endif
}

// How many entries ahead the loops ask for.
constexpr size_t kPrefetchDistance = 8;

}  // namespace lang
