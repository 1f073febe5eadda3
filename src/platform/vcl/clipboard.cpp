#include "platform/vcl/clipboard.h"

namespace vcl {

void TClipboard::SetAsText(const std::string& Value) {
  FText = Value;
  FHasText = true;
  ++FChangeCount;
}

void TClipboard::Clear() {
  FText.clear();
  FHasText = false;
  FChangeCount = 0;
}

TClipboard* Clipboard() {
  static auto* clipboard = new TClipboard;  // lives as long as the program
  return clipboard;
}

}  // namespace vcl
