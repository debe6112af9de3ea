// Whole-file reading and crash-safe writing. Paths are Shift-JIS byte strings,
// as everywhere in the program.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace sylvane {

enum class ReadFileStatus { kOk, kCannotOpen, kTooLarge, kReadError };

// Reads a whole file into memory. Files above max_bytes are refused before any
// allocation.
ReadFileStatus ReadWholeFile(const std::string& path, std::vector<uint8_t>& out,
                             uint64_t max_bytes = uint64_t(1) << 31);

bool FileExists(const std::string& path);

// Writes a file so that a failure never leaves a half-written file in place of a
// good one: the bytes go to a temporary file beside the target, which replaces
// the target only after everything was written and flushed.
//
//   AtomicFile f;
//   if (!f.Open(path)) ...;          // creates "<path>.tmp-<n>"
//   fwrite(..., f.stream()); ...     // or f.Write(...)
//   if (!f.Commit()) ...;            // flush, close, rename over the target
//
// A file that is never committed is removed when the object goes away.
class AtomicFile {
 public:
  AtomicFile() = default;
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  bool Open(const std::string& target_path);
  FILE* stream() const { return stream_; }
  bool Write(const void* data, size_t size);
  bool Commit();
  void Abandon();

 private:
  std::string target_;
  std::string temp_;
  FILE* stream_ = nullptr;
  bool failed_ = false;
};

// Convenience: the whole file in one call, atomically.
bool WriteFileAtomically(const std::string& path, const void* data, size_t size);
inline bool WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes) {
  return WriteFileAtomically(path, bytes.data(), bytes.size());
}

}  // namespace sylvane
