#include "platform/base/geometry.h"

#include <algorithm>

namespace vcl {

bool IntersectRect(TRect& D, const TRect& A, const TRect& B) {
  TRect R{std::max(A.Left, B.Left), std::max(A.Top, B.Top), std::min(A.Right, B.Right),
          std::min(A.Bottom, B.Bottom)};
  if (R.IsEmpty()) {
    D = TRect{};
    return false;
  }
  D = R;
  return true;
}

bool UnionRect(TRect& D, const TRect& A, const TRect& B) {
  if (A.IsEmpty()) {
    D = B;
  } else if (B.IsEmpty()) {
    D = A;
  } else {
    D = TRect{std::min(A.Left, B.Left), std::min(A.Top, B.Top), std::max(A.Right, B.Right),
              std::max(A.Bottom, B.Bottom)};
  }
  return !D.IsEmpty();
}

}  // namespace vcl
