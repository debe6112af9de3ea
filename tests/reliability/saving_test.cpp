// Saving keeps what the user set up and never leaves a broken file or a stray
// temporary file: links are followed, permissions kept, temporary files of a
// killed save cleared by the next one, and a full disk or a read-only folder
// fail with the write-failure message while the old file stays.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <string>
#include <vector>

#include "base/file_io.h"
#include "canvas/records/settings.h"
#include "gardens/garden_fixtures.h"
#include "reliability/small_disk.h"
#include "platform/text.h"
#include "support/recording_platform.h"
#include "trees/ki_file.h"

namespace sylvane::testing {
namespace {

namespace fs = std::filesystem;

#ifndef _WIN32

std::vector<uint8_t> Bytes(const std::string& path) {
  std::vector<uint8_t> bytes;
  EXPECT_EQ(ReadWholeFile(path, bytes), ReadFileStatus::kOk) << path;
  return bytes;
}

// Files of the folder whose name holds ".tmp-".
std::vector<std::string> TempFiles(const std::string& folder) {
  std::vector<std::string> found;
  for (const auto& e : fs::directory_iterator(folder))
    if (e.path().filename().string().find(".tmp-") != std::string::npos) found.push_back(e.path().string());
  return found;
}

TEST(Saving, ThroughASymlinkTheLinkStaysAndItsTargetIsWritten) {
  TempDir dir;
  const std::string real = dir.File("real.syl");
  ASSERT_TRUE(WriteFileAtomically(real, "old", 3));
  fs::create_directory(dir.File("links"));
  const std::string link = dir.File("links/garden.syl");
  fs::create_symlink("../real.syl", link);  // relative to the link's folder
  ASSERT_TRUE(WriteFileAtomically(link, "new contents", 12));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(fs::read_symlink(link), "../real.syl");
  EXPECT_EQ(Bytes(real), std::vector<uint8_t>({'n', 'e', 'w', ' ', 'c', 'o', 'n', 't', 'e', 'n', 't', 's'}));
  EXPECT_TRUE(TempFiles(dir.path()).empty());
  EXPECT_TRUE(TempFiles(dir.File("links")).empty());
  // A chain of links, ending in a file that is not there yet: it is made.
  fs::create_symlink(dir.File("links/garden.syl"), dir.File("second.syl"));
  fs::create_symlink(dir.File("made.syl"), dir.File("dangling.syl"));
  ASSERT_TRUE(WriteFileAtomically(dir.File("second.syl"), "2", 1));
  ASSERT_TRUE(WriteFileAtomically(dir.File("dangling.syl"), "3", 1));
  EXPECT_EQ(Bytes(real), std::vector<uint8_t>{'2'});
  EXPECT_EQ(Bytes(dir.File("made.syl")), std::vector<uint8_t>{'3'});
  EXPECT_TRUE(fs::is_symlink(dir.File("dangling.syl")));
}

TEST(Saving, PermissionsOfTheOldFileAreKept) {
  TempDir dir;
  RecordingPlatform platform;
  const std::string path = dir.File("t.ki");
  Tree tree;
  MakeFixtureTree(tree, 1);
  ASSERT_EQ(SaveTreeFile(tree, path), 0);
  for (mode_t mode : {mode_t(0640), mode_t(0604), mode_t(0755)}) {
    ASSERT_EQ(chmod(path.c_str(), mode), 0);
    ASSERT_EQ(SaveTreeFile(tree, path), 0);
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, mode);
  }
  EXPECT_TRUE(platform.messages.empty());
}

TEST(Saving, TheNextSaveRemovesTheTemporaryFilesOfAKilledOne) {
  TempDir dir;
  const std::string path = dir.File("g.syl");
  // The id of a process that has ended.
  const pid_t child = fork();
  if (child == 0) _exit(0);
  ASSERT_GT(child, 0);
  int status = 0;
  waitpid(child, &status, 0);
  const std::string dead = ".tmp-" + std::to_string(child) + "-7";
  const std::string live = ".tmp-" + std::to_string(getppid()) + "-0";
  for (const std::string& name : {"g.syl" + dead, "g.syl" + live, "other.syl" + dead, std::string("g.syl.tmp-x-1")})
    ASSERT_TRUE(WriteFileAtomically(dir.File(name), "half", 4));
  ASSERT_TRUE(WriteFileAtomically(path, "whole", 5));
  EXPECT_FALSE(fs::exists(dir.File("g.syl" + dead)));
  // A running process's save, another file's and a name of another form stay.
  EXPECT_TRUE(fs::exists(dir.File("g.syl" + live)));
  EXPECT_TRUE(fs::exists(dir.File("other.syl" + dead)));
  EXPECT_TRUE(fs::exists(dir.File("g.syl.tmp-x-1")));
  EXPECT_EQ(RemoveLeftoverTempFiles(dir.File("other.syl")), 1);
}

class FullDiskTest : public ::testing::Test {
 protected:
  RecordingPlatform platform;
  TempDir dir;

  // Checks a failed save: the message, the old bytes, no temporary file.
  void ExpectKept(const std::string& path, const std::vector<uint8_t>& old, const char* text) {
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text, text);
    EXPECT_EQ(platform.messages[0].caption, "エラー");
    EXPECT_EQ(Bytes(path), old);
    EXPECT_TRUE(TempFiles(fs::path(path).parent_path().string()).empty());
    platform.messages.clear();
  }
};

