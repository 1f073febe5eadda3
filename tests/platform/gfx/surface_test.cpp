#include "platform/gfx/surface.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "platform/base/sysutils.h"
#include "platform/gfx/png.h"

using namespace vcl;

TEST(Surface, StartsFilledAndResolvesSystemColours) {
  TSurface s(4, 3, clBtnFace);
  EXPECT_EQ(s.Width(), 4);
  EXPECT_EQ(s.Height(), 3);
  EXPECT_EQ(s.Pixel(3, 2), RGB(0xC0, 0xC0, 0xC0));
  s.SetPixel(1, 1, clHighlight);
  EXPECT_EQ(s.Pixel(1, 1), RGB(0, 0, 0x80));
}

TEST(Surface, IgnoresWritesOutsideAndReadsBlackThere) {
  TSurface s(2, 2, clWhite);
  s.SetPixel(-1, 0, clRed);
  s.SetPixel(2, 1, clRed);
  s.Fill(Rect(-5, -5, 1, 1), clRed);
  s.Fill(Rect(1, 1, 10, 10), clBlue);
  EXPECT_EQ(s.Pixel(0, 0), clRed);
  EXPECT_EQ(s.Pixel(1, 0), clWhite);
  EXPECT_EQ(s.Pixel(0, 1), clWhite);
  EXPECT_EQ(s.Pixel(1, 1), clBlue);
  EXPECT_EQ(s.Pixel(5, 5), clBlack);
}

TEST(Surface, BlendsAndInverts) {
  TSurface s(1, 1, clBlack);
  s.BlendPixel(0, 0, clWhite, 0);
  EXPECT_EQ(s.Pixel(0, 0), clBlack);
  s.BlendPixel(0, 0, RGB(200, 100, 0), 128);
  EXPECT_EQ(s.Pixel(0, 0), RGB(100, 50, 0));
  s.BlendPixel(0, 0, clWhite, 255);
  EXPECT_EQ(s.Pixel(0, 0), clWhite);
  s.SetPixel(0, 0, RGB(0x10, 0x80, 0xF0));
  s.InvertPixel(0, 0);
  EXPECT_EQ(s.Pixel(0, 0), RGB(0xEF, 0x7F, 0x0F));
}

class PngFile : public ::testing::Test {
 protected:
  std::string path =
      (std::filesystem::temp_directory_path() /
       ("kt_gfx_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + ".png"))
          .string();
  void TearDown() override { std::remove(path.c_str()); }
};

TEST_F(PngFile, RoundTripKeepsSizeAndEveryPixel) {
  TSurface s(37, 11, clBtnFace);
  for (int y = 0; y < s.Height(); ++y)
    for (int x = 0; x < s.Width(); ++x) s.SetPixel(x, y, RGB(x * 7, y * 23, (x * y) & 0xFF));
  SaveSurfacePng(s, path);
  const TSurface back = LoadSurfacePng(path);
  EXPECT_EQ(back.Width(), 37);
  EXPECT_EQ(back.Height(), 11);
  EXPECT_TRUE(back == s);
}

TEST_F(PngFile, ReportsMissingAndBrokenFiles) {
  EXPECT_THROW(LoadSurfacePng(path), Exception);  // not there yet
  std::ofstream(path) << "this is not a picture";
  EXPECT_THROW(LoadSurfacePng(path), Exception);
  EXPECT_THROW(SaveSurfacePng(TSurface(1, 1), "/nonexistent-dir/x.png"), Exception);
}
