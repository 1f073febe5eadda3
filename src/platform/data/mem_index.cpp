#include "platform/data/mem_index.h"

// Index: keys and comparisons | searching | building | adding and removing | structure

#include <algorithm>
#include <cstring>

namespace vcl {

namespace {

// The case folding of searches: a to z become A to Z, every other byte stays.
inline unsigned char Fold(char C) {
  const unsigned char c = static_cast<unsigned char>(C);
  return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 32) : c;
}

// The first seven folded bytes of Text (zero-padded), big-endian.
inline std::uint64_t Head(std::string_view Text) {
  std::uint64_t k = 0;
  for (std::size_t i = 0; i < 7; ++i) k = k << 8 | (i < Text.size() ? Fold(Text[i]) : 0);
  return k;
}

// Seven folded bytes and the length capped at 8: ordered as the texts are, except that two
// texts of 8 bytes or more with the same first seven tie.
inline std::uint64_t TextKey(std::string_view Text) {
  return Head(Text) << 8 | std::min<std::size_t>(Text.size(), 8);
}

inline std::uint64_t IntKey(std::int32_t Value) {
  return static_cast<std::uint64_t>(static_cast<std::uint32_t>(Value) ^ 0x80000000u) << 8;
}

// Folded bytes 7 to 14 (zero-padded), big-endian: a second key for sorting.
inline std::uint64_t Tail8(std::string_view Text) {
  std::uint64_t k = 0;
  for (std::size_t i = 7; i < 15; ++i) k = k << 8 | (i < Text.size() ? Fold(Text[i]) : 0);
  return k;
}

}  // namespace

// A row to place among the entries.
struct TMemIndex::TProbe {
  std::uint64_t Key;
  std::string_view Text;  // the row's own text (texts only)
  std::uint32_t Row;
};

// A searched text, folded.
struct TMemIndex::TQuery {
  std::string Folded;
  std::uint64_t Head;  // its first seven bytes, zero-padded
  explicit TQuery(std::string_view Text) : Folded(Text), Head(0) {
    for (char& c : Folded) c = static_cast<char>(Fold(c));
    Head = vcl::Head(Folded);
  }
};

TMemIndex::TMemIndex(const TTextColumn& Texts, const TRowOrder& Order) : FTexts(&Texts), FOrder(Order) {}

TMemIndex::TMemIndex(const std::vector<std::int32_t>& Ints, const TRowOrder& Order)
    : FInts(&Ints), FOrder(Order) {}

TMemIndex::~TMemIndex() = default;

std::size_t TMemIndex::MemoryUsed() const {
  std::size_t n = sizeof(*this) + FBlocks.capacity() * sizeof(void*) + FBlocks.size() * sizeof(TBlock) +
                  FFirstKey.capacity() * 8 + FFirstRow.capacity() * 4;
  for (const auto& level : FLevels) n += level.capacity() * 4;
  return n;
}

// ---------------------------------------------------------------------------------------------
// Keys and comparisons
// ---------------------------------------------------------------------------------------------

std::uint64_t TMemIndex::KeyOf(std::uint32_t Row) const {
  return FTexts ? TextKey(FTexts->Get(Row)) : IntKey((*FInts)[Row]);
}

int TMemIndex::CompareTail(std::string_view A, std::string_view B) const {
  const std::size_t n = std::min(A.size(), B.size());
  for (std::size_t i = 7; i < n; ++i) {
    const unsigned char a = Fold(A[i]), b = Fold(B[i]);
    if (a != b) return a < b ? -1 : 1;
  }
  return A.size() < B.size() ? -1 : A.size() > B.size() ? 1 : 0;
}

// Whether the entry (Key, Row) sorts before the probe: by key, then by text, then by order.
bool TMemIndex::EntryBefore(std::uint64_t Key, std::uint32_t Row, const TProbe& P) const {
  if (Key != P.Key) return Key < P.Key;
  if (FTexts && (Key & 0xFF) == 8) {
    const int c = CompareTail(FTexts->Get(Row), P.Text);
    if (c != 0) return c < 0;
  }
  return FOrder.Before(Row, P.Row);
}

