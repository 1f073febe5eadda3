#include "platform/vcl/screen_picture.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <filesystem>
#include <memory>

#include "platform/gfx/png.h"
#include "platform/paint/paint_test_util.h"

using namespace vcl;
using kttest::PaintTest;
using kttest::Rgb;
using kttest::TPaintBox;

namespace {

// A file in the temporary folder, removed when the test ends.
struct TTempFile {
  explicit TTempFile(const std::string& Name)
      : Path((std::filesystem::temp_directory_path() /
              (Name + "_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + ".png"))
                 .string()) {}
  ~TTempFile() { std::remove(Path.c_str()); }
  std::string Path;
};

// Reads a PNG with libpng itself: its size and its RGB pixels.
struct TPngImage {
  int Width = 0, Height = 0;
  std::vector<unsigned char> Rgb;
  TColor Pixel(int X, int Y) const {
    const unsigned char* p = &Rgb[static_cast<size_t>((Y * Width + X) * 3)];
    return static_cast<TColor>(p[0] | (p[1] << 8) | (p[2] << 16));
  }
};

TPngImage ReadPng(const std::string& Path) {
  TPngImage img;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, Path.c_str())) return img;
  image.format = PNG_FORMAT_RGB;
  img.Rgb.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, img.Rgb.data(), 0, nullptr)) return img;
  img.Width = static_cast<int>(image.width);
  img.Height = static_cast<int>(image.height);
  return img;
}

TEST_F(PaintTest, AWindowPictureHasTheWindowsSizeAndPixels) {
  TForm* f = ShownForm();
  TPaintBox* b = MakeBox(f, Bounds(10, 10, 60, 40), clWindow, WS_BORDER);
  b->OnPaintCanvas = [](TPaintBox& B) {
    B.Canvas()->Brush()->SetColor(clRed);
    B.Canvas()->FillRect(TRect{0, 0, 10, 5});
  };
  TTempFile file("kt_window");
  SaveWindowPng(f, file.Path);
  TPngImage img = ReadPng(file.Path);
  ASSERT_EQ(img.Width, 400);
  ASSERT_EQ(img.Height, 300);
  TSurface s = CaptureWindow(f);
  ASSERT_EQ(s.Width(), 400);
  bool same = true;
  for (int y = 0; y < img.Height && same; ++y)
    for (int x = 0; x < img.Width && same; ++x) same = img.Pixel(x, y) == s.Pixel(x, y);
  EXPECT_TRUE(same);
  // Window coordinates: the frame at 0, the child's border and paint at its client offset.
  EXPECT_EQ(img.Pixel(0, 150), Rgb(cl3DLight));
  EXPECT_EQ(img.Pixel(200, 5), Rgb(clActiveCaption));
  EXPECT_EQ(img.Pixel(4 + 10, 22 + 10), Rgb(clWindowFrame));
  EXPECT_EQ(img.Pixel(4 + 11, 22 + 11), Rgb(clRed));
  EXPECT_EQ(img.Pixel(4 + 30, 22 + 30), Rgb(clWindow));

  // A child window alone, with its frame.
  SaveWindowPng(b->Handle(), file.Path);
  TPngImage child = ReadPng(file.Path);
  EXPECT_EQ(child.Width, 60);
  EXPECT_EQ(child.Height, 40);
  EXPECT_EQ(child.Pixel(0, 0), Rgb(clWindowFrame));
  EXPECT_EQ(child.Pixel(1, 1), Rgb(clRed));
  EXPECT_EQ(LoadSurfacePng(file.Path), CaptureWindow(b));
}

TEST_F(PaintTest, TheScreenPictureShowsTheVisibleWindowsInZOrderOverTheDesktop) {
  TForm* back = ShownForm();
  auto* front = new TForm(Application);
  front->SetBounds(300, 200, 200, 150);
  front->SetColor(clTeal);
  front->Show();
  auto* hidden = new TForm(Application);
  hidden->SetBounds(0, 0, 100, 100);
  hidden->SetColor(clRed);
  TTempFile file("kt_screen");
  SaveScreenPng(file.Path);
  TPngImage img = ReadPng(file.Path);
  ASSERT_EQ(img.Width, 640);
  ASSERT_EQ(img.Height, 480);
  EXPECT_EQ(img.Pixel(50, 50), Rgb(clBackground));  // the hidden form is not drawn
  EXPECT_EQ(img.Pixel(600, 450), Rgb(clBackground));
  EXPECT_EQ(img.Pixel(200, 200), Rgb(back->Color()));
  EXPECT_EQ(img.Pixel(350, 300), Rgb(clTeal));  // the front form over the back one
  SetWindowPos(back->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(CaptureScreen().Pixel(350, 300), Rgb(back->Color()));
}

TEST_F(PaintTest, PendingPaintingIsDoneBeforeAPictureIsTaken) {
  TForm* f = ShownForm();
  TPaintBox* b = MakeBox(f, Bounds(10, 10, 60, 40), clWindow);
  TColor fill = clRed;
  b->OnPaintCanvas = [&](TPaintBox& B) {
    B.Canvas()->Brush()->SetColor(fill);
    B.Canvas()->FillRect(B.ClientRect());
  };
  EXPECT_EQ(b->PaintCalls, 0);  // nothing has run the message loop yet
  EXPECT_EQ(At(CaptureScreen(), b, Point(5, 5)), Rgb(clRed));
  EXPECT_EQ(b->PaintCalls, 1);
  fill = clLime;
  b->Invalidate();
  TSurface s = CaptureScreen();
  EXPECT_EQ(b->PaintCalls, 2);
  EXPECT_EQ(At(s, b, Point(5, 5)), Rgb(clLime));
  // Other messages wait for the message loop.
  PostMessage(b->Handle(), WM_USER, 0, 0);
  CaptureScreen();
  MSG m;
  EXPECT_TRUE(PeekMessage(m, nullptr, WM_USER, WM_USER, PM_NOREMOVE));
}

}  // namespace
