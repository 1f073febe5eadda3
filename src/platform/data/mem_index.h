// TMemIndex: a sorted index over one text or integer column of the in-memory table, answering
// "the first row, in the table's order, whose text begins with P (ignoring the case of A to Z)"
// and "the first row whose key equals K" in O(log n).
//
// Entries (a key and a row) are sorted by the folded key and then by the rows' order, and kept
// in blocks of up to 128. Each entry's key is a 64-bit number made of the first seven folded
// bytes and the length (capped at 8), so most comparisons never read the text; only entries
// whose first seven bytes tie read the rest. All rows whose key begins with P form one run of
// entries; the first of them in the table's order is a range minimum, found from the blocks'
// own minimums (kept in a small tree of 32-way levels) and a scan of the two blocks at the
// ends of the run. Changing the rows' order labels never changes which row comes first, so
// relabelling leaves the index alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/data/mem_storage.h"

namespace vcl {

class TMemIndex {
 public:
  static constexpr std::uint32_t kNone = 0xFFFFFFFF;

  // An index over texts (compared with the case of A to Z ignored) or over integers. The
  // column and the order belong to the table and must outlive the index.
  TMemIndex(const TTextColumn& Texts, const TRowOrder& Order);
  TMemIndex(const std::vector<std::int32_t>& Ints, const TRowOrder& Order);
  ~TMemIndex();

  // Replaces the content by Rows (none of them Null).
  void Build(const std::vector<std::uint32_t>& Rows);
  // Adds / removes a row by its current key (remove before the key changes).
  void Add(std::uint32_t Row);
  void Remove(std::uint32_t Row);
  std::size_t Count() const { return FCount; }
  // Bytes held by the index.
  std::size_t MemoryUsed() const;

  // The first row in the table's order whose text begins with Prefix, ignoring the case of A
  // to Z; kNone when there is none.
  std::uint32_t FirstWithPrefix(std::string_view Prefix) const;
  // The first row whose text equals Text, ignoring the case of A to Z or exactly.
  std::uint32_t FirstEqual(std::string_view Text, bool IgnoreCase) const;
  // The first row whose text begins with Prefix exactly (case counts). False when the rows
  // that begin with it in any case are too many to look at one by one.
  bool FirstWithPrefixExactCase(std::string_view Prefix, std::uint32_t& Row) const;
  // The first row whose integer equals Value.
  std::uint32_t FirstEqual(std::int32_t Value) const;

  // True when the structure holds together (sorted entries, separators, minimums).
  bool CheckStructure() const;

 private:
  static constexpr int kCapacity = 128;
  static constexpr std::size_t kFan = 32;
  struct TBlock {
    int Count = 0;
    std::uint64_t Key[kCapacity];
    std::uint32_t Row[kCapacity];
  };
  // An entry's place: the block and the index in it; the end is (number of blocks, 0).
  struct TPlace {
    std::size_t Block = 0;
    int Index = 0;
  };
  struct TProbe;
  struct TQuery;

  std::uint64_t KeyOf(std::uint32_t Row) const;
  // Compares the folded texts of two rows from byte 7 on.
  int CompareTail(std::string_view A, std::string_view B) const;
  bool EntryBefore(std::uint64_t Key, std::uint32_t Row, const TProbe& P) const;
  int ComparePrefix(std::uint64_t Key, std::uint32_t Row, const TQuery& Q) const;
  int CompareEqual(std::uint64_t Key, std::uint32_t Row, const TQuery& Q) const;
  // The first place whose entry is not Before.
  template <typename F>
  TPlace Search(F Before) const;
  TPlace Next(TPlace P) const;
  bool AtEnd(TPlace P) const { return P.Block >= FBlocks.size(); }
  // The first row in the table's order among the entries in [From, To).
  std::uint32_t FirstInOrder(TPlace From, TPlace To) const;
  std::uint32_t Better(std::uint32_t A, std::uint32_t B) const {
    if (A == kNone) return B;
    if (B == kNone) return A;
    return FOrder.Before(A, B) ? A : B;
  }
  std::uint32_t BlockFirst(const TBlock& B, int From, int To) const;
  // Recomputes the levels of minimums above the blocks (after blocks came or went) / along
  // the path of one block.
  void RebuildLevels();
  void UpdateLevels(std::size_t Block);
  void InsertBlock(std::size_t At, std::unique_ptr<TBlock> Block);
  void EraseBlock(std::size_t At);

  const TTextColumn* FTexts = nullptr;
  const std::vector<std::int32_t>* FInts = nullptr;
  const TRowOrder& FOrder;
  std::vector<std::unique_ptr<TBlock>> FBlocks;
  std::vector<std::uint64_t> FFirstKey;  // key of each block's first entry
  std::vector<std::uint32_t> FFirstRow;  // row of each block's first entry
  // FLevels[0][b]: the first row in order in block b; FLevels[k][i]: the first of
  // FLevels[k - 1][i * kFan ...].
  std::vector<std::vector<std::uint32_t>> FLevels;
  std::size_t FCount = 0;
};

}  // namespace vcl
