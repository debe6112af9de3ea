// Little-endian readers and writers over memory buffers. Every file format of
// the program is a raw dump of fixed-width fields; readers work from memory so
// that tests need no files, and they check every length before they use it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>
#include <string_view>
#include <vector>

namespace sylvane {

class ByteReader {
 public:
  ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  explicit ByteReader(const std::vector<uint8_t>& bytes) : ByteReader(bytes.data(), bytes.size()) {}

  size_t position() const { return pos_; }
  size_t remaining() const { return size_ - pos_; }
  bool at_end() const { return pos_ == size_; }
  const uint8_t* current() const { return data_ + pos_; }

  // Each Read returns false, consuming nothing, when too few bytes remain.
  bool ReadBytes(void* out, size_t n) {
    if (n > remaining()) return false;
    if (n) std::memcpy(out, data_ + pos_, n);
    pos_ += n;
    return true;
  }
  bool Skip(size_t n) {
    if (n > remaining()) return false;
    pos_ += n;
    return true;
  }
  bool Seek(size_t offset) {
    if (offset > size_) return false;
    pos_ = offset;
    return true;
  }
  bool ReadU8(uint8_t& v) { return ReadBytes(&v, 1); }
  bool ReadU16(uint16_t& v) {
    uint8_t b[2];
    if (!ReadBytes(b, 2)) return false;
    v = static_cast<uint16_t>(b[0] | (b[1] << 8));
    return true;
  }
  bool ReadU32(uint32_t& v) {
    uint8_t b[4];
    if (!ReadBytes(b, 4)) return false;
    v = uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) | (uint32_t(b[3]) << 24);
    return true;
  }
  bool ReadI32(int32_t& v) {
    uint32_t u;
    if (!ReadU32(u)) return false;
    v = static_cast<int32_t>(u);
    return true;
  }
  bool ReadF32(float& v) {
    uint32_t u;
    if (!ReadU32(u)) return false;
    std::memcpy(&v, &u, 4);
    return true;
  }
  // A char[n] buffer holding NUL-terminated text: returns the text before the
  // first NUL (the whole buffer when there is none).
  bool ReadCharBuffer(size_t n, std::string& out) {
    if (n > remaining()) return false;
    const char* p = reinterpret_cast<const char*>(data_ + pos_);
    out.assign(p, strnlen(p, n));
    pos_ += n;
    return true;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

class ByteWriter {
 public:
  std::vector<uint8_t>& bytes() { return bytes_; }
  const std::vector<uint8_t>& bytes() const { return bytes_; }
  size_t size() const { return bytes_.size(); }
  // Forgets the bytes written so far and keeps the storage, so that one
  // writer can encode a long file piece by piece.
  void Clear() { bytes_.clear(); }

  void WriteBytes(const void* p, size_t n) {
    const uint8_t* b = static_cast<const uint8_t*>(p);
    bytes_.insert(bytes_.end(), b, b + n);
  }
  void WriteU8(uint8_t v) { bytes_.push_back(v); }
  void WriteU16(uint16_t v) {
    WriteU8(uint8_t(v));
    WriteU8(uint8_t(v >> 8));
  }
  void WriteU32(uint32_t v) {
    for (int i = 0; i < 4; ++i) WriteU8(uint8_t(v >> (8 * i)));
  }
  void WriteI32(int32_t v) { WriteU32(static_cast<uint32_t>(v)); }
  void WriteF32(float v) {
    uint32_t u;
    std::memcpy(&u, &v, 4);
    WriteU32(u);
  }
  // Writes text into a char[n] buffer: the text, a NUL, zero padding. Text
  // longer than n - 1 bytes is cut so that the NUL always fits.
  void WriteCharBuffer(std::string_view text, size_t n) {
    size_t len = text.size() < n ? text.size() : (n ? n - 1 : 0);
    WriteBytes(text.data(), len);
    bytes_.insert(bytes_.end(), n - len, 0);
  }

 private:
  std::vector<uint8_t> bytes_;
};

// Where an encoder hands its bytes, piece by piece as they are made, so that
// a long file need not be held in memory whole: a growing buffer, a file.
class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // False when the bytes could not be taken (the encoder then stops).
  virtual bool Put(const void* data, size_t size) = 0;
};

// A sink that appends to a buffer.
class VectorSink : public ByteSink {
 public:
  explicit VectorSink(std::vector<uint8_t>& out) : out_(out) {}
  // False when the buffer cannot grow: encoders call sinks from C libraries,
  // which an exception must not pass through.
  bool Put(const void* data, size_t size) override {
    const uint8_t* b = static_cast<const uint8_t*>(data);
    try {
      out_.insert(out_.end(), b, b + size);
    } catch (const std::bad_alloc&) {
      return false;
    }
    return true;
  }

 private:
  std::vector<uint8_t>& out_;
};

}  // namespace sylvane
