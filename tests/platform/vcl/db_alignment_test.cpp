#include "platform/vcl/db_alignment.h"

#include <gtest/gtest.h>

#include "platform/data/db.h"
#include "platform/platform_fixture.h"

using namespace vcl;

class DBAlignmentTest : public kttest::PlatformTest {};

TEST_F(DBAlignmentTest, MirrorsTextFieldsOnlyInARightToLeftContext) {
  TForm* form = MakeForm();
  auto* table = new TMemDataSet(form);
  TField* name = table->AddStringField("Name");
  TField* number = table->AddIntegerField("Number");
  TField* amount = table->AddFloatField("Amount");
  TField* flag = table->AddBooleanField("Flag");
  TField* when = table->AddDateTimeField("When");
  kttest::TRecordingControl* c = MakeControl(form, "C", Rect(0, 0, 50, 20));

  c->SetBiDiMode(bdRightToLeft);
  EXPECT_FALSE(DBUseRightToLeftAlignment(c, name));  // not a right-to-left locale
  SysLocale.MiddleEast = true;
  EXPECT_TRUE(DBUseRightToLeftAlignment(c, name));
  EXPECT_TRUE(DBUseRightToLeftAlignment(c, flag));
  EXPECT_TRUE(DBUseRightToLeftAlignment(c, nullptr));
  EXPECT_FALSE(DBUseRightToLeftAlignment(c, number));
  EXPECT_FALSE(DBUseRightToLeftAlignment(c, amount));
  EXPECT_FALSE(DBUseRightToLeftAlignment(c, when));
  c->SetBiDiMode(bdRightToLeftReadingOnly);
  EXPECT_FALSE(DBUseRightToLeftAlignment(c, name));
}
