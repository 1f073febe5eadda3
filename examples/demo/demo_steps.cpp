#include "demo_steps.h"

#include <algorithm>

#include "platform/gfx/png.h"
#include "platform/vcl/screen_picture.h"
#include "platform/win/input.h"

namespace demo {

std::string Steps::Picture(vcl::TForm* Form, const std::string& Name, bool Screen) {
  vcl::sim::ProcessMessages();
  const std::string file = FFolder + "/" + Name + ".png";
  if (!Screen) {
    vcl::SaveWindowPng(Form, file);
    return file;
  }
  // The form and a margin around it, where drop-down lists and hints appear.
  const vcl::TSurface screen = vcl::CaptureScreen();
  const int margin = 60;
  const int left = std::max(0, Form->Left() - margin), top = std::max(0, Form->Top() - margin);
  const int right = std::min(screen.Width(), Form->Left() + Form->Width() + margin);
  const int bottom = std::min(screen.Height(), Form->Top() + Form->Height() + margin);
  vcl::TSurface part(right - left, bottom - top);
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x) part.SetPixel(x - left, y - top, screen.Pixel(x, y));
  vcl::SaveSurfacePng(part, file);
  return file;
}

std::string ToUtf8(const std::string& Text) {
  // Windows-1252 differs from Latin-1 only in 0x80..0x9F, which the demo's data does not use.
  std::string out;
  for (unsigned char c : Text) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

}  // namespace demo
