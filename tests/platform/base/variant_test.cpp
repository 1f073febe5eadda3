#include "platform/base/variant.h"

#include <gtest/gtest.h>

using namespace vcl;

TEST(Variant, KindsAndTextOfEachKind) {
  EXPECT_TRUE(VarIsEmpty(Variant()));
  EXPECT_TRUE(VarIsNull(Variant(Null)));
  EXPECT_EQ(VarToStr(Variant()), "");
  EXPECT_EQ(VarToStr(Variant(Null)), "");
  EXPECT_EQ(VarToStr(Variant(42)), "42");
  EXPECT_EQ(VarToStr(Variant(1.5)), "1.5");
  EXPECT_EQ(VarToStr(Variant(0.1)), "0.1");
  EXPECT_EQ(VarToStr(Variant(true)), "True");
  EXPECT_EQ(VarToStr(Variant("abc")), "abc");
  EXPECT_EQ(VarToStr(Variant::FromDateTime(EncodeDate(2024, 2, 29))), "2024-02-29");
  EXPECT_EQ(VarToStr(Variant::FromDateTime(EncodeDate(2024, 2, 29) + EncodeTime(13, 5, 9))),
            "2024-02-29 13:05:09");
}

TEST(Variant, ConversionsRaiseWhereTheyCannotConvert) {
  EXPECT_EQ(Variant("17").AsInteger(), 17);
  EXPECT_DOUBLE_EQ(Variant("2.25").AsFloat(), 2.25);
  EXPECT_TRUE(Variant("true").AsBoolean());
  EXPECT_THROW(Variant("abc").AsInteger(), EVariantError);
  EXPECT_THROW(Variant(Null).AsInteger(), EVariantError);
  EXPECT_THROW(VarArrayCreate(0, 1).AsString(), EVariantError);
  EXPECT_EQ(Variant().AsInteger(), 0);
}

TEST(Variant, EqualityAcrossTypes) {
  EXPECT_TRUE(Variant(Null) == Variant(Null));  // Null equals Null
  EXPECT_FALSE(Variant(Null) == Variant(0));
  EXPECT_FALSE(Variant(Null) == Variant(""));
  EXPECT_TRUE(Variant() == Variant());
  EXPECT_FALSE(Variant() == Variant(Null));
  EXPECT_FALSE(Variant() == Variant(0));
  EXPECT_TRUE(Variant(3) == Variant(3.0));
  EXPECT_TRUE(Variant("3") == Variant(3));
  EXPECT_TRUE(Variant(3) == Variant("3"));
  EXPECT_FALSE(Variant("abc") == Variant("ABC"));  // strings compare case-sensitively
  EXPECT_THROW((void)(Variant("abc") == Variant(1)), EVariantError);
  EXPECT_THROW((void)(VarArrayOf({1}) == Variant(1)), EVariantError);
  EXPECT_TRUE(VarArrayOf({1, "a"}) == VarArrayOf({1, "a"}));
  EXPECT_FALSE(VarArrayOf({1, "a"}) == VarArrayOf({1, "b"}));
}

TEST(Variant, ArraysHaveBoundsAndRaiseOutsideThem) {
  Variant a = VarArrayCreate(0, 2);
  EXPECT_EQ(VarArrayLowBound(a), 0);
  EXPECT_EQ(VarArrayHighBound(a), 2);
  EXPECT_TRUE(VarIsEmpty(a.GetElement(1)));
  a.PutElement(2, "x");
  EXPECT_THROW(a.PutElement(3, 1), ERangeError);
  EXPECT_THROW(a.GetElement(-1), ERangeError);
  VarArrayRedim(a, -1);  // high bound -1 gives no elements
  EXPECT_EQ(a.ElementCount(), 0);
  EXPECT_THROW(a.PutElement(0, 1), ERangeError);
  VarArrayRedim(a, 1);
  EXPECT_EQ(a.ElementCount(), 2);
  EXPECT_THROW(VarArrayRedim(a, -2), ERangeError);
}

TEST(Variant, CopiesOfArraysAreIndependent) {
  Variant a = VarArrayOf({1, 2});
  Variant b = a;
  b.PutElement(0, 99);
  EXPECT_EQ(a.GetElement(0).AsInteger(), 1);
  EXPECT_EQ(b.GetElement(0).AsInteger(), 99);
}
