// memcpy and memmove for the Windows build. The C runtime's copy small blocks with string
// instructions one to four bytes at a time; the engine copies a few bytes per key and field,
// millions of times per table, and paid two to four times the copy itself for that. Linked
// before the C runtime, these serve the program's own code and the C++ library's alike.
#include <emmintrin.h>

#include <cstddef>
#include <cstdint>

namespace {

using std::size_t;

// Unaligned loads and stores of any object's bytes.
typedef std::uint64_t __attribute__((may_alias, aligned(1))) U64;
typedef std::uint32_t __attribute__((may_alias, aligned(1))) U32;
typedef std::uint16_t __attribute__((may_alias, aligned(1))) U16;

__m128i Load(const char* s) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(s)); }
void Store(char* d, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(d), v); }

// Up to 16 bytes, every one read before any is written: blocks that overlap copy right.
void Small(char* d, const char* s, size_t n) {
  if (n >= 8) {
    const std::uint64_t a = *reinterpret_cast<const U64*>(s), b = *reinterpret_cast<const U64*>(s + n - 8);
    *reinterpret_cast<U64*>(d) = a;
    *reinterpret_cast<U64*>(d + n - 8) = b;
  } else if (n >= 4) {
    const std::uint32_t a = *reinterpret_cast<const U32*>(s), b = *reinterpret_cast<const U32*>(s + n - 4);
    *reinterpret_cast<U32*>(d) = a;
    *reinterpret_cast<U32*>(d + n - 4) = b;
  } else if (n >= 2) {
    const std::uint16_t a = *reinterpret_cast<const U16*>(s), b = *reinterpret_cast<const U16*>(s + n - 2);
    *reinterpret_cast<U16*>(d) = a;
    *reinterpret_cast<U16*>(d + n - 2) = b;
  } else if (n == 1) {
    *d = *s;
  }
}

}  // namespace

extern "C" void* memmove(void* dst, const void* src, size_t n) {
  char* d = static_cast<char*>(dst);
  const char* s = static_cast<const char*>(src);
  if (n <= 16) {
    Small(d, s, n);
    return dst;
  }
  // Up to 64 bytes, read whole before written.
  if (n <= 32) {
    const __m128i a = Load(s), b = Load(s + n - 16);
    Store(d, a);
    Store(d + n - 16, b);
    return dst;
  }
  if (n <= 64) {
    const __m128i a = Load(s), b = Load(s + 16), c = Load(s + n - 32), e = Load(s + n - 16);
    Store(d, a);
    Store(d + 16, b);
    Store(d + n - 32, c);
    Store(d + n - 16, e);
    return dst;
  }
  const std::uintptr_t to = reinterpret_cast<std::uintptr_t>(d), from = reinterpret_cast<std::uintptr_t>(s);
  if (to + n <= from || from + n <= to) {
    if (n >= 1024) {
      asm volatile("rep movsb" : "+D"(d), "+S"(s), "+c"(n) : : "memory");
      return dst;
    }
    const __m128i last = Load(s + n - 16);
    for (size_t i = 0; i + 16 < n; i += 16) Store(d + i, Load(s + i));
    Store(d + n - 16, last);
    return dst;
  }
  // Overlapping: forward when the target lies below the source, else from the end, 16 bytes
  // at a time, each piece read before it is written over.
  if (to < from) {
    size_t i = 0;
    for (; n - i >= 16; i += 16) Store(d + i, Load(s + i));
    Small(d + i, s + i, n - i);
    return dst;
  }
  while (n >= 16) {
    n -= 16;
    Store(d + n, Load(s + n));
  }
  Small(d, s, n);
  return dst;
}

extern "C" void* memcpy(void* dst, const void* src, size_t n) { return memmove(dst, src, n); }
