#include "live.h"

#include <cstdio>
#include <string>

#include "platform/vcl/application.h"
#include "platform/x11/x11_display.h"

namespace demo {

int RunLive(const std::vector<vcl::TForm*>& Forms) {
  std::string error;
  std::unique_ptr<vcl::TDisplay> display = vcl::OpenX11Display("", error);
  if (!display) {
    std::fprintf(stderr, "demo --live: %s\n", error.c_str());
    for (vcl::TForm* f : Forms) delete f;
    return 2;
  }
  // Side by side from the left, so that none hides another.
  int left = 20;
  for (vcl::TForm* f : Forms) {
    f->SetLeft(left);
    left += f->Width() + 20;
  }
  for (auto it = Forms.rbegin(); it != Forms.rend(); ++it) (*it)->Show();
  std::printf("The demo's forms are on the display; a window's close button ends it.\n");
  std::fflush(stdout);
  vcl::Application->Run();
  for (vcl::TForm* f : Forms) delete f;
  return 0;
}

}  // namespace demo