// The entry's text cut to the query's length against the query: below 0 before every text that
// begins with it, 0 when it begins with it, above 0 after them.
int TMemIndex::ComparePrefix(std::uint64_t Key, std::uint32_t Row, const TQuery& Q) const {
  const std::uint64_t head = Key >> 8;
  const std::size_t length = Key & 0xFF, n = Q.Folded.size();
  if (n <= 7) {
    const int shift = static_cast<int>(8 * (7 - n));
    const std::uint64_t a = shift >= 64 ? 0 : head >> shift, b = shift >= 64 ? 0 : Q.Head >> shift;
    if (a != b) return a < b ? -1 : 1;
    return length >= n ? 0 : -1;  // a shorter text is a prefix of the query
  }
  if (head != Q.Head) return head < Q.Head ? -1 : 1;
  if (length < 8) return -1;
  const std::string_view text = FTexts->Get(Row);
  const std::size_t m = std::min(text.size(), n);
  for (std::size_t i = 7; i < m; ++i) {
    const unsigned char a = Fold(text[i]), b = static_cast<unsigned char>(Q.Folded[i]);
    if (a != b) return a < b ? -1 : 1;
  }
  return text.size() < n ? -1 : 0;
}

// The entry's whole text against the query.
int TMemIndex::CompareEqual(std::uint64_t Key, std::uint32_t Row, const TQuery& Q) const {
  const std::size_t n = Q.Folded.size();
  if (n <= 7) {
    const std::uint64_t q = Q.Head << 8 | n;
    return Key < q ? -1 : Key > q ? 1 : 0;
  }
  const int c = ComparePrefix(Key, Row, Q);
  if (c != 0) return c;
  return FTexts->Get(Row).size() > n ? 1 : 0;
}

// ---------------------------------------------------------------------------------------------
// Searching
// ---------------------------------------------------------------------------------------------

template <typename F>
TMemIndex::TPlace TMemIndex::Search(F Before) const {
  std::size_t low = 0, high = FBlocks.size();
  while (low < high) {
    const std::size_t mid = (low + high) / 2;
    if (Before(FFirstKey[mid], FFirstRow[mid]))
      low = mid + 1;
    else
      high = mid;
  }
  if (low == 0) return TPlace{0, 0};
  const TBlock& b = *FBlocks[low - 1];
  int l = 1, h = b.Count;  // entry 0 is before: it is the block's first
  while (l < h) {
    const int mid = (l + h) / 2;
    if (Before(b.Key[mid], b.Row[mid]))
      l = mid + 1;
    else
      h = mid;
  }
  return l < b.Count ? TPlace{low - 1, l} : TPlace{low, 0};
}

TMemIndex::TPlace TMemIndex::Next(TPlace P) const {
  if (++P.Index >= FBlocks[P.Block]->Count) return TPlace{P.Block + 1, 0};
  return P;
}

std::uint32_t TMemIndex::BlockFirst(const TBlock& B, int From, int To) const {
  std::uint32_t best = kNone;
  if (FOrder.ByNumber()) {
    // Rows in number order: the smallest number comes first.
    for (int i = From; i < To; ++i) best = std::min(best, B.Row[i]);
    return best;
  }
  for (int i = From; i < To; ++i) best = Better(best, B.Row[i]);
  return best;
}

std::uint32_t TMemIndex::FirstInOrder(TPlace From, TPlace To) const {
  if (From.Block > To.Block || (From.Block == To.Block && From.Index >= To.Index)) return kNone;
  if (From.Block == To.Block) return BlockFirst(*FBlocks[From.Block], From.Index, To.Index);
  std::uint32_t best = BlockFirst(*FBlocks[From.Block], From.Index, FBlocks[From.Block]->Count);
  if (!AtEnd(To)) best = Better(best, BlockFirst(*FBlocks[To.Block], 0, To.Index));
  // The whole blocks between, level by level.
  std::size_t x = From.Block + 1, y = To.Block;
  for (std::size_t k = 0; x < y; ++k) {
    const std::vector<std::uint32_t>& level = FLevels[k];
    while (x < y && x % kFan != 0) best = Better(best, level[x++]);
    while (x < y && y % kFan != 0) best = Better(best, level[--y]);
    x /= kFan;
    y /= kFan;
  }
  return best;
}

std::uint32_t TMemIndex::FirstWithPrefix(std::string_view Prefix) const {
  if (FBlocks.empty()) return kNone;
  const TQuery q(Prefix);
  const TPlace from = Search([&](std::uint64_t k, std::uint32_t r) { return ComparePrefix(k, r, q) < 0; });
  const TPlace to = Search([&](std::uint64_t k, std::uint32_t r) { return ComparePrefix(k, r, q) <= 0; });
  return FirstInOrder(from, to);
}

