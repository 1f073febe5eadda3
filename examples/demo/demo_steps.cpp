#include "demo_steps.h"

#include "platform/vcl/screen_picture.h"
#include "platform/win/input.h"

namespace demo {

std::string Steps::Picture(vcl::TForm* Form, const std::string& Name, bool Screen) {
  vcl::sim::ProcessMessages();
  const std::string file = FFolder + "/" + Name + ".png";
  if (Screen)
    vcl::SaveScreenPng(file);
  else
    vcl::SaveWindowPng(Form, file);
  return file;
}

}  // namespace demo
