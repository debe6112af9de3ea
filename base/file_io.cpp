#include "base/file_io.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace sylvane {
namespace {

constexpr char kTempMarker[] = ".tmp-";

unsigned ProcessId() {
#ifdef _WIN32
  return unsigned(GetCurrentProcessId());
#else
  return unsigned(getpid());
#endif
}

bool IsSeparator(char c) {
#ifdef _WIN32
  return c == '/' || c == '\\';
#else
  return c == '/';
#endif
}

// The folder part of path ("" for a bare name) and the name part. Shift-JIS
// trail bytes may equal '\\': the split walks characters, not bytes.
void SplitPath(const std::string& path, std::string& folder, std::string& name) {
  size_t cut = std::string::npos;
  for (size_t i = 0; i < path.size(); ++i) {
#ifdef _WIN32
    const unsigned char c = static_cast<unsigned char>(path[i]);
    if (((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) && i + 1 < path.size()) {
      ++i;
      continue;
    }
#endif
    if (IsSeparator(path[i])) cut = i;
  }
  if (cut == std::string::npos) {
    folder.clear();
    name = path;
  } else {
    folder = path.substr(0, cut + 1);  // with its separator
    name = path.substr(cut + 1);
  }
}

// True when a process of that id still runs (or cannot be asked about).
bool ProcessRuns(unsigned pid) {
#ifdef _WIN32
  HANDLE h = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(pid));
  if (!h) return GetLastError() == ERROR_ACCESS_DENIED;
  DWORD code = 0;
  const bool runs = GetExitCodeProcess(h, &code) && code == STILL_ACTIVE;
  CloseHandle(h);
  return runs;
#else
  return kill(pid_t(pid), 0) == 0 || errno == EPERM;
#endif
}

// The process id in a temporary file's name "<name>.tmp-<pid>-<n>", or 0.
unsigned TempOwner(const std::string& file, const std::string& name) {
  const std::string prefix = name + kTempMarker;
  if (file.size() <= prefix.size() || file.compare(0, prefix.size(), prefix) != 0) return 0;
  const char* p = file.c_str() + prefix.size();
  char* end = nullptr;
  const unsigned long pid = std::strtoul(p, &end, 10);
  if (end == p || *end != '-' || pid == 0) return 0;
  const char* q = end + 1;
  std::strtoul(q, &end, 10);
  if (end == q || *end != '\0') return 0;
  return unsigned(pid);
}

// Names of the files in folder ("" = the current folder).
void ListNames(const std::string& folder, std::vector<std::string>& out) {
#ifdef _WIN32
  WIN32_FIND_DATAA data;
  HANDLE h = FindFirstFileA((folder + "*").c_str(), &data);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) out.push_back(data.cFileName);
  } while (FindNextFileA(h, &data));
  FindClose(h);
#else
  DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return;
  while (const dirent* e = readdir(dir)) out.push_back(e->d_name);
  closedir(dir);
#endif
}

// Whether saving to an existing file may go on, asked by opening it for
// writing without changing it: a file the user made read-only is not
// replaced (the program could not have opened it), while a file on a
// read-only file system is the folder's refusal, told as a write failure.
enum class TargetState { kMissing, kWritable, kFolderReadOnly, kReadOnly };
TargetState CheckTarget(const std::string& path) {
  if (!FileExists(path)) return TargetState::kMissing;
#ifdef _WIN32
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return TargetState::kReadOnly;
#endif
  FILE* f = std::fopen(path.c_str(), "r+b");
  if (f) {
    std::fclose(f);
    return TargetState::kWritable;
  }
#ifndef _WIN32
  if (errno == EROFS) return TargetState::kFolderReadOnly;
#endif
  if (errno == EACCES || errno == EPERM) return TargetState::kReadOnly;
  // Anything else (a folder of that name, ...) shows when the new file
  // replaces it.
  return TargetState::kWritable;
}

#ifndef _WIN32
// The new file takes over the old one's permission bits and, where allowed,
// its owner. A first save keeps what the umask gives.
void CopyPermissions(const std::string& from, FILE* to) {
  struct stat st;
  if (stat(from.c_str(), &st) != 0) return;
  const int fd = fileno(to);
  if (fchown(fd, st.st_uid, st.st_gid) != 0) {
    // Not the owner: the file becomes ours, with the old permission bits.
  }
  fchmod(fd, st.st_mode & 07777);
}