TEST_F(FullDiskTest, AFullDiskFailsEverySaveAndKeepsTheOldFiles) {
  SmallDisk disk(dir.File("disk"), "96k");
  if (!disk.mounted()) GTEST_SKIP() << "mounting a small file system needs root";
  const std::string folder = dir.File("disk");
  // Small old files, then a garden far larger than the disk.
  TestGarden small;
  FillGarden(small, 8, 6);
  const std::string garden = JoinPath(folder, "g.syl");
  ASSERT_EQ(SaveCanvasFile(small.refs(), garden), kSylSaveOk);
  Tree tree;
  MakeFixtureTree(tree, 0);
  const std::string tree_path = JoinPath(folder, "t.ki");
  ASSERT_EQ(SaveTreeFile(tree, tree_path), 0);
  MInitInfo settings;
  ASSERT_EQ(settings.Save(kSettingsFileName, folder), kSettingsOk);
  const std::vector<uint8_t> old_garden = Bytes(garden), old_tree = Bytes(tree_path);
  const std::vector<uint8_t> old_settings = Bytes(JoinPath(folder, kSettingsFileName));
  // Fill the rest of the disk.
  std::vector<uint8_t> filler(4096, 0x55);
  FILE* f = std::fopen(JoinPath(folder, "filler").c_str(), "wb");
  ASSERT_NE(f, nullptr);
  while (std::fwrite(filler.data(), 1, filler.size(), f) == filler.size() && std::fflush(f) == 0) {
  }
  std::fclose(f);

  TestGarden big;
  FillGarden(big, 400, 300);
  EXPECT_EQ(SaveCanvasFile(big.refs(), garden), kSylWriteFailed);
  ExpectKept(garden, old_garden, "ファイルの書き込みに失敗しました。SaveKi3");
  EXPECT_EQ(SaveDefaultCanvasFile(big.refs(), folder), kSylWriteFailed);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, "ファイルの書き込みに失敗しました。SaveKi2");
  platform.messages.clear();
  EXPECT_FALSE(fs::exists(JoinPath(folder, "default.syl")));
  EXPECT_EQ(big.canvas.has_file, 0);  // the failed save did not adopt the path
  tree.parts[0] = MakePart(120, 90, 3);
  EXPECT_EQ(SaveTreeFile(tree, tree_path), -2);
  ExpectKept(tree_path, old_tree, "ファイルの書き込みに失敗しました。SaveKi");
  settings.changer_images.AllocateFilled(200, 400, 'x');
  EXPECT_EQ(settings.Save(kSettingsFileName, folder), kSettingsWriteFailed);
  ExpectKept(JoinPath(folder, kSettingsFileName), old_settings, "ファイルの書き込みに失敗しました。MInitInfo::Save");
}

TEST_F(FullDiskTest, AReadOnlyFolderFailsWithTheWriteMessageAndKeepsTheOldFile) {
  SmallDisk disk(dir.File("disk"), "1m");
  if (!disk.mounted()) GTEST_SKIP() << "mounting a small file system needs root";
  const std::string folder = dir.File("disk");
  TestGarden g;
  FillGarden(g, 20, 10);
  const std::string garden = JoinPath(folder, "g.syl");
  ASSERT_EQ(SaveCanvasFile(g.refs(), garden), kSylSaveOk);
  const std::vector<uint8_t> old = Bytes(garden);
  ASSERT_TRUE(disk.MakeReadOnly());
  FillGarden(g, 30, 12);
  EXPECT_EQ(SaveCanvasFile(g.refs(), garden), kSylWriteFailed);
  ExpectKept(garden, old, "ファイルの書き込みに失敗しました。SaveKi3");
  // A file that is not there cannot be opened at all: the open-failure message.
  EXPECT_EQ(SaveCanvasFile(g.refs(), JoinPath(folder, "new.syl")), kSylCannotOpen);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, "ファイルのオープンに失敗しました。SaveKi3");
}

#else  // _WIN32

TEST(Saving, ReplacingKeepsTheOldFilesAttributes) {
  TempDir dir;
  const std::string path = dir.File("g.syl");
  // A first save: a plain rename.
  ASSERT_TRUE(WriteFileAtomically(path, "one", 3));
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
  ASSERT_TRUE(WriteFileAtomically(path, "two!", 4));
  const DWORD attributes = GetFileAttributesA(path.c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_HIDDEN);
  std::vector<uint8_t> bytes;
  ASSERT_EQ(ReadWholeFile(path, bytes), ReadFileStatus::kOk);
  EXPECT_EQ(bytes, std::vector<uint8_t>({'t', 'w', 'o', '!'}));
  // A read-only file is not replaced: the program could not have opened it.
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(WriteFileAtomically(path, "three", 5));
  ASSERT_EQ(ReadWholeFile(path, bytes), ReadFileStatus::kOk);
  EXPECT_EQ(bytes.size(), 4u);
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA(dir.File("g.syl.tmp-*").c_str(), &fd);
  EXPECT_EQ(h, INVALID_HANDLE_VALUE) << "a temporary file was left";
  if (h != INVALID_HANDLE_VALUE) FindClose(h);
}

#endif  // _WIN32

}  // namespace
}  // namespace sylvane::testing
