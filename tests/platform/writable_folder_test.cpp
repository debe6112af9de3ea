// The check of a program folder that cannot be written: real folders and
// files, a probe that leaves nothing behind, and one message naming the folder.
#include "platform/writable_folder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#ifdef _WIN32
#include <direct.h>
#include <io.h>
#else
#include <sys/stat.h>
#endif

#include "platform/folder_list.h"
#include "platform/text.h"
#include "support/recording_platform.h"

namespace sylvane {
namespace {

using testing::RecordedMessage;
using testing::RecordingPlatform;
using testing::TempDir;

void WriteFile(const std::string& path, const std::string& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr) << path;
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

std::string ReadFile(const std::string& path) {
  std::string out;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return "<missing>";
  int c;
  while ((c = std::fgetc(f)) != EOF) out.push_back(static_cast<char>(c));
  std::fclose(f);
  return out;
}

bool MakeFolder(const std::string& path) {
#ifdef _WIN32
  return _mkdir(path.c_str()) == 0;
#else
  return mkdir(path.c_str(), 0755) == 0;
#endif
}

// Makes path read-only (the read-only attribute on Windows, the mode bits
// elsewhere). False when the system still lets this process write it, as it
// does for the superuser (and under Wine run by the superuser): the test has
// nothing to check then.
bool MakeReadOnly(const std::string& path) {
#ifdef _WIN32
  if (_chmod(path.c_str(), 0444) != 0) return false;
#else
  if (chmod(path.c_str(), 0444) != 0) return false;
#endif
  std::FILE* f = std::fopen(path.c_str(), "r+b");
  if (!f) return true;
  std::fclose(f);
  return false;
}

void MakeWritable(const std::string& path) {
#ifdef _WIN32
  _chmod(path.c_str(), 0666);
#else
  chmod(path.c_str(), 0644);
#endif
}

std::vector<std::string> AllFiles(const std::string& folder) {
  std::vector<FolderEntry> entries;
  EXPECT_TRUE(ListFolderFiles(folder, "", entries));
  std::vector<std::string> names;
  for (const FolderEntry& e : entries) names.push_back(e.name);
  return names;
}

TEST(WritableFolder, AnEmptyFolderIsWritableAndStaysEmpty) {
  TempDir dir;
  EXPECT_EQ(CheckFolderWritable(dir.path()), FolderWriteStatus::kWritable);
  EXPECT_TRUE(AllFiles(dir.path()).empty());
}

TEST(WritableFolder, TheProgramsFilesAreLeftByteForByte) {
  TempDir dir;
  const std::string ini("sylvanewood_ini\0\x85\xEB\xB1\x3F", 20);
  const std::string syl("sylvanewood_syl\0\xCD\xCC\x4C\x3E rest", 25);
  WriteFile(dir.File("sylvane.ini"), ini);
  WriteFile(dir.File("default.syl"), syl);
  // A probe left by a run that stopped half-way is replaced and removed.
  WriteFile(dir.File(kWriteProbeName), "old");
  EXPECT_EQ(CheckFolderWritable(dir.path()), FolderWriteStatus::kWritable);
  EXPECT_EQ(ReadFile(dir.File("sylvane.ini")), ini);
  EXPECT_EQ(ReadFile(dir.File("default.syl")), syl);
  EXPECT_EQ(ReadFile(dir.File(kWriteProbeName)), "<missing>");
  EXPECT_EQ(AllFiles(dir.path()).size(), 2u);
}

TEST(WritableFolder, AFolderEndingInATrailByteEqualToBackslash) {
  TempDir dir;
  // "表" in Shift-JIS is 0x95 0x5C: its second byte is no separator.
  std::string folder = dir.File("\x95\x5C");
  ASSERT_TRUE(MakeFolder(folder));
  EXPECT_EQ(CheckFolderWritable(folder), FolderWriteStatus::kWritable);
  EXPECT_TRUE(AllFiles(folder).empty());
}

TEST(WritableFolder, AMissingFolderOrAFileIsNoFolder) {
  TempDir dir;
  EXPECT_EQ(CheckFolderWritable(dir.File("absent")), FolderWriteStatus::kMissing);
  WriteFile(dir.File("plain"), "x");
  EXPECT_EQ(CheckFolderWritable(dir.File("plain")), FolderWriteStatus::kMissing);
}

TEST(WritableFolder, AReadOnlyFileOfTheProgram) {
  TempDir dir;
  WriteFile(dir.File("default.syl"), "garden");
  if (!MakeReadOnly(dir.File("default.syl"))) GTEST_SKIP() << "read-only files are writable for this user";
  EXPECT_EQ(CheckFolderWritable(dir.path()), FolderWriteStatus::kReadOnlyFile);
  EXPECT_EQ(ReadFile(dir.File("default.syl")), "garden");
  // Other read-only files in the folder are not the program's business.
  MakeWritable(dir.File("default.syl"));
  WriteFile(dir.File("notes.txt"), "n");
  MakeReadOnly(dir.File("notes.txt"));
  EXPECT_EQ(CheckFolderWritable(dir.path()), FolderWriteStatus::kWritable);
  MakeWritable(dir.File("notes.txt"));
}

// A folder where no one may create files, the superuser included.
std::string FolderWithoutCreation() {
#ifdef _WIN32
  return "Z:\\proc";  // the host's /proc under Wine's drive for the root
#else
  return "/proc";
#endif
}

TEST(WritableFolder, AFolderWhereNoFileCanBeMade) {
  std::string folder = FolderWithoutCreation();
  if (!FolderExists(folder)) GTEST_SKIP() << folder << " does not exist here";
  EXPECT_EQ(CheckFolderWritable(folder), FolderWriteStatus::kCannotCreate);
}

TEST(WritableFolder, StartUpSaysSoOnceNamingTheFolder) {
  RecordingPlatform platform;
  TempDir dir;
  platform.program_folder = dir.File("\x95\x5C\x8E\xA6");  // "表示", not there
  EXPECT_FALSE(WarnIfProgramFolderReadOnly(platform));
  ASSERT_EQ(platform.messages.size(), 1u);
  const RecordedMessage& m = platform.messages[0];
  EXPECT_FALSE(m.question);
  EXPECT_EQ(m.caption, kReadOnlyFolderCaption);
  EXPECT_NE(m.text.find(platform.program_folder), std::string::npos);
  EXPECT_EQ(m.text, ReadOnlyFolderMessage(platform.program_folder));
  // Japanese text in Shift-JIS, as every message of the program.
  EXPECT_NE(m.text.find("書き込めません"), std::string::npos);
  EXPECT_NE(SjisToUtf8(m.text).find("\xE6\x9B\xB8"), std::string::npos);  // 書 in UTF-8
}

TEST(WritableFolder, AWritableFolderSaysNothing) {
  RecordingPlatform platform;
  TempDir dir;
  platform.program_folder = dir.path();
  EXPECT_TRUE(WarnIfProgramFolderReadOnly(platform));
  EXPECT_TRUE(platform.messages.empty());
}

}  // namespace
}  // namespace sylvane
