// The streaming converter looks at its input 64 bytes at a time: one bit per
// byte for each class of byte it cares about, found with SSE2 (every x86-64),
// AVX2 or AVX-512 (the widest the processor has, chosen at run time), and GBK
// character boundaries found from those bits without walking the bytes.
#pragma once

#include <immintrin.h>

#include <cstddef>
#include <cstdint>

namespace txt2csv::byte_blocks {

inline constexpr size_t block_size = 64;

// Bit i stands for byte i of the block.
struct block_bits {
  std::uint64_t high;        // 0x80 or more
  std::uint64_t separator;   // the separator's first byte, followed by its second when it has two or more
  std::uint64_t line_break;  // CR followed by LF
  std::uint64_t special;     // , " CR LF: a field holding one is quoted; and NUL, the text's end
};

struct separator_probe {
  char first;
  char second;
  bool two_bytes;
};

// A byte of 0x80 or more begins a two-byte character unless it is itself the
// second byte of one, so a byte is a second byte exactly when it follows a
// run of odd length of such bytes. `carry` says whether the byte before the
// block began a character; it is updated for the next block.
constexpr std::uint64_t second_bytes(std::uint64_t high, std::uint64_t& carry) {
  constexpr std::uint64_t odd_bits = 0xAAAAAAAAAAAAAAAAULL;
  const std::uint64_t may_begin = high & ~carry;
  // A run starting on an even bit leaves the odd bits of (run << 1) - run.
  const std::uint64_t begins_or_follows = (((may_begin << 1) | odd_bits) - may_begin) ^ odd_bits;
  const std::uint64_t second = begins_or_follows ^ (high | carry);
  carry = (begins_or_follows & high) >> 63;
  return second;
}

// Each lane set gives the bits of 64 bytes from `at` that are 0x80 or more,
// or equal to `byte`, and copies 64 bytes with those at the bits of `where`
// turned into `with`.
struct sse2 {
  static std::uint64_t high(const char* at) {
    return combine([](__m128i bytes) { return bytes; }, at);
  }
  static std::uint64_t equal(const char* at, char byte) {
    const __m128i match = _mm_set1_epi8(byte);
    return combine([&](__m128i bytes) { return _mm_cmpeq_epi8(bytes, match); }, at);
  }

  static void copy_replacing(char* to, const char* from, std::uint64_t where, char with) {
    const __m128i replacement = _mm_set1_epi8(with);
#pragma GCC unroll 4
    for (int part = 0; part < 4; ++part) {
      const __m128i bytes = load(from + 16 * part);
      const __m128i chosen = byte_mask(static_cast<std::uint16_t>(where >> (16 * part)));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 16 * part),
                       _mm_or_si128(_mm_and_si128(chosen, replacement),
                                    _mm_andnot_si128(chosen, bytes)));
    }
  }

 private:
  static __m128i load(const char* at) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at)); }

  // The sign bits of `mask(bytes)` for each 16 of the 64 bytes.
  template <class mask_of>
  static std::uint64_t combine(const mask_of& mask, const char* at) {
    std::uint64_t bits = 0;
#pragma GCC unroll 4
    for (int part = 0; part < 4; ++part)
      bits |= std::uint64_t{static_cast<std::uint16_t>(_mm_movemask_epi8(mask(load(at + 16 * part))))}
              << (16 * part);
    return bits;
  }

  // Byte i all ones when bit i is set.
  static __m128i byte_mask(std::uint16_t bits) {
    __m128i spread = _mm_cvtsi32_si128(bits);
    spread = _mm_unpacklo_epi8(spread, spread);
    spread = _mm_unpacklo_epi16(spread, spread);
    spread = _mm_unpacklo_epi32(spread, spread);
    const __m128i bit = _mm_set1_epi64x(static_cast<long long>(0x8040201008040201ULL));
    return _mm_cmpeq_epi8(_mm_and_si128(spread, bit), bit);
  }
};

struct avx2 {
  [[gnu::target("avx2")]] static std::uint64_t high(const char* at) {
    return bits_of(load(at)) | bits_of(load(at + 32)) << 32;
  }
  [[gnu::target("avx2")]] static std::uint64_t equal(const char* at, char byte) {
    const __m256i match = _mm256_set1_epi8(byte);
    return bits_of(_mm256_cmpeq_epi8(load(at), match)) |
           bits_of(_mm256_cmpeq_epi8(load(at + 32), match)) << 32;
  }

  [[gnu::target("avx2")]] static void copy_replacing(char* to, const char* from,
                                                     std::uint64_t where, char with) {
    const __m256i replacement = _mm256_set1_epi8(with);
#pragma GCC unroll 2
    for (int part = 0; part < 2; ++part) {
      const __m256i chosen = byte_mask(static_cast<std::uint32_t>(where >> (32 * part)));
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(to + 32 * part),
                          _mm256_blendv_epi8(load(from + 32 * part), replacement, chosen));
    }
  }

 private:
  [[gnu::target("avx2")]] static __m256i load(const char* at) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
  }
  [[gnu::target("avx2")]] static std::uint64_t bits_of(__m256i mask) {
    return static_cast<std::uint32_t>(_mm256_movemask_epi8(mask));
  }
  // Byte i all ones when bit i is set.
  [[gnu::target("avx2")]] static __m256i byte_mask(std::uint32_t bits) {
    const __m256i spread = _mm256_shuffle_epi8(
        _mm256_set1_epi32(static_cast<int>(bits)),
        _mm256_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 2, 2, 2, 3,
                         3, 3, 3, 3, 3, 3, 3));
    const __m256i bit = _mm256_set1_epi64x(static_cast<long long>(0x8040201008040201ULL));
    return _mm256_cmpeq_epi8(_mm256_and_si256(spread, bit), bit);
  }
};

// Its compares give the bits directly, and its blend takes them.
struct avx512 {
  [[gnu::target("avx512bw")]] static std::uint64_t high(const char* at) {
    return _mm512_movepi8_mask(_mm512_loadu_si512(at));
  }
  [[gnu::target("avx512bw")]] static std::uint64_t equal(const char* at, char byte) {
    return _mm512_cmpeq_epi8_mask(_mm512_loadu_si512(at), _mm512_set1_epi8(byte));
  }

  [[gnu::target("avx512bw")]] static void copy_replacing(char* to, const char* from,
                                                         std::uint64_t where, char with) {
    _mm512_storeu_si512(to, _mm512_mask_blend_epi8(where, _mm512_loadu_si512(from),
                                                   _mm512_set1_epi8(with)));
  }
};

// The classes of the 64 bytes from `at`, looking at one byte more.
template <class lanes>
[[gnu::always_inline]] inline block_bits classify(const char* at,
                                                  const separator_probe& separator) {
  const std::uint64_t cr = lanes::equal(at, '\r');
  std::uint64_t separator_bits = lanes::equal(at, separator.first);
  if (separator.two_bytes) separator_bits &= lanes::equal(at + 1, separator.second);
  return {lanes::high(at), separator_bits, cr & lanes::equal(at + 1, '\n'),
          cr | lanes::equal(at, '\n') | lanes::equal(at, ',') | lanes::equal(at, '"') |
              lanes::equal(at, '\0')};
}

enum class lanes_choice { sse2, avx2, avx512 };

// The widest this processor and its system can run.
inline lanes_choice widest_lanes() {
  if (__builtin_cpu_supports("avx512bw")) return lanes_choice::avx512;
  if (__builtin_cpu_supports("avx2")) return lanes_choice::avx2;
  return lanes_choice::sse2;
}

}  // namespace txt2csv::byte_blocks
