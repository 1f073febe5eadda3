// What every part of the demo shares: where the pictures go and how a step is reported.
#pragma once

#include <string>

#include "platform/vcl/form.h"

namespace demo {

class Steps {
 public:
  explicit Steps(std::string Folder) : FFolder(std::move(Folder)) {}
  // Processes the pending messages, writes a picture of the form (pop-ups and hints
  // included when Screen is true) and returns the picture's file name.
  std::string Picture(vcl::TForm* Form, const std::string& Name, bool Screen = false);
  const std::string& Folder() const { return FFolder; }

 private:
  std::string FFolder;
};

}  // namespace demo
