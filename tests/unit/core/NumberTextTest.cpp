#include <gtest/gtest.h>

#include "core/NumberText.h"

namespace ferolith {
namespace {

TEST(UnsignedAutoBase, ReadsDecimalHexAndOctalAlike) {
  EXPECT_EQ(ParseUnsignedAutoBase("0x800"), 2048u);
  EXPECT_EQ(ParseUnsignedAutoBase("0X800"), 2048u);
  EXPECT_EQ(ParseUnsignedAutoBase("2048"), 2048u);
  EXPECT_EQ(ParseUnsignedAutoBase("04000"), 2048u);
}

TEST(UnsignedAutoBase, StopsAtTheFirstCharacterThatDoesNotFit) {
  EXPECT_EQ(ParseUnsignedAutoBase("  \t12abc"), 12u);
  EXPECT_EQ(ParseUnsignedAutoBase("019"), 1u);    // 9 is no octal digit
  EXPECT_EQ(ParseUnsignedAutoBase("0x"), 0u);     // the x does not fit after "0"
  EXPECT_EQ(ParseUnsignedAutoBase("0xg1"), 0u);
  EXPECT_EQ(ParseUnsignedAutoBase("abc"), 0u);
  EXPECT_EQ(ParseUnsignedAutoBase(""), 0u);
  EXPECT_EQ(ParseUnsignedAutoBase("+7"), 7u);
}

TEST(UnsignedAutoBase, BehavesLikeA32BitStrtoulAtTheLimits) {
  EXPECT_EQ(ParseUnsignedAutoBase("4294967295"), 0xFFFFFFFFu);
  EXPECT_EQ(ParseUnsignedAutoBase("4294967296"), 0xFFFFFFFFu);
  EXPECT_EQ(ParseUnsignedAutoBase("0x1FFFFFFFF"), 0xFFFFFFFFu);
  EXPECT_EQ(ParseUnsignedAutoBase("99999999999999999999999"), 0xFFFFFFFFu);
  EXPECT_EQ(ParseUnsignedAutoBase("-1"), 0xFFFFFFFFu);
  EXPECT_EQ(ParseUnsignedAutoBase("-0x10"), 0xFFFFFFF0u);
}

TEST(SignedAutoBase, SaturatesAtTheLimitsOfA32BitLong) {
  EXPECT_EQ(ParseSignedAutoBase("0x278"), 0x278);
  EXPECT_EQ(ParseSignedAutoBase("378"), 378);
  EXPECT_EQ(ParseSignedAutoBase("888"), 0x378);
  EXPECT_EQ(ParseSignedAutoBase("0x3bc"), 0x3BC);
  EXPECT_EQ(ParseSignedAutoBase("Port"), 0);
  EXPECT_EQ(ParseSignedAutoBase("-5"), -5);
  EXPECT_EQ(ParseSignedAutoBase("2147483647"), 2147483647);
  EXPECT_EQ(ParseSignedAutoBase("2147483648"), 2147483647);
  EXPECT_EQ(ParseSignedAutoBase("-2147483648"), -2147483647 - 1);
  EXPECT_EQ(ParseSignedAutoBase("-2147483649"), -2147483647 - 1);
}

TEST(HexText, AcceptsTheOptionalPrefixAndBothCases) {
  EXPECT_EQ(ParseHex("3bc"), 0x3BCu);
  EXPECT_EQ(ParseHex("0x3BC"), 0x3BCu);
  EXPECT_EQ(ParseHex("1C5"), 0x1C5u);
  EXPECT_EQ(ParseHex("xyz"), 0u);
  EXPECT_EQ(ParseHex("123456789"), 0xFFFFFFFFu);
  // A whole field of a limited number of digits, as a byte, a port address
  // or a checksum is given.
  EXPECT_EQ(HexDigitsValue("0Xc5", 2), 0xC5u);
  EXPECT_EQ(HexDigitsValue("FFFFFFFF", 8), 0xFFFFFFFFu);
  for (const char* refused : {"", "0x", "1c5", " c5", "c5 ", "+5", "g1"}) {
    EXPECT_FALSE(HexDigitsValue(refused, 2)) << refused;
  }
}

TEST(WholeUnsigned, AcceptsOnlyDigitsThatFit) {
  std::uint32_t value = 0;
  EXPECT_TRUE(IsWholeUnsigned(" 10000 ", &value));
  EXPECT_EQ(value, 10000u);
  EXPECT_TRUE(IsWholeUnsigned("4294967295", &value));
  EXPECT_FALSE(IsWholeUnsigned("4294967296", &value));
  EXPECT_FALSE(IsWholeUnsigned("", &value));
  EXPECT_FALSE(IsWholeUnsigned("12a", &value));
  EXPECT_FALSE(IsWholeUnsigned("-1", &value));
  EXPECT_FALSE(IsWholeUnsigned("1 2", &value));
}

}  // namespace
}  // namespace ferolith
