#include "platform/base/sysutils.h"

#include <gtest/gtest.h>

#include "platform/base/variant.h"

using namespace vcl;

TEST(CompareText, IgnoresTheCaseOfAToZOnly) {
  EXPECT_EQ(CompareText("Smith", "SMITH"), 0);
  EXPECT_LT(CompareText("abc", "abd"), 0);
  EXPECT_GT(CompareText("abcd", "ABC"), 0);
  // Accented letters (Windows-1252 bytes) compare by code: é (0xE9) and É (0xC9) differ.
  EXPECT_NE(CompareText("\xE9", "\xC9"), 0);
  EXPECT_EQ(CompareText("", ""), 0);
}

TEST(Format, SubstitutesDelphiStyleArguments) {
  EXPECT_EQ(Format("%s: Field '%s' not found", {"Combo1", "Nmae"}), "Combo1: Field 'Nmae' not found");
  EXPECT_EQ(Format("%d items, %5.2f%%", {3, 2.5}), "3 items,  2.50%");
  EXPECT_EQ(Format("%1:s %0:s", {"a", "b"}), "b a");
  EXPECT_EQ(Format("[%-4s]", {"x"}), "[x   ]");
  EXPECT_THROW(Format("%s %s", {"only one"}), EConvertError);
  EXPECT_THROW(Format("%d", {"abc"}), EConvertError);
}

TEST(Conversions, NumbersDatesAndBooleans) {
  EXPECT_EQ(StrToInt(" -42 "), -42);
  EXPECT_THROW(StrToInt("4x"), EConvertError);
  EXPECT_THROW(StrToInt(""), EConvertError);
  EXPECT_DOUBLE_EQ(StrToFloat("1e3"), 1000.0);
  EXPECT_THROW(StrToFloat("1,5"), EConvertError);
  EXPECT_THROW(StrToFloat("nan"), EConvertError);
  EXPECT_EQ(FloatToStr(1e20), "1E20");
  int y, m, d;
  DecodeDate(EncodeDate(1999, 12, 31) + 1, y, m, d);
  EXPECT_EQ(y * 10000 + m * 100 + d, 20000101);
  EXPECT_DOUBLE_EQ(EncodeDate(1899, 12, 30), 0.0);
  EXPECT_THROW(EncodeDate(2023, 2, 29), EConvertError);
  EXPECT_DOUBLE_EQ(StrToDateTime("2000-01-01 12:00:00"), EncodeDate(2000, 1, 1) + 0.5);
  EXPECT_THROW(StrToDateTime("2000-13-01"), EConvertError);
}
