#include "primitives/utf8_blocks.h"

#include <immintrin.h>

#include <cstdint>

namespace txt2csv {

namespace {

// Each byte is checked with the byte before it: three table lookups, by the
// high and the low half of the byte before and by the high half of the byte
// itself, whose bits all hold only where a pair is wrong in one way. Third
// and fourth bytes of longer sequences are then checked apart.
constexpr std::uint8_t too_short = 1 << 0;   // a lead byte not followed by a continuation
constexpr std::uint8_t too_long = 1 << 1;    // ASCII followed by a continuation
constexpr std::uint8_t overlong_3 = 1 << 2;  // E0 80..9F
constexpr std::uint8_t too_large = 1 << 3;   // F4 90..BF, F5..FF 90..BF
constexpr std::uint8_t surrogate = 1 << 4;   // ED A0..BF
constexpr std::uint8_t overlong_2 = 1 << 5;  // C0, C1
constexpr std::uint8_t too_large_1000 = 1 << 6;  // F5..FF 80..8F
constexpr std::uint8_t overlong_4 = 1 << 6;      // F0 80..8F
constexpr std::uint8_t two_continuations = 1 << 7;
constexpr std::uint8_t any_lead_low = too_short | too_long | two_continuations;

constexpr std::uint8_t first_high[16] = {
    too_long, too_long, too_long, too_long, too_long, too_long, too_long, too_long,
    two_continuations, two_continuations, two_continuations, two_continuations,
    too_short | overlong_2,
    too_short,
    too_short | overlong_3 | surrogate,
    too_short | too_large | too_large_1000 | overlong_4};

constexpr std::uint8_t first_low[16] = {
    any_lead_low | overlong_3 | overlong_2 | overlong_4,
    any_lead_low | overlong_2,
    any_lead_low,
    any_lead_low,
    any_lead_low | too_large,
    any_lead_low | too_large | too_large_1000,
    any_lead_low | too_large | too_large_1000,
    any_lead_low | too_large | too_large_1000,
    any_lead_low | too_large | too_large_1000,
    any_lead_low | too_large | too_large_1000,
    any_lead_low | too_large | too_large_1000,
    any_lead_low | too_large | too_large_1000,
    any_lead_low | too_large | too_large_1000,
    any_lead_low | too_large | too_large_1000 | surrogate,
    any_lead_low | too_large | too_large_1000,
    any_lead_low | too_large | too_large_1000};

constexpr std::uint8_t continuation_any = too_long | overlong_2 | two_continuations;
constexpr std::uint8_t second_high[16] = {
    too_short, too_short, too_short, too_short, too_short, too_short, too_short, too_short,
    continuation_any | overlong_3 | too_large_1000 | overlong_4,
    continuation_any | overlong_3 | too_large,
    continuation_any | surrogate | too_large,
    continuation_any | surrogate | too_large,
    too_short, too_short, too_short, too_short};

[[gnu::target("avx2")]] __m256i table(const std::uint8_t (&entries)[16]) {
  return _mm256_broadcastsi128_si256(
      _mm_loadu_si128(reinterpret_cast<const __m128i*>(entries)));
}

[[gnu::target("avx2")]] __m256i high_halves(__m256i bytes) {
  return _mm256_and_si256(_mm256_srli_epi16(bytes, 4), _mm256_set1_epi8(0x0F));
}

[[gnu::target("avx2")]] utf8_blocks_check check_with_avx2(std::string_view bytes) {
  const __m256i first_high_table = table(first_high);
  const __m256i first_low_table = table(first_low);
  const __m256i second_high_table = table(second_high);
  const __m256i low_half = _mm256_set1_epi8(0x0F);

  __m256i previous = _mm256_setzero_si256();  // as if ASCII came before
  __m256i errors = _mm256_setzero_si256();
  __m256i high = _mm256_setzero_si256();
  size_t at = 0;
  for (; at + 32 <= bytes.size(); at += 32) {
    const __m256i input = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes.data() + at));
    const __m256i carried = _mm256_permute2x128_si256(previous, input, 0x21);
    const __m256i before_1 = _mm256_alignr_epi8(input, carried, 15);
    const __m256i before_2 = _mm256_alignr_epi8(input, carried, 14);
    const __m256i before_3 = _mm256_alignr_epi8(input, carried, 13);
    const __m256i pair_errors = _mm256_and_si256(
        _mm256_and_si256(_mm256_shuffle_epi8(first_high_table, high_halves(before_1)),
                         _mm256_shuffle_epi8(first_low_table, _mm256_and_si256(before_1, low_half))),
        _mm256_shuffle_epi8(second_high_table, high_halves(input)));
    // Bytes that must be continuations: two after E0..FF, three after F0..FF.
    const __m256i must_continue = _mm256_and_si256(
        _mm256_or_si256(_mm256_subs_epu8(before_2, _mm256_set1_epi8(char(0xE0 - 0x80))),
                        _mm256_subs_epu8(before_3, _mm256_set1_epi8(char(0xF0 - 0x80)))),
        _mm256_set1_epi8(char(0x80)));
    errors = _mm256_or_si256(errors, _mm256_xor_si256(must_continue, pair_errors));
    high = _mm256_or_si256(high, input);
    previous = input;
  }
  return {at, !_mm256_testz_si256(errors, errors), _mm256_movemask_epi8(high) != 0};
}

}  // namespace

utf8_blocks_check check_utf8_blocks(std::string_view bytes) {
  if (!__builtin_cpu_supports("avx2")) return {};
  return check_with_avx2(bytes);
}

}  // namespace txt2csv
