#include "platform/writable_folder.h"

#include <cstdio>

#include "platform/folder_list.h"
#include "platform/text.h"

namespace sylvane {
namespace {

// Opens an existing file for update without truncating or writing it.
bool CanOpenForWriting(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "r+b");
  if (!f) return false;
  std::fclose(f);
  return true;
}

bool FileExists(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  std::fclose(f);
  return true;
}

}  // namespace

FolderWriteStatus CheckFolderWritable(const std::string& folder) {
  if (!FolderExists(folder)) return FolderWriteStatus::kMissing;
  // A probe left behind by an earlier run that stopped between the two steps
  // is simply overwritten: the name is the program's own.
  std::string probe = JoinPath(folder, kWriteProbeName);
  std::FILE* f = std::fopen(probe.c_str(), "wb");
  if (!f) return FolderWriteStatus::kCannotCreate;
  // A full disk or a quota shows at the write or the close, not at the open.
  bool written = std::fputc('s', f) != EOF;
  written = (std::fclose(f) == 0) && written;
  std::remove(probe.c_str());
  if (!written) return FolderWriteStatus::kCannotCreate;
  for (const char* name : kProgramFolderFiles) {
    std::string path = JoinPath(folder, name);
    if (FileExists(path) && !CanOpenForWriting(path)) return FolderWriteStatus::kReadOnlyFile;
  }
  return FolderWriteStatus::kWritable;
}

std::string ReadOnlyFolderMessage(const std::string& folder) {
  return "シルヴァネのフォルダーに書き込めません。\n\n" + folder +
         "\n\nシルヴァネは設定（sylvane.ini）、庭（default.syl）と壁紙の画像（default.bmp）を"
         "このフォルダーに保存します。フォルダーを丸ごと書き込みのできる場所（例えばドキュメントの中）に"
         "コピーしてから起動してください。\n\nこのフォルダーの中は何も変えずに終了します。";
}

bool WarnIfProgramFolderReadOnly(Platform& platform) {
  std::string folder = platform.ProgramFolder();
  if (CheckFolderWritable(folder) == FolderWriteStatus::kWritable) return true;
  platform.ShowMessage(ReadOnlyFolderMessage(folder), kReadOnlyFolderCaption);
  return false;
}

}  // namespace sylvane
