// Whole-file reading and crash-safe writing. Paths are Shift-JIS byte strings,
// as everywhere in the program.
#pragma once
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "base/bytes.h"

namespace sylvane {

enum class ReadFileStatus { kOk, kCannotOpen, kTooLarge, kReadError };

// Reads a whole file into memory. Files above max_bytes are refused before any
// allocation.
ReadFileStatus ReadWholeFile(const std::string& path, std::vector<uint8_t>& out,
                             uint64_t max_bytes = uint64_t(1) << 31);

bool FileExists(const std::string& path);

// Writes a file so that a failure never leaves a half-written file in place of a
// good one: the bytes go to a temporary file beside the target, which replaces
// the target only after everything was written and flushed to the disk.
//
//   AtomicFile f;
//   if (!f.Open(path)) ...;          // cannot write path at all
//   f.Write(...); ...
//   if (!f.Commit()) ...;            // write failed: the old file is unchanged
//
// What the user set up stays: a symbolic link is followed and its target
// rewritten (the link stays a link); the new file gets the old one's
// permission bits (and owner, where allowed); on Windows ReplaceFile keeps the
// old file's attributes and security, a first save is a plain rename.
//
// The temporary file is "<target>.tmp-<process id>-<n>". A file that is never
// committed is removed when the object goes away; one left by a process that
// was killed while saving is removed by the next Open of the same target.
//
// Writes go through a buffer of kBufferBytes, so that an encoder may hand
// over its output in small pieces (as a ByteSink) without a system call each.
//
// Commit's durability: whether the bytes are flushed to the disk before the
// new file replaces the target. kCached leaves them to the system's cache: a
// crash or kill of the program still never leaves a half-written file, only a
// failure of the whole system before it wrote its cache can. For pictures
// remade at every update (the wallpaper), whose flush costs more than all the
// rest of writing them.
enum class Durability { kFlushed, kCached };

class AtomicFile : public ByteSink {
 public:
  static constexpr size_t kBufferBytes = size_t(1) << 16;

  AtomicFile() = default;
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  // False when the target cannot be written at all: no such folder, a file
  // the user made read-only (it is not replaced), or no file and no room for
  // one. When a target exists but the temporary file cannot be made beside it
  // (a read-only folder or file system, a full disk), Open succeeds and Write
  // and Commit fail: the program could have opened the file, so it is the
  // writing that failed.
  bool Open(const std::string& target_path);
  bool Write(const void* data, size_t size);
  bool Put(const void* data, size_t size) override { return Write(data, size); }
  bool Commit(Durability durability = Durability::kFlushed);
  void Abandon();
  // The file that Commit replaces: the target, or where its link points.
  const std::string& final_path() const { return target_; }

 private:
  std::string target_;
  std::string temp_;
  FILE* stream_ = nullptr;
  std::unique_ptr<char[]> buffer_;  // the stream's buffer, kBufferBytes; outlives the stream
  bool failed_ = false;
};

// Convenience: the whole file in one call, atomically.
bool WriteFileAtomically(const std::string& path, const void* data, size_t size);
inline bool WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes) {
  return WriteFileAtomically(path, bytes.data(), bytes.size());
}

// The path a symbolic link finally points to (relative links taken from the
// link's folder); the path itself when it is not a link. At most 40 links.
std::string ResolveLinks(const std::string& path);

// Removes the temporary files of AtomicFile beside target whose process no
// longer runs (a save that was killed). Returns how many were removed.
int RemoveLeftoverTempFiles(const std::string& target);

}  // namespace sylvane
