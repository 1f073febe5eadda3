// What every part of the demo shares: where the pictures go and how a step is reported.
#pragma once

#include <string>

#include "platform/vcl/form.h"

namespace demo {

class Steps {
 public:
  explicit Steps(std::string Folder) : FFolder(std::move(Folder)) {}
  // Processes the pending messages, writes a picture of the form (with Screen true, of the
  // screen around the form, so that pop-ups and hints show) and returns the file's name.
  std::string Picture(vcl::TForm* Form, const std::string& Name, bool Screen = false);
  const std::string& Folder() const { return FFolder; }

 private:
  std::string FFolder;
};

// The system code page's text (Windows-1252) as UTF-8, for the terminal.
std::string ToUtf8(const std::string& Text);

}  // namespace demo
