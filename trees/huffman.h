// HuffmanBlock: the program's own byte-wise Huffman coding of the images in
// tree files. A block is 256 symbol counts (16-bit, high byte first) followed
// by the code bits, most significant bit of each byte first, padded with zero
// bits to B / 8 + 3 bytes (B = number of code bits, an integer division).
//
// Both sides build the same code tree from the stored counts: nodes 0..255 are
// the leaves, inner nodes are numbered from 257 upwards, and each round joins
// the two lightest nodes found scanning from index 512 down to 0 (ties go to
// the node seen first, i.e. the higher index).
//
// Two rules keep every block we write decodable by that reader:
//  - Counts above 65,535 are scaled so that the largest becomes 65,535
//    (count * 65535 / largest, truncated), every occurring byte value keeping
//    a count of at least 1; the coder builds its tree from the scaled counts it
//    stores, so both sides agree.
//  - An input made of one single byte value v also stores a count of 1 for the
//    value (v + 1) mod 256, which never occurs in the data. The tree then has
//    two leaves and v gets a one-bit code, so B equals the input length and
//    the block is as long as its B says.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace sylvane {

// Bytes of the count table at the start of a block.
constexpr size_t kHuffmanCountBytes = 512;

// Block length in bytes for a code length of `bits` bits: 512 + bits / 8 + 3.
constexpr size_t HuffmanBlockSize(int64_t bits) { return kHuffmanCountBytes + size_t(bits / 8) + 3; }

// The 16-bit counts stored for an input (the two rules above applied).
std::array<uint16_t, 256> HuffmanCounts(const uint8_t* data, size_t size);

// Codes size bytes into block (replacing its contents; HuffmanBlockSize(bits)
// bytes long) and returns the code length B in bits. An empty input gives
// B = 0 and an empty block: callers write no block then. Returns -1 when B
// would not fit the 32-bit length field of the file.
int64_t HuffmanEncode(const uint8_t* data, size_t size, std::vector<uint8_t>& block);

// Decodes exactly `bits` code bits of a block of block_size bytes into out
// (out_size bytes). Bytes after the decoded ones are left as they were.
// Returns the number of bytes decoded, or -1 when the block is shorter than
// HuffmanBlockSize(bits), when the counts give no tree while bits > 0, or when
// the data would overflow out.
int64_t HuffmanDecode(const uint8_t* block, size_t block_size, int64_t bits, uint8_t* out,
                      size_t out_size);

}  // namespace sylvane