// Makes the rename itself durable.
void SyncFolder(const std::string& folder) {
  const int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}
#endif

// Moves temp over target in one rename, so that at every moment the target
// holds the old bytes or the new ones. (ReplaceFile is not that: given no
// backup name, Wine moves the old file aside under a temporary name first,
// and a kill between its two moves leaves no file under the target's name.)
bool ReplaceTarget(const std::string& temp, const std::string& target) {
#ifdef _WIN32
  const DWORD attributes = GetFileAttributesA(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    // A folder is never replaced by a file (Wine's rename would do it, and
    // lose what the folder holds).
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    // The new file keeps the flags the user gave the old one.
    const DWORD kept = attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
    if (kept) SetFileAttributesA(temp.c_str(), kept | FILE_ATTRIBUTE_ARCHIVE);
  }
  // The rename also replaces a file another program holds open with delete
  // sharing, as the desktop holds its wallpaper.
  return MoveFileExA(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
  if (std::rename(temp.c_str(), target.c_str()) != 0) return false;
  std::string folder, name;
  SplitPath(target, folder, name);
  SyncFolder(folder);
  return true;
#endif
}

}  // namespace

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

std::string ResolveLinks(const std::string& path) {
#ifdef _WIN32
  return path;
#else
  std::string p = path;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st;
    if (lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return p;
    std::vector<char> buffer(size_t(st.st_size > 0 ? st.st_size : 4096) + 1);
    const ssize_t n = readlink(p.c_str(), buffer.data(), buffer.size());
    if (n <= 0 || size_t(n) >= buffer.size()) return p;
    std::string link(buffer.data(), size_t(n));
    if (link[0] == '/') {
      p = link;
    } else {
      std::string folder, name;
      SplitPath(p, folder, name);
      p = folder + link;
    }
  }
  return p;
#endif
}

int RemoveLeftoverTempFiles(const std::string& target) {
  std::string folder, name;
  SplitPath(target, folder, name);
  if (name.empty()) return 0;
  std::vector<std::string> names;
  ListNames(folder, names);
  const unsigned self = ProcessId();
  int removed = 0;
  for (const std::string& file : names) {
    const unsigned owner = TempOwner(file, name);
    if (owner == 0 || owner == self || ProcessRuns(owner)) continue;
    if (std::remove((folder + file).c_str()) == 0) ++removed;
  }
  return removed;
}

AtomicFile::~AtomicFile() { Abandon(); }

bool AtomicFile::Open(const std::string& target_path) {
  Abandon();
  static std::atomic<unsigned> counter{0};
  target_ = ResolveLinks(target_path);
  failed_ = false;
  const TargetState state = CheckTarget(target_);
  if (state == TargetState::kReadOnly) return false;
  RemoveLeftoverTempFiles(target_);
  temp_ = target_ + kTempMarker + std::to_string(ProcessId()) + "-" + std::to_string(counter++);
  stream_ = std::fopen(temp_.c_str(), "wb");
  if (!stream_) {
    // No room for a new file beside the target (a read-only folder, a full
    // disk). With no file there, nothing could be opened; with one, the
    // program could have opened it, so it is the writing that fails.
    temp_.clear();
    failed_ = true;
    return state != TargetState::kMissing;
  }
  if (!buffer_) buffer_ = std::make_unique<char[]>(kBufferBytes);
  std::setvbuf(stream_, buffer_.get(), _IOFBF, kBufferBytes);
#ifndef _WIN32
  CopyPermissions(target_, stream_);
#endif
  return true;
}

bool AtomicFile::Write(const void* data, size_t size) {
  if (!stream_) return false;
  if (size && std::fwrite(data, 1, size, stream_) != size) failed_ = true;
  return !failed_;
}

bool AtomicFile::Commit(Durability durability) {
  if (!stream_) {
    failed_ = true;
    return false;
  }
  bool ok = !failed_ && std::fflush(stream_) == 0 && !std::ferror(stream_);
  if (durability == Durability::kFlushed) {
#ifndef _WIN32
    if (ok) ok = fsync(fileno(stream_)) == 0;
#else
    if (ok) ok = _commit(_fileno(stream_)) == 0;
#endif
  }
  ok = (std::fclose(stream_) == 0) && ok;
  stream_ = nullptr;
  if (ok) ok = ReplaceTarget(temp_, target_);
  if (!ok) std::remove(temp_.c_str());
  temp_.clear();
  failed_ = !ok;
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
