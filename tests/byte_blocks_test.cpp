#include <gtest/gtest.h>

#include <random>
#include <string>

#include "convert/byte_blocks.h"

namespace txt2csv::byte_blocks {
namespace {

using namespace std::string_literals;

// The classes of a block, one byte at a time.
block_bits classify_bytewise(const char* at, const separator_probe& separator) {
  block_bits bits{};
  for (int i = 0; i < 64; ++i) {
    const std::uint64_t bit = std::uint64_t{1} << i;
    const char byte = at[i];
    const char next = at[i + 1];
    if (static_cast<unsigned char>(byte) >= 0x80) bits.high |= bit;
    if (byte == separator.first && (!separator.two_bytes || next == separator.second))
      bits.separator |= bit;
    if (byte == '\r' && next == '\n') bits.line_break |= bit;
    if (byte == ',' || byte == '"' || byte == '\r' || byte == '\n' || byte == '\0')
      bits.special |= bit;
  }
  return bits;
}

void expect_same(const block_bits& bits, const block_bits& expected) {
  EXPECT_EQ(bits.high, expected.high);
  EXPECT_EQ(bits.separator, expected.separator);
  EXPECT_EQ(bits.line_break, expected.line_break);
  EXPECT_EQ(bits.special, expected.special);
}

template <class lanes>
void check_lanes(std::mt19937& random) {
  const std::string alphabet = "a|:,\"\r\n\x81\xA3\xAC\0"s;
  const separator_probe separators[] = {{'|', 0, false}, {':', ':', true}, {'\xA3', '\xAC', true}};
  for (int round = 0; round < 2000; ++round) {
    char block[65];
    for (char& byte : block) byte = alphabet[random() % alphabet.size()];
    const separator_probe& separator = separators[round % std::size(separators)];
    SCOPED_TRACE(std::string(block, sizeof block));
    expect_same(classify<lanes>(block, separator), classify_bytewise(block, separator));

    char copied[64];
    const std::uint64_t where = random() | (std::uint64_t{random()} << 32);
    lanes::copy_replacing(copied, block, where, ',');
    std::string expected(block, 64);
    for (int i = 0; i < 64; ++i)
      if ((where >> i) & 1) expected[i] = ',';
    EXPECT_EQ(std::string(copied, 64), expected);
  }
}

TEST(byte_blocks, sse2_classes_match_a_bytewise_look) {
  std::mt19937 random(5);
  check_lanes<sse2>(random);
}

TEST(byte_blocks, avx2_classes_match_a_bytewise_look) {
  if (widest_lanes() == lanes_choice::sse2) GTEST_SKIP() << "no AVX2 on this processor";
  std::mt19937 random(6);
  check_lanes<avx2>(random);
}

TEST(byte_blocks, avx512_classes_match_a_bytewise_look) {
  if (widest_lanes() != lanes_choice::avx512) GTEST_SKIP() << "no AVX-512 on this processor";
  std::mt19937 random(8);
  check_lanes<avx512>(random);
}

// Second bytes found by walking the characters from a known boundary.
std::uint64_t second_bytes_walked(std::uint64_t high, bool lead_before, bool& lead_at_end) {
  std::uint64_t second = 0;
  bool is_second = lead_before;
  for (int i = 0; i < 64; ++i) {
    if (is_second) second |= std::uint64_t{1} << i;
    is_second = !is_second && ((high >> i) & 1);
  }
  lead_at_end = is_second;
  return second;
}

TEST(byte_blocks, second_bytes_follow_the_character_walk) {
  std::mt19937_64 random(7);
  for (int round = 0; round < 100000; ++round) {
    // Long runs of high bytes matter most: their parity decides.
    std::uint64_t high = random() | random();
    if (round % 3 == 0) high = ~std::uint64_t{0} << (random() % 64);
    if (round % 5 == 0) high = ~std::uint64_t{0} >> (random() % 64);
    if (round % 7 == 0) high = random() & random();
    const bool lead_before = round & 1;
    std::uint64_t carry = lead_before;
    bool lead_at_end = false;
    ASSERT_EQ(second_bytes(high, carry), second_bytes_walked(high, lead_before, lead_at_end))
        << std::hex << high << " after a lead: " << lead_before;
    ASSERT_EQ(carry, lead_at_end ? 1u : 0u) << std::hex << high;
  }
}

}  // namespace
}  // namespace txt2csv::byte_blocks
