#include "demo_steps.h"

#include <algorithm>

#include "platform/gfx/png.h"
#include "platform/vcl/screen_picture.h"
#include "platform/win/input.h"
#include "platform/win/window_system.h"

namespace demo {

std::string Steps::Picture(vcl::TForm* Form, const std::string& Name, bool Screen) {
  vcl::sim::ProcessMessages();
  const std::string file = FFolder + "/" + Name + ".png";
  if (!Screen) {
    vcl::SaveWindowPng(Form, file);
    return file;
  }
  // The windows that show (the form, its drop-down lists and hints) and a margin around them.
  const vcl::TSurface screen = vcl::CaptureScreen();
  vcl::TRect all{Form->Left(), Form->Top(), Form->Left() + Form->Width(), Form->Top() + Form->Height()};
  for (vcl::HWND h : vcl::GetTopLevelWindows()) {
    vcl::TRect r;
    if (!vcl::IsWindowVisible(h) || !vcl::GetWindowRect(h, r)) continue;
    all = vcl::TRect{std::min(all.Left, r.Left), std::min(all.Top, r.Top), std::max(all.Right, r.Right),
                     std::max(all.Bottom, r.Bottom)};
  }
  const int margin = 30;
  const int left = std::max(0, all.Left - margin), top = std::max(0, all.Top - margin);
  const int right = std::min(screen.Width(), all.Right + margin);
  const int bottom = std::min(screen.Height(), all.Bottom + margin);
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
