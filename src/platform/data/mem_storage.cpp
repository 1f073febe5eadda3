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

std::size_t TRowOrder::FindBlock(std::size_t Pos) const {
  FHint = static_cast<std::size_t>(std::upper_bound(FStart.begin(), FStart.end(), Pos) - FStart.begin()) - 1;
  return FHint;
}

void TRowOrder::Insert(std::size_t Pos, std::uint32_t Row) {
  const std::size_t n = Count();
  if (FLabels.empty() && !(Pos == n && (n == 0 || FBlocks.back().back() < Row))) {
    // The first row out of number order: every row gets a label, spaced evenly.
    std::uint32_t top = Row;
    for (const auto& block : FBlocks)
      for (std::uint32_t r : block) top = std::max(top, r);
    FLabels.assign(static_cast<std::size_t>(top) + 1, 0);
    const std::uint64_t gap = std::min(kGap, kUniverse / (n + 2));
    std::size_t p = 0;
    for (const auto& block : FBlocks)
      for (std::uint32_t r : block) FLabels[r] = ++p * gap;
  }
  std::uint64_t label = 0;
  if (!FLabels.empty()) {
    if (FLabels.size() <= Row) FLabels.resize(static_cast<std::size_t>(Row) + 1);
    label = NewLabel(Pos);
  }
  // Into its block: the last one at the end, where a full block is followed by a new one; a
  // full block in the middle is split in two.
  if (FBlocks.empty()) {
    FBlocks.emplace_back();
    FStart.push_back(0);
  }
  std::size_t b = Pos == n ? FBlocks.size() - 1 : FindBlock(Pos);
  std::size_t offset = Pos - FStart[b];
  if (FBlocks[b].size() >= kBlock) {
    std::vector<std::uint32_t>& full = FBlocks[b];
    if (offset == full.size() && b + 1 == FBlocks.size()) {
      FBlocks.emplace_back();
      FStart.push_back(n);
    } else {
      const std::size_t half = full.size() / 2;
      std::vector<std::uint32_t> upper(full.begin() + static_cast<std::ptrdiff_t>(half), full.end());
      full.resize(half);
      FBlocks.insert(FBlocks.begin() + static_cast<std::ptrdiff_t>(b) + 1, std::move(upper));
      FStart.insert(FStart.begin() + static_cast<std::ptrdiff_t>(b) + 1, FStart[b] + half);
    }
    if (offset >= FBlocks[b].size() && offset > 0) {
      offset -= FBlocks[b].size();
      ++b;
    }
  }
  std::vector<std::uint32_t>& block = FBlocks[b];
  block.insert(block.begin() + static_cast<std::ptrdiff_t>(offset), Row);
  for (std::size_t j = b + 1; j < FStart.size(); ++j) ++FStart[j];
  ++FCount;
  FHint = b;
  if (!FLabels.empty()) FLabels[Row] = label;
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
      if (p < Pos) FLabels[RowAt(p)] = label;
      if (p > Pos) FLabels[RowAt(p - 1)] = label;
    }
    return fresh;
  }
  // Dense everywhere: spread every label over the whole range.
  const std::uint64_t step = kUniverse / (n + 2);
  std::uint64_t fresh = 0;
  for (std::size_t p = 0; p <= n; ++p) {
    const std::uint64_t label = (p + 1) * step;
    if (p == Pos) fresh = label;
    if (p < Pos) FLabels[RowAt(p)] = label;
    if (p > Pos) FLabels[RowAt(p - 1)] = label;
  }
  return fresh;
}

void TRowOrder::Erase(std::size_t Pos) {
  const std::size_t b = FindBlock(Pos);
  std::vector<std::uint32_t>& block = FBlocks[b];
  block.erase(block.begin() + static_cast<std::ptrdiff_t>(Pos - FStart[b]));
  for (std::size_t j = b + 1; j < FStart.size(); ++j) --FStart[j];
  --FCount;
  if (block.empty() && FBlocks.size() > 1) {
    FBlocks.erase(FBlocks.begin() + static_cast<std::ptrdiff_t>(b));
    FStart.erase(FStart.begin() + static_cast<std::ptrdiff_t>(b));
    FHint = 0;
  }
}

void TRowOrder::Clear() {
  std::vector<std::vector<std::uint32_t>>().swap(FBlocks);
  std::vector<std::size_t>().swap(FStart);
  std::vector<std::uint64_t>().swap(FLabels);
  FCount = 0;
  FHint = 0;
}

void TRowOrder::ShrinkToFit() {
  for (auto& block : FBlocks) block.shrink_to_fit();
  FBlocks.shrink_to_fit();
  FStart.shrink_to_fit();
}

std::size_t TRowOrder::MemoryUsed() const {
  std::size_t n = FBlocks.capacity() * sizeof(FBlocks[0]) + FStart.capacity() * sizeof(std::size_t) +
                  FLabels.capacity() * sizeof(std::uint64_t);
  for (const auto& block : FBlocks) n += block.capacity() * sizeof(std::uint32_t);
  return n;
}

int TRowOrder::PositionOf(std::uint32_t Row) const {
  if (FCount == 0 || (!FLabels.empty() && Row >= FLabels.size())) return -1;
  // Positions grow with the rows' keys: the block whose first key is the last not above Row's,
  // then the place in it.
  const std::uint64_t key = Key(Row);
  std::size_t low = 0, high = FBlocks.size();
  while (low < high) {
    const std::size_t mid = (low + high) / 2;
    if (Key(FBlocks[mid].front()) <= key)
      low = mid + 1;
    else
      high = mid;
  }
  if (low == 0) return -1;
  const std::vector<std::uint32_t>& block = FBlocks[low - 1];
  std::size_t l = 0, h = block.size();
  while (l < h) {
    const std::size_t mid = (l + h) / 2;
    if (Key(block[mid]) < key)
      l = mid + 1;
    else
      h = mid;
  }
  if (l == block.size() || block[l] != Row) return -1;
  return static_cast<int>(FStart[low - 1] + l);
}

}  // namespace vcl
