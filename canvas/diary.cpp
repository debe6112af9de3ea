#include "canvas/diary.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <vector>

#include "base/file_io.h"
#include "canvas/image/image_io.h"
#include "canvas/records/options.h"
#include "platform/folder_list.h"
#include "platform/text.h"

namespace sylvane {
namespace {

bool IsDigits(const std::string& s, size_t from, size_t count) {
  for (size_t i = from; i < from + count; ++i)
    if (s[i] < '0' || s[i] > '9') return false;
  return true;
}

int Number(const std::string& s, size_t from, size_t count) {
  int n = 0;
  for (size_t i = from; i < from + count; ++i) n = n * 10 + (s[i] - '0');
  return n;
}

// One folder level; an existing folder is fine.
bool MakeFolder(const std::string& path) {
  if (FolderExists(path)) return true;
#ifdef _WIN32
  const int made = mkdir(path.c_str());
#else
  const int made = mkdir(path.c_str(), 0777);
#endif
  return made == 0 || (errno == EEXIST && FolderExists(path));
}

uint64_t FileBytes(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return 0;
  return uint64_t(st.st_size);
}

// The sub-folders of a folder by name.
std::vector<std::string> SubFolders(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  if (!dir) return names;
  while (const dirent* e = readdir(dir)) {
    const std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    if (FolderExists(JoinPath(folder, name))) names.push_back(name);
  }
  closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

std::string DiaryPictureName(const DiaryDate& date) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d.jpg", date.year, date.month, date.day);
  return buf;
}

bool ParseDiaryPictureName(const std::string& name, DiaryDate& date) {
  if (name.size() != 14 || name[4] != '-' || name[7] != '-' || !IsDigits(name, 0, 4) || !IsDigits(name, 5, 2) ||
      !IsDigits(name, 8, 2))
    return false;
  std::string ext = name.substr(10);
  for (char& c : ext)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  if (ext != ".jpg") return false;
  DiaryDate d{Number(name, 0, 4), Number(name, 5, 2), Number(name, 8, 2)};
  if (d.year < 1 || d.month < 1 || d.month > 12 || d.day < 1 || d.day > 31) return false;
  date = d;
  return true;
}

std::string DiaryGardenFolderName(const std::string& garden_name) {
  std::string out;
  for (size_t i = 0; i < garden_name.size(); ++i) {
    const auto c = static_cast<unsigned char>(garden_name[i]);
    if (IsSjisLeadByte(c) && i + 1 < garden_name.size()) {
      out += garden_name[i];
      out += garden_name[++i];  // a trail byte, even when it is '\'
      continue;
    }
    const bool refused = c < 0x20 || c == '\\' || c == '/' || c == ':' || c == '*' || c == '?' || c == '"' ||
                         c == '<' || c == '>' || c == '|';
    out += refused ? '_' : char(c);
  }
  while (!out.empty() && (out.back() == '.' || out.back() == ' ')) {
    // Neither byte can be the trail of a two-byte character.
    out.pop_back();
  }
  return out.empty() ? "garden" : out;
}

std::string DiaryRoot(const std::string& program_folder) { return JoinPath(program_folder, kDiaryFolderName); }

std::string DiaryGardenFolder(const std::string& program_folder, const std::string& garden_name) {
  return JoinPath(DiaryRoot(program_folder), DiaryGardenFolderName(garden_name));
}

DiaryLimits DiaryLimitsFor(const Options& options) {
  DiaryLimits limits;
  limits.max_bytes = uint64_t(std::max(options.diary_max_mb, 1)) << 20;
  return limits;
}

std::vector<DiaryEntry> ListDiaryFolder(const std::string& folder, std::vector<std::string>* others) {
  std::vector<DiaryEntry> entries;
  std::vector<FolderEntry> files;
  if (!ListFolderFiles(folder, "", files)) return entries;
  for (const FolderEntry& f : files) {
    DiaryEntry e;
    if (ParseDiaryPictureName(f.name, e.date)) {
      e.path = JoinPath(folder, f.name);
      e.bytes = FileBytes(e.path);
      entries.push_back(std::move(e));
    } else if (others) {
      others->push_back(f.name);
    }
  }
  std::sort(entries.begin(), entries.end(), [](const DiaryEntry& a, const DiaryEntry& b) {
    return a.date != b.date ? a.date < b.date : a.path < b.path;
  });
  if (others) std::sort(others->begin(), others->end());
  return entries;
}

int PruneDiary(const std::string& diary_root, const std::string& garden_folder, const DiaryLimits& limits,
               const std::string& keep) {
  int deleted = 0;
  // The garden's own count, oldest first.
  std::vector<DiaryEntry> own = ListDiaryFolder(garden_folder);
  const size_t per_garden = size_t(std::max(limits.pictures_per_garden, 1));
  for (size_t i = 0; own.size() - i > per_garden; ++i) {
    if (own[i].path == keep) continue;
    if (DeleteFileAt(own[i].path)) ++deleted;
  }

  // The total over every garden, oldest date first whichever garden.
  std::vector<DiaryEntry> all;
  uint64_t total = 0;
  for (const std::string& name : SubFolders(diary_root)) {
    for (DiaryEntry& e : ListDiaryFolder(JoinPath(diary_root, name))) {
      total += e.bytes;
      all.push_back(std::move(e));
    }
  }
  std::stable_sort(all.begin(), all.end(),
                   [](const DiaryEntry& a, const DiaryEntry& b) { return a.date < b.date; });
  for (size_t i = 0; i < all.size() && total > limits.max_bytes; ++i) {
    if (all[i].path == keep) continue;
    if (DeleteFileAt(all[i].path)) {
      total -= std::min(total, all[i].bytes);
      ++deleted;
    }
  }
  return deleted;
}

bool DiaryPictureDue(const std::string& program_folder, const std::string& garden_name, const DiaryDate& today,
                     const Options& options) {
  if (!options.diary_enabled) return false;
  return !FileExists(JoinPath(DiaryGardenFolder(program_folder, garden_name), DiaryPictureName(today)));
}

DiaryResult WriteDiaryPicture(const std::string& program_folder, const std::string& garden_name,
                              const DiaryDate& today, const Surface& lit, const Options& options) {
  DiaryResult result;
  if (!options.diary_enabled) {
    result.status = DiaryStatus::kDisabled;
    return result;
  }
  const std::string root = DiaryRoot(program_folder);
  const std::string folder = DiaryGardenFolder(program_folder, garden_name);
  result.path = JoinPath(folder, DiaryPictureName(today));
  if (FileExists(result.path)) {
    result.status = DiaryStatus::kAlreadyWritten;
    return result;
  }
  if (!MakeFolder(root) || !MakeFolder(folder)) {
    result.reason = "成長の記録のフォルダを作れませんでした: " + folder;
    return result;
  }
  std::vector<uint8_t> bytes;
  if (lit.empty() || !EncodeJpeg(lit, kDiaryJpegQuality, bytes)) {
    result.reason = "成長の記録の画像を作れませんでした: " + result.path;
    return result;
  }
  if (!WriteFileAtomically(result.path, bytes)) {
    result.reason = "成長の記録の画像を書き込めませんでした: " + result.path;
    return result;
  }
  PruneDiary(root, folder, DiaryLimitsFor(options), result.path);
  result.status = DiaryStatus::kWritten;
  return result;
}

}  // namespace sylvane
