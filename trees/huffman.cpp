#include "trees/huffman.h"

#include <cassert>
#include <cstring>
#include <limits>

namespace sylvane {
namespace {

constexpr int kLeaves = 256;
constexpr int kFirstInner = 257;
constexpr int kScanTop = 512;     // highest index looked at when picking nodes
constexpr int kNodeCount = 514;   // 513 is the sentinel
constexpr int kSentinel = 513;
constexpr int64_t kSentinelWeight = 2147483647;

// The code tree built from 256 counts.
struct CodeTree {
  int root = -1;                       // -1: no symbol at all
  int parent[kNodeCount];
  int child[kNodeCount][2];
  unsigned char side[kNodeCount];      // which child of its parent a node is
};

void BuildTree(const std::array<uint16_t, 256>& counts, CodeTree& t) {
  int64_t weight[kNodeCount] = {};
  for (int i = 0; i < kNodeCount; ++i) {
    t.parent[i] = -1;
    t.child[i][0] = t.child[i][1] = -1;
    t.side[i] = 0;
  }
  for (int i = 0; i < kLeaves; ++i) weight[i] = counts[i];
  weight[kSentinel] = kSentinelWeight;
  t.root = -1;
  int next = kFirstInner;
  for (;;) {
    int smallest = kSentinel, second = kSentinel, found = 0;
    for (int i = kScanTop; i >= 0; --i) {
      if (weight[i] <= 0) continue;
      ++found;
      if (weight[i] < weight[smallest]) {
        second = smallest;
        smallest = i;
      } else if (weight[i] < weight[second]) {
        second = i;
      }
    }
    if (found < 2) {
      t.root = found == 1 ? smallest : -1;
      return;
    }
    // 256 leaves need at most 255 joins: 257..511, below the scan top.
    assert(next <= 511);
    t.child[next][0] = smallest;
    t.child[next][1] = second;
    weight[next] = weight[smallest] + weight[second];
    t.parent[smallest] = t.parent[second] = next;
    t.side[smallest] = 0;
    t.side[second] = 1;
    weight[smallest] = weight[second] = 0;
    ++next;
  }
}

std::array<uint16_t, 256> ReadCounts(const uint8_t* block) {
  std::array<uint16_t, 256> counts{};
  for (int i = 0; i < 256; ++i) counts[i] = uint16_t((block[2 * i] << 8) | block[2 * i + 1]);
  return counts;
}

}  // namespace

std::array<uint16_t, 256> HuffmanCounts(const uint8_t* data, size_t size) {
  uint64_t raw[256] = {};
  for (size_t i = 0; i < size; ++i) ++raw[data[i]];
  uint64_t largest = 0;
  int distinct = 0, only = 0;
  for (int v = 0; v < 256; ++v) {
    if (raw[v] > largest) largest = raw[v];
    if (raw[v]) {
      ++distinct;
      only = v;
    }
  }
  std::array<uint16_t, 256> counts{};
  for (int v = 0; v < 256; ++v) {
    if (!raw[v]) continue;
    uint64_t c = largest > 65535 ? raw[v] * 65535 / largest : raw[v];
    counts[v] = uint16_t(c < 1 ? 1 : c);
  }
  // A lone byte value gets a partner that never occurs, so that it has a
  // one-bit code instead of an empty one.
  if (distinct == 1) counts[(only + 1) & 255] = 1;
  return counts;
}

int64_t HuffmanEncode(const uint8_t* data, size_t size, std::vector<uint8_t>& block) {
  block.clear();
  if (size == 0) return 0;
  std::array<uint16_t, 256> counts = HuffmanCounts(data, size);
  CodeTree tree;
  BuildTree(counts, tree);
  assert(tree.root >= kFirstInner);

  // Codes as bit strings, root first, in the low bits of a 64-bit word. With
  // counts of 1..65535 over at most 256 leaves no leaf lies deeper than about
  // 35 levels (a deeper tree would need Fibonacci-sized weights).
  uint64_t code[256] = {};
  int length[256] = {};
  int64_t bits = 0;
  for (int v = 0; v < 256; ++v) {
    if (!counts[v]) continue;
    uint64_t c = 0;
    int n = 0;
    for (int node = v; node != tree.root; node = tree.parent[node]) {
      c |= uint64_t(tree.side[node]) << n;
      ++n;
    }
    assert(n >= 1 && n <= 56);
    code[v] = c;
    length[v] = n;
  }
  {
    uint64_t raw[256] = {};
    for (size_t i = 0; i < size; ++i) ++raw[data[i]];
    for (int v = 0; v < 256; ++v) bits += int64_t(raw[v]) * length[v];
  }
  if (bits > std::numeric_limits<int32_t>::max()) return -1;

  block.assign(HuffmanBlockSize(bits), 0);
  for (int v = 0; v < 256; ++v) {
    block[2 * v] = uint8_t(counts[v] >> 8);
    block[2 * v + 1] = uint8_t(counts[v]);
  }
  uint8_t* out = block.data() + kHuffmanCountBytes;
  uint64_t acc = 0;  // pending bits, the oldest highest
  int pending = 0;
  size_t pos = 0;
  for (size_t i = 0; i < size; ++i) {
    int v = data[i];
    acc = (acc << length[v]) | code[v];
    pending += length[v];
    while (pending >= 8) {
      pending -= 8;
      out[pos++] = uint8_t(acc >> pending);
    }
  }
  if (pending > 0) out[pos++] = uint8_t(acc << (8 - pending));
  assert(pos <= block.size() - kHuffmanCountBytes);
  return bits;
}

int64_t HuffmanDecode(const uint8_t* block, size_t block_size, int64_t bits, uint8_t* out,
                      size_t out_size) {
  if (bits < 0 || block_size < HuffmanBlockSize(bits)) return -1;
  if (bits == 0) return 0;
  CodeTree tree;
  BuildTree(ReadCounts(block), tree);
  if (tree.root < 0) return -1;
  const uint8_t* code = block + kHuffmanCountBytes;
  size_t produced = 0;
  if (tree.root < kLeaves) {
    // A block from elsewhere with one counted value: every bit stands for it.
    if (uint64_t(bits) > out_size) return -1;
    std::memset(out, tree.root, size_t(bits));
    return bits;
  }
  int node = tree.root;
  for (int64_t i = 0; i < bits; ++i) {
    int bit = (code[i >> 3] >> (7 - (i & 7))) & 1;
    node = tree.child[node][bit];
    if (node < kLeaves) {
      if (produced >= out_size) return -1;
      out[produced++] = uint8_t(node);
      node = tree.root;
    }
  }
  return int64_t(produced);
}

}  // namespace sylvane