std::uint32_t TMemIndex::FirstEqual(std::string_view Text, bool IgnoreCase) const {
  if (FBlocks.empty()) return kNone;
  const TQuery q(Text);
  // Equal keys sort by the rows' order: the first one is the answer.
  for (TPlace p = Search([&](std::uint64_t k, std::uint32_t r) { return CompareEqual(k, r, q) < 0; });
       !AtEnd(p); p = Next(p)) {
    const TBlock& b = *FBlocks[p.Block];
    if (CompareEqual(b.Key[p.Index], b.Row[p.Index], q) != 0) break;
    if (IgnoreCase || FTexts->Get(b.Row[p.Index]) == Text) return b.Row[p.Index];
  }
  return kNone;
}

bool TMemIndex::FirstWithPrefixExactCase(std::string_view Prefix, std::uint32_t& Row) const {
  Row = kNone;
  if (FBlocks.empty()) return true;
  const TQuery q(Prefix);
  int budget = 4096;
  for (TPlace p = Search([&](std::uint64_t k, std::uint32_t r) { return ComparePrefix(k, r, q) < 0; });
       !AtEnd(p); p = Next(p)) {
    const TBlock& b = *FBlocks[p.Block];
    if (ComparePrefix(b.Key[p.Index], b.Row[p.Index], q) != 0) break;
    if (--budget < 0) return false;
    if (FTexts->Get(b.Row[p.Index]).substr(0, Prefix.size()) == Prefix) Row = Better(Row, b.Row[p.Index]);
  }
  return true;
}

std::uint32_t TMemIndex::FirstEqual(std::int32_t Value) const {
  if (FBlocks.empty()) return kNone;
  const std::uint64_t key = IntKey(Value);
  const TPlace p = Search([&](std::uint64_t k, std::uint32_t) { return k < key; });
  if (AtEnd(p) || FBlocks[p.Block]->Key[p.Index] != key) return kNone;
  return FBlocks[p.Block]->Row[p.Index];
}

// ---------------------------------------------------------------------------------------------
// Building
// ---------------------------------------------------------------------------------------------

void TMemIndex::Build(const std::vector<std::uint32_t>& Rows) {
  struct TItem {
    std::uint64_t Key, Tail;
    std::uint32_t Row;
  };
  const std::size_t n = Rows.size();
  std::vector<TItem> items(n);
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint32_t row = Rows[i];
    if (FTexts) {
      const std::string_view text = FTexts->Get(row);
      items[i] = TItem{TextKey(text), text.size() > 7 ? Tail8(text) : 0, row};
    } else {
      items[i] = TItem{IntKey((*FInts)[row]), 0, row};
    }
  }
  // Buckets by the top 16 bits of the key, then a sort within each bucket.
  std::vector<TItem> sorted(n);
  {
    std::vector<std::size_t> start(65537, 0);
    for (const TItem& it : items) ++start[(it.Key >> 48) + 1];
    for (std::size_t b = 1; b <= 65536; ++b) start[b] += start[b - 1];
    std::vector<std::size_t> fill(start.begin(), start.end() - 1);
    for (const TItem& it : items) sorted[fill[it.Key >> 48]++] = it;
    std::vector<TItem>().swap(items);
    const auto less = [&](const TItem& a, const TItem& b) {
      if (a.Key != b.Key) return a.Key < b.Key;
      if (FTexts && (a.Key & 0xFF) == 8) {
        if (a.Tail != b.Tail) return a.Tail < b.Tail;
        const int c = CompareTail(FTexts->Get(a.Row), FTexts->Get(b.Row));
        if (c != 0) return c < 0;
      }
      return FOrder.Before(a.Row, b.Row);
    };
    for (std::size_t b = 0; b < 65536; ++b)
      if (start[b + 1] - start[b] > 1)
        std::sort(sorted.begin() + static_cast<std::ptrdiff_t>(start[b]),
                  sorted.begin() + static_cast<std::ptrdiff_t>(start[b + 1]), less);
  }
  // Full blocks.
  FBlocks.clear();
  FFirstKey.clear();
  FFirstRow.clear();
  const std::size_t blocks = (n + kCapacity - 1) / kCapacity;
  FBlocks.reserve(blocks);
  FFirstKey.reserve(blocks);
  FFirstRow.reserve(blocks);
  FLevels.assign(1, std::vector<std::uint32_t>());
  FLevels[0].reserve(blocks);
  for (std::size_t at = 0; at < n; at += kCapacity) {
    auto block = std::make_unique<TBlock>();
    block->Count = static_cast<int>(std::min<std::size_t>(kCapacity, n - at));
    for (int i = 0; i < block->Count; ++i) {
      block->Key[i] = sorted[at + static_cast<std::size_t>(i)].Key;
      block->Row[i] = sorted[at + static_cast<std::size_t>(i)].Row;
    }
    FFirstKey.push_back(block->Key[0]);
    FFirstRow.push_back(block->Row[0]);
    FLevels[0].push_back(BlockFirst(*block, 0, block->Count));
    FBlocks.push_back(std::move(block));
  }
  FCount = n;
  RebuildLevels();
}

