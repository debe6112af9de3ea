#include "platform/folder_list.h"

#include <cctype>
#include <cstdio>

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#endif

#include "platform/text.h"

namespace sylvane {
namespace {

bool EndsWithNoCase(std::string_view name, std::string_view suffix) {
  if (name.size() < suffix.size()) return false;
  std::string_view tail = name.substr(name.size() - suffix.size());
  for (size_t i = 0; i < suffix.size(); ++i) {
    unsigned char a = static_cast<unsigned char>(tail[i]), b = static_cast<unsigned char>(suffix[i]);
    if (a < 0x80 && b < 0x80 ? std::tolower(a) != std::tolower(b) : a != b) return false;
  }
  // A Shift-JIS lead byte just before the suffix would swallow its first byte.
  if (name.size() > suffix.size()) {
    size_t start = name.size() - suffix.size();
    size_t i = 0;
    while (i < start) i += IsSjisLeadByte(static_cast<unsigned char>(name[i])) ? 2 : 1;
    if (i != start) return false;
  }
  return true;
}

}  // namespace

#ifdef _WIN32

bool ListFolderFiles(const std::string& folder, std::string_view suffix, std::vector<FolderEntry>& out) {
  out.clear();
  WIN32_FIND_DATAA data;
  HANDLE h = FindFirstFileA(JoinPath(folder, "*").c_str(), &data);
  if (h == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
  do {
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    if (!EndsWithNoCase(data.cFileName, suffix)) continue;
    FolderEntry e;
    e.name = data.cFileName;
    e.created = (uint64_t(data.ftCreationTime.dwHighDateTime) << 32) | data.ftCreationTime.dwLowDateTime;
    out.push_back(std::move(e));
  } while (FindNextFileA(h, &data));
  FindClose(h);
  return true;
}

bool DeleteFileAt(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }

bool FolderExists(const std::string& path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

#else

namespace {
// Creation (birth) time where the file system keeps one, else the last change.
bool FileTime(const std::string& path, uint64_t& ticks) {
#ifdef STATX_BTIME
  struct statx sx;
  if (statx(AT_FDCWD, path.c_str(), 0, STATX_BTIME | STATX_MTIME | STATX_TYPE, &sx) == 0) {
    if (!S_ISREG(sx.stx_mode)) return false;
    const struct statx_timestamp& t = (sx.stx_mask & STATX_BTIME) ? sx.stx_btime : sx.stx_mtime;
    ticks = uint64_t(t.tv_sec) * 10000000u + t.tv_nsec / 100u;
    return true;
  }
#endif
  struct stat st;
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  ticks = uint64_t(st.st_mtim.tv_sec) * 10000000u + uint64_t(st.st_mtim.tv_nsec) / 100u;
  return true;
}
}  // namespace

bool ListFolderFiles(const std::string& folder, std::string_view suffix, std::vector<FolderEntry>& out) {
  out.clear();
  DIR* d = opendir(folder.empty() ? "." : folder.c_str());
  if (!d) return false;
  while (struct dirent* e = readdir(d)) {
    std::string name = e->d_name;
    if (!EndsWithNoCase(name, suffix)) continue;
    FolderEntry entry;
    if (!FileTime(JoinPath(folder, name), entry.created)) continue;
    entry.name = std::move(name);
    out.push_back(std::move(entry));
  }
  closedir(d);
  return true;
}

bool DeleteFileAt(const std::string& path) { return std::remove(path.c_str()) == 0; }

bool FolderExists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

#endif

}  // namespace sylvane
