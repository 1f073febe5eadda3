#include "platform/data/mem_storage.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>

namespace vcl {

// ---------------------------------------------------------------------------------------------
// TTextColumn
// ---------------------------------------------------------------------------------------------

namespace {
std::size_t PrefixSize(std::size_t Length) {
  return Length < 0xFF ? 1 : 5;
}
}  // namespace

std::size_t TTextColumn::SlotSize(std::uint32_t Row) const {
  if (IsNull(Row)) return 0;
  const std::size_t length = Get(Row).size();
  return PrefixSize(length) + length;
}

void TTextColumn::Set(std::uint32_t Row, std::string_view Text) {
  // A text taken from this buffer would move under its own feet.
  if (!FBytes.empty() && Text.data() >= FBytes.data() && Text.data() < FBytes.data() + FBytes.size()) {
    const std::string copy(Text);
    Set(Row, copy);
    return;
  }
  if (!IsNull(Row)) {
    const std::size_t old = Get(Row).size();
    if (Text.size() <= old && PrefixSize(Text.size()) == PrefixSize(old)) {
      // It fits where the old text was.
      unsigned char* p = reinterpret_cast<unsigned char*>(FBytes.data()) + FOffset[Row];
      const std::size_t n = Text.size();
      if (n < 0xFF) {
        p[0] = static_cast<unsigned char>(n);
        std::memcpy(p + 1, Text.data(), n);
      } else {
        for (int i = 0; i < 4; ++i) p[1 + i] = static_cast<unsigned char>(n >> (8 * i));
        std::memcpy(p + 5, Text.data(), n);
      }
      FGarbage += old - n;
      return;
    }
    FGarbage += SlotSize(Row);
    FOffset[Row] = kNull;
  }
  Append(Row, Text);
  if (FGarbage > 4096 && FGarbage * 2 > FBytes.size()) Compact();
}

void TTextColumn::Append(std::uint32_t Row, std::string_view Text) {
  const std::size_t n = Text.size(), slot = PrefixSize(n) + n;
  if (FBytes.size() + slot >= kNull) {
    Compact();
    if (FBytes.size() + slot >= kNull) throw std::length_error("The texts of a column exceed 4 GB");
  }
  const std::size_t at = FBytes.size();
  FBytes.resize(at + slot);
  unsigned char* p = reinterpret_cast<unsigned char*>(FBytes.data()) + at;
  if (n < 0xFF) {
    p[0] = static_cast<unsigned char>(n);
    if (n) std::memcpy(p + 1, Text.data(), n);
  } else {
    p[0] = 0xFF;
    for (int i = 0; i < 4; ++i) p[1 + i] = static_cast<unsigned char>(n >> (8 * i));
    std::memcpy(p + 5, Text.data(), n);
  }
  FOffset[Row] = static_cast<std::uint32_t>(at);
}

void TTextColumn::SetNull(std::uint32_t Row) {
  FGarbage += SlotSize(Row);
  FOffset[Row] = kNull;
}

void TTextColumn::PopRow() {
  FGarbage += SlotSize(static_cast<std::uint32_t>(FOffset.size() - 1));
  FOffset.pop_back();
}

void TTextColumn::Clear() {
  std::vector<char>().swap(FBytes);
  std::vector<std::uint32_t>().swap(FOffset);
  FGarbage = 0;
}

void TTextColumn::Reserve(std::size_t Rows, std::size_t Bytes) {
  FOffset.reserve(Rows);
  FBytes.reserve(Bytes);
}

void TTextColumn::ShrinkToFit() {
  if (FGarbage > 0) Compact();
  FBytes.shrink_to_fit();
  FOffset.shrink_to_fit();
}

void TTextColumn::Compact() {
  std::vector<char> bytes;
  bytes.reserve(FBytes.size() - FGarbage);
  for (std::uint32_t row = 0; row < FOffset.size(); ++row) {
    if (IsNull(row)) continue;
    const std::size_t slot = SlotSize(row);
    const std::uint32_t at = static_cast<std::uint32_t>(bytes.size());
    bytes.insert(bytes.end(), FBytes.begin() + FOffset[row], FBytes.begin() + FOffset[row] + slot);
    FOffset[row] = at;
  }
  FBytes = std::move(bytes);
  FGarbage = 0;
}

// ---------------------------------------------------------------------------------------------
// TRowOrder
// ---------------------------------------------------------------------------------------------

void TRowOrder::Insert(std::size_t Pos, std::uint32_t Row) {
  const std::size_t n = Count();
  if (FLabels.empty()) {
    if (Pos == n && (n == 0 || FRowAt.back() < Row)) {
      FRowAt.push_back(Row);
      return;
    }
    // The first row out of number order: every row gets a label, spaced evenly.
    std::uint32_t top = Row;
    for (std::uint32_t r : FRowAt) top = std::max(top, r);
    FLabels.assign(static_cast<std::size_t>(top) + 1, 0);
    const std::uint64_t gap = std::min(kGap, kUniverse / (n + 2));
    for (std::size_t p = 0; p < n; ++p) FLabels[FRowAt[p]] = (p + 1) * gap;
  }
  if (FLabels.size() <= Row) FLabels.resize(static_cast<std::size_t>(Row) + 1);
  const std::uint64_t label = NewLabel(Pos);
  FRowAt.insert(FRowAt.begin() + static_cast<std::ptrdiff_t>(Pos), Row);
  FLabels[Row] = label;
}

std::uint64_t TRowOrder::NewLabel(std::size_t Pos) {
  const std::size_t n = Count();
  if (Pos == n) {
    if (n == 0) return kGap;
    const std::uint64_t last = Label(n - 1);
    if (last < kUniverse - kGap) return last + kGap;
    if (kUniverse - last >= 2) return last + (kUniverse - last) / 2;
    return Relabel(Pos);
  }
  const std::uint64_t high = Label(Pos);
  if (Pos == 0) return high >= 1 ? high / 2 : Relabel(Pos);
  const std::uint64_t low = Label(Pos - 1);
  return high - low >= 2 ? low + (high - low) / 2 : Relabel(Pos);
}

std::uint64_t TRowOrder::Relabel(std::size_t Pos) {
  const std::size_t n = Count();
  const std::uint64_t anchor = Pos > 0 ? Label(Pos - 1) : Label(Pos);
  // Grow an aligned label range around the anchor until it is sparse enough: at level i it
  // may hold fewer than (4/3)^i rows, the new one included.
  std::size_t left = Pos, right = Pos;  // positions whose labels lie in the range
  double limit = 1;
  for (int level = 1; level <= 62; ++level) {
    limit *= 4.0 / 3.0;
    const std::uint64_t size = std::uint64_t{1} << level;
    const std::uint64_t low = anchor & ~(size - 1), high = low + size;
    while (left > 0 && Label(left - 1) >= low) --left;
    while (right < n && Label(right) < high) ++right;
    const std::size_t count = right - left + 1;
    if (static_cast<double>(count) >= limit || count > size) continue;
    const std::uint64_t step = size / count;
    std::uint64_t label = low + step / 2, fresh = 0;
    for (std::size_t p = left; p <= right; ++p, label += step) {
      if (p == Pos) fresh = label;
      if (p < Pos) FLabels[FRowAt[p]] = label;
      if (p > Pos) FLabels[FRowAt[p - 1]] = label;
    }
    return fresh;
  }
  // Dense everywhere: spread every label over the whole range.
  const std::uint64_t step = kUniverse / (n + 2);
  std::uint64_t fresh = 0;
  for (std::size_t p = 0; p <= n; ++p) {
    const std::uint64_t label = (p + 1) * step;
    if (p == Pos) fresh = label;
    if (p < Pos) FLabels[FRowAt[p]] = label;
    if (p > Pos) FLabels[FRowAt[p - 1]] = label;
  }
  return fresh;
}

void TRowOrder::Erase(std::size_t Pos) {
  FRowAt.erase(FRowAt.begin() + static_cast<std::ptrdiff_t>(Pos));
}

void TRowOrder::Clear() {
  std::vector<std::uint32_t>().swap(FRowAt);
  std::vector<std::uint64_t>().swap(FLabels);
}

int TRowOrder::PositionOf(std::uint32_t Row, std::size_t Slots) const {
  const std::size_t n = Count();
  if (n == 0) return -1;
  if (FLabels.empty()) {
    // Rows stand in number order with Slots - n numbers missing, so Row stands at most that
    // many places before its number.
    if (Row >= Slots) return -1;
    const std::size_t missing = Slots > n ? Slots - n : 0;
    const std::size_t high = std::min<std::size_t>(Row, n - 1);
    const std::size_t low = Row > missing ? Row - missing : 0;
    if (low > high) return -1;
    if (FRowAt[high] == Row) return static_cast<int>(high);
    const auto first = FRowAt.begin() + static_cast<std::ptrdiff_t>(low);
    const auto last = FRowAt.begin() + static_cast<std::ptrdiff_t>(high) + 1;
    const auto it = std::lower_bound(first, last, Row);
    return it != last && *it == Row ? static_cast<int>(it - FRowAt.begin()) : -1;
  }
  if (Row >= FLabels.size()) return -1;
  const std::uint64_t label = FLabels[Row];
  std::size_t low = 0, high = n;
  while (low < high) {
    const std::size_t mid = (low + high) / 2;
    if (Label(mid) < label)
      low = mid + 1;
    else
      high = mid;
  }
  return low < n && FRowAt[low] == Row ? static_cast<int>(low) : -1;
}

}  // namespace vcl