void TMemIndex::RebuildLevels() {
  FLevels.resize(1);
  while (FLevels.back().size() > 1) {
    const std::vector<std::uint32_t>& below = FLevels.back();
    std::vector<std::uint32_t> level((below.size() + kFan - 1) / kFan, kNone);
    for (std::size_t i = 0; i < below.size(); ++i) level[i / kFan] = Better(level[i / kFan], below[i]);
    FLevels.push_back(std::move(level));
  }
}

void TMemIndex::UpdateLevels(std::size_t Block) {
  FLevels[0][Block] = BlockFirst(*FBlocks[Block], 0, FBlocks[Block]->Count);
  std::size_t i = Block;
  for (std::size_t k = 1; k < FLevels.size(); ++k) {
    i /= kFan;
    const std::vector<std::uint32_t>& below = FLevels[k - 1];
    std::uint32_t best = kNone;
    for (std::size_t j = i * kFan; j < std::min(below.size(), (i + 1) * kFan); ++j)
      best = Better(best, below[j]);
    FLevels[k][i] = best;
  }
}

// ---------------------------------------------------------------------------------------------
// Adding and removing
// ---------------------------------------------------------------------------------------------

void TMemIndex::InsertBlock(std::size_t At, std::unique_ptr<TBlock> Block) {
  const auto at = static_cast<std::ptrdiff_t>(At);
  FFirstKey.insert(FFirstKey.begin() + at, Block->Key[0]);
  FFirstRow.insert(FFirstRow.begin() + at, Block->Row[0]);
  FLevels[0].insert(FLevels[0].begin() + at, BlockFirst(*Block, 0, Block->Count));
  FBlocks.insert(FBlocks.begin() + at, std::move(Block));
}

void TMemIndex::EraseBlock(std::size_t At) {
  const auto at = static_cast<std::ptrdiff_t>(At);
  FFirstKey.erase(FFirstKey.begin() + at);
  FFirstRow.erase(FFirstRow.begin() + at);
  FLevels[0].erase(FLevels[0].begin() + at);
  FBlocks.erase(FBlocks.begin() + at);
}

void TMemIndex::Add(std::uint32_t Row) {
  const TProbe probe{KeyOf(Row), FTexts ? FTexts->Get(Row) : std::string_view(), Row};
  if (FLevels.empty()) FLevels.assign(1, std::vector<std::uint32_t>());
  if (FBlocks.empty()) {
    auto block = std::make_unique<TBlock>();
    block->Count = 1;
    block->Key[0] = probe.Key;
    block->Row[0] = Row;
    InsertBlock(0, std::move(block));
    FCount = 1;
    RebuildLevels();
    return;
  }
  const TPlace place = Search([&](std::uint64_t k, std::uint32_t r) { return EntryBefore(k, r, probe); });
  // Where it goes: before the entry found, or at the end of the block before when it would
  // lead a block (so block separators stay).
  std::size_t bi;
  int ii;
  if (AtEnd(place)) {
    bi = FBlocks.size() - 1;
    ii = FBlocks[bi]->Count;
  } else if (place.Index == 0 && place.Block > 0 && FBlocks[place.Block - 1]->Count < kCapacity) {
    bi = place.Block - 1;
    ii = FBlocks[bi]->Count;
  } else {
    bi = place.Block;
    ii = place.Index;
  }
  bool structural = false;
  if (FBlocks[bi]->Count == kCapacity) {
    // Split the full block in two halves.
    TBlock& full = *FBlocks[bi];
    auto upper = std::make_unique<TBlock>();
    const int half = kCapacity / 2;
    upper->Count = kCapacity - half;
    std::memcpy(upper->Key, full.Key + half, sizeof(std::uint64_t) * static_cast<std::size_t>(upper->Count));
    std::memcpy(upper->Row, full.Row + half, sizeof(std::uint32_t) * static_cast<std::size_t>(upper->Count));
    full.Count = half;
    FLevels[0][bi] = BlockFirst(full, 0, full.Count);
    InsertBlock(bi + 1, std::move(upper));
    if (ii > half) {
      ++bi;
      ii -= half;
    }
    structural = true;
  }
  TBlock& b = *FBlocks[bi];
  const std::size_t tail = static_cast<std::size_t>(b.Count - ii);
  std::memmove(b.Key + ii + 1, b.Key + ii, tail * sizeof(std::uint64_t));
  std::memmove(b.Row + ii + 1, b.Row + ii, tail * sizeof(std::uint32_t));
  b.Key[ii] = probe.Key;
  b.Row[ii] = Row;
  ++b.Count;
  ++FCount;
  if (ii == 0) {
    FFirstKey[bi] = probe.Key;
    FFirstRow[bi] = Row;
  }
  if (structural) {
    FLevels[0][bi] = BlockFirst(b, 0, b.Count);
    RebuildLevels();
    return;
  }
  // The new row may come first in its block and above.
  std::size_t i = bi;
  for (std::size_t k = 0; k < FLevels.size(); ++k, i /= kFan) FLevels[k][i] = Better(FLevels[k][i], Row);
}

