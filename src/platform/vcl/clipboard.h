// TClipboard: the system clipboard, holding text. Edits cut, copy and paste through it;
// Clipboard() is the one instance, emptied by Clear (tests start with an empty clipboard).
#pragma once

#include <string>

#include "platform/base/classes.h"

namespace vcl {

class TClipboard : public TPersistent {
 public:
  std::string ClassName() const override { return "TClipboard"; }

  // The text on the clipboard ('' when it holds none).
  const std::string& AsText() const { return FText; }
  void SetAsText(const std::string& Value);
  bool HasText() const { return FHasText; }
  void Clear();
  // How many times something was put on the clipboard since the last Clear.
  int ChangeCount() const { return FChangeCount; }

 private:
  std::string FText;
  bool FHasText = false;
  int FChangeCount = 0;
};

TClipboard* Clipboard();

}  // namespace vcl
