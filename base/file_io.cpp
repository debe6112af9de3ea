#include "base/file_io.h"

#include <atomic>
#include <cerrno>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace sylvane {

ReadFileStatus ReadWholeFile(const std::string& path, std::vector<uint8_t>& out, uint64_t max_bytes) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return ReadFileStatus::kCannotOpen;
  ReadFileStatus status = ReadFileStatus::kOk;
  if (std::fseek(f, 0, SEEK_END) != 0) {
    status = ReadFileStatus::kReadError;
  } else {
    long long size = 0;
#ifdef _WIN32
    size = _ftelli64(f);
#else
    size = ftello(f);
#endif
    if (size < 0) {
      status = ReadFileStatus::kReadError;
    } else if (static_cast<uint64_t>(size) > max_bytes) {
      status = ReadFileStatus::kTooLarge;
    } else {
      std::rewind(f);
      out.resize(static_cast<size_t>(size));
      if (size > 0 && std::fread(out.data(), 1, out.size(), f) != out.size()) {
        status = ReadFileStatus::kReadError;
        out.clear();
      }
    }
  }
  std::fclose(f);
  return status;
}

bool FileExists(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  std::fclose(f);
  return true;
}

AtomicFile::~AtomicFile() { Abandon(); }

bool AtomicFile::Open(const std::string& target_path) {
  Abandon();
  static std::atomic<unsigned> counter{0};
  target_ = target_path;
#ifdef _WIN32
  unsigned pid = GetCurrentProcessId();
#else
  unsigned pid = static_cast<unsigned>(getpid());
#endif
  temp_ = target_path + ".tmp-" + std::to_string(pid) + "-" + std::to_string(counter++);
  stream_ = std::fopen(temp_.c_str(), "wb");
  failed_ = stream_ == nullptr;
  if (!stream_) temp_.clear();
  return stream_ != nullptr;
}

bool AtomicFile::Write(const void* data, size_t size) {
  if (!stream_) return false;
  if (size && std::fwrite(data, 1, size, stream_) != size) failed_ = true;
  return !failed_;
}

bool AtomicFile::Commit() {
  if (!stream_) return false;
  bool ok = !failed_ && std::fflush(stream_) == 0 && !std::ferror(stream_);
#ifndef _WIN32
  if (ok) ok = fsync(fileno(stream_)) == 0;
#else
  if (ok) ok = _commit(_fileno(stream_)) == 0;
#endif
  ok = (std::fclose(stream_) == 0) && ok;
  stream_ = nullptr;
  if (ok) {
#ifdef _WIN32
    ok = MoveFileExA(temp_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
    ok = std::rename(temp_.c_str(), target_.c_str()) == 0;
#endif
  }
  if (!ok) std::remove(temp_.c_str());
  temp_.clear();
  return ok;
}

void AtomicFile::Abandon() {
  if (stream_) {
    std::fclose(stream_);
    stream_ = nullptr;
  }
  if (!temp_.empty()) {
    std::remove(temp_.c_str());
    temp_.clear();
  }
}

bool WriteFileAtomically(const std::string& path, const void* data, size_t size) {
  AtomicFile f;
  if (!f.Open(path)) return false;
  if (!f.Write(data, size)) return false;
  return f.Commit();
}

}  // namespace sylvane