void TMemIndex::Remove(std::uint32_t Row) {
  if (FBlocks.empty()) return;
  const TProbe probe{KeyOf(Row), FTexts ? FTexts->Get(Row) : std::string_view(), Row};
  TPlace place = Search([&](std::uint64_t k, std::uint32_t r) { return EntryBefore(k, r, probe); });
  if (AtEnd(place) || FBlocks[place.Block]->Row[place.Index] != Row) return;  // not indexed
  TBlock& b = *FBlocks[place.Block];
  const int ii = place.Index;
  const std::size_t tail = static_cast<std::size_t>(b.Count - ii - 1);
  std::memmove(b.Key + ii, b.Key + ii + 1, tail * sizeof(std::uint64_t));
  std::memmove(b.Row + ii, b.Row + ii + 1, tail * sizeof(std::uint32_t));
  --b.Count;
  --FCount;
  if (b.Count == 0) {
    EraseBlock(place.Block);
    RebuildLevels();
    return;
  }
  if (ii == 0) {
    FFirstKey[place.Block] = b.Key[0];
    FFirstRow[place.Block] = b.Row[0];
  }
  if (FLevels[0][place.Block] == Row) UpdateLevels(place.Block);
}

// ---------------------------------------------------------------------------------------------
// Structure
// ---------------------------------------------------------------------------------------------

bool TMemIndex::CheckStructure() const {
  std::size_t count = 0;
  bool havePrevious = false;
  std::uint64_t prevKey = 0;
  std::uint32_t prevRow = 0;
  for (std::size_t bi = 0; bi < FBlocks.size(); ++bi) {
    const TBlock& b = *FBlocks[bi];
    if (b.Count <= 0 || b.Count > kCapacity) return false;
    if (FFirstKey[bi] != b.Key[0] || FFirstRow[bi] != b.Row[0]) return false;
    if (FLevels[0][bi] != BlockFirst(b, 0, b.Count)) return false;
    for (int i = 0; i < b.Count; ++i) {
      if (b.Key[i] != KeyOf(b.Row[i])) return false;
      if (havePrevious) {
        const TProbe probe{b.Key[i], FTexts ? FTexts->Get(b.Row[i]) : std::string_view(), b.Row[i]};
        if (!EntryBefore(prevKey, prevRow, probe)) return false;
      }
      havePrevious = true;
      prevKey = b.Key[i];
      prevRow = b.Row[i];
    }
    count += static_cast<std::size_t>(b.Count);
  }
  if (count != FCount) return false;
  for (std::size_t k = 1; k < FLevels.size(); ++k)
    for (std::size_t i = 0; i < FLevels[k].size(); ++i) {
      std::uint32_t best = kNone;
      for (std::size_t j = i * kFan; j < std::min(FLevels[k - 1].size(), (i + 1) * kFan); ++j)
        best = Better(best, FLevels[k - 1][j]);
      if (FLevels[k][i] != best) return false;
    }
  return true;
}

}  // namespace vcl
