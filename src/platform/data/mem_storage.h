// Storage pieces of the in-memory table (TMemDataSet):
//   TTextColumn  the texts of one column in one byte buffer
//   TRowOrder    which row stands at each position, and which of two rows comes first
//
// A row is a slot number in the columns; it stays with its record while others come and go.
// A position is where the record stands in the data set's order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace vcl {

// The texts of one column, kept in one byte buffer: each row has the offset of a length prefix
// (one byte, or 0xFF and four more for 255 bytes and longer) followed by its bytes, or no
// offset at all for Null. A changed text that does not fit its old place goes to the end of the
// buffer; the space left behind is reclaimed once it outweighs the texts.
class TTextColumn {
 public:
  std::size_t Rows() const { return FOffset.size(); }
  bool IsNull(std::uint32_t Row) const { return FOffset[Row] == kNull; }
  // The text of a non-Null row; valid until the column changes.
  std::string_view Get(std::uint32_t Row) const {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(FBytes.data()) + FOffset[Row];
    if (p[0] < 0xFF) return {reinterpret_cast<const char*>(p + 1), p[0]};
    return {reinterpret_cast<const char*>(p + 5), ReadLength(p + 1)};
  }
  void Set(std::uint32_t Row, std::string_view Text);
  void SetNull(std::uint32_t Row);
  // A Null row at the end / the last row removed.
  void AddRow() { FOffset.push_back(kNull); }
  void PopRow();
  void Clear();
  void Reserve(std::size_t Rows, std::size_t Bytes);
  // Gives back spare capacity (after a bulk load).
  void ShrinkToFit();
  std::size_t MemoryUsed() const { return FBytes.capacity() + FOffset.capacity() * sizeof(std::uint32_t); }

 private:
  static constexpr std::uint32_t kNull = 0xFFFFFFFF;
  static std::size_t ReadLength(const unsigned char* P) {
    return static_cast<std::size_t>(P[0]) | static_cast<std::size_t>(P[1]) << 8 |
           static_cast<std::size_t>(P[2]) << 16 | static_cast<std::size_t>(P[3]) << 24;
  }
  std::size_t SlotSize(std::uint32_t Row) const;
  void Append(std::uint32_t Row, std::string_view Text);
  // Rewrites the buffer with the live texts only, in row order.
  void Compact();

  std::vector<char> FBytes;
  std::vector<std::uint32_t> FOffset;  // by row
  std::size_t FGarbage = 0;            // bytes of the buffer no row uses
};

// The order of the rows: which row stands at each position, kept in blocks of up to 2048
// consecutive positions so that a record inserted or deleted in the middle moves one block's
// entries and the blocks' start positions, not the whole order. Rows appended in turn stand in
// the order of their numbers, and nothing more is kept. The first record inserted before
// another gives every row an order label (a 64-bit number growing with the position); a new
// record takes a label between its neighbours' and, when there is no room, a few neighbours
// are spread out again (labels are relabelled in ranges whose density is above a threshold, so
// an insert relabels O(log n) rows amortised). Relabelling never changes which of two rows
// comes first.
class TRowOrder {
 public:
  static constexpr std::uint32_t kNone = 0xFFFFFFFF;

  std::size_t Count() const { return FCount; }
  std::uint32_t RowAt(std::size_t Pos) const {
    const std::size_t b = FHint;
    if (b < FBlocks.size() && Pos >= FStart[b] && Pos - FStart[b] < FBlocks[b].size())
      return FBlocks[b][Pos - FStart[b]];
    return FBlocks[FindBlock(Pos)][Pos - FStart[FHint]];
  }
  // The first position whose row Match(Pos, Row) accepts, in order; -1 when none does.
  template <typename F>
  int FindFirst(F Match) const {
    std::size_t pos = 0;
    for (const auto& block : FBlocks)
      for (std::uint32_t row : block) {
        if (Match(pos, row)) return static_cast<int>(pos);
        ++pos;
      }
    return -1;
  }
  // Puts Row (a slot number not in the order) at Pos.
  void Insert(std::size_t Pos, std::uint32_t Row);
  void Erase(std::size_t Pos);
  void Clear();
  void Reserve(std::size_t Rows) { FBlocks.reserve(Rows / kBlock + 1); }
  void ShrinkToFit();

  // True while rows stand in the order of their numbers (no labels are kept).
  bool ByNumber() const { return FLabels.empty(); }
  // The order labels by row, empty while ByNumber.
  const std::vector<std::uint64_t>& Labels() const { return FLabels; }
  bool Before(std::uint32_t A, std::uint32_t B) const {
    return FLabels.empty() ? A < B : FLabels[A] < FLabels[B];
  }
  // The position of Row; -1 when it is not in the order.
  int PositionOf(std::uint32_t Row) const;
  // Bytes held.
  std::size_t MemoryUsed() const;

 private:
  static constexpr std::size_t kBlock = 2048;
  static constexpr std::uint64_t kUniverse = std::uint64_t{1} << 62;
  static constexpr std::uint64_t kGap = std::uint64_t{1} << 32;
  // The block holding Pos (remembered for the next call).
  std::size_t FindBlock(std::size_t Pos) const;
  std::uint64_t Label(std::size_t Pos) const { return FLabels[RowAt(Pos)]; }
  std::uint64_t Key(std::uint32_t Row) const { return FLabels.empty() ? Row : FLabels[Row]; }
  // A label for a row about to stand at Pos (between the rows at Pos - 1 and Pos).
  std::uint64_t NewLabel(std::size_t Pos);
  // Spreads out the labels around Pos so that a new one fits there; returns it.
  std::uint64_t Relabel(std::size_t Pos);

  std::vector<std::vector<std::uint32_t>> FBlocks;  // consecutive runs of the order
  std::vector<std::size_t> FStart;                  // position of each block's first row
  std::size_t FCount = 0;
  mutable std::size_t FHint = 0;       // the block of the last look-up
  std::vector<std::uint64_t> FLabels;  // by row; empty while rows stand in number order
};

}  // namespace vcl
