// The command-line tool as a user runs it: killed at random moments while it
// rewrites a garden or a tree file, it leaves the old file or the complete new
// one, and the next save clears what a killed one left; it reports a finished
// save only after the save succeeded, a failed conversion in one line, and a
// tree or canvas file with wrong first bytes with the loader's own message.
#include <gtest/gtest.h>

#if defined(SYLVANE_CLI) && !defined(_WIN32)
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "base/file_io.h"
#include "canvas/image/image_io.h"
#include "gardens/garden_fixtures.h"
#include "platform/text.h"
#include "reliability/small_disk.h"
#include "support/recording_platform.h"
#include "trees/ki_file.h"

namespace sylvane::testing {
namespace {

namespace fs = std::filesystem;

struct CliRun {
  int exit_code = -1;      // -1 when killed
  std::string out, err;    // what it printed (UTF-8)
  double seconds = 0;      // how long it ran
};

std::string Slurp(const std::string& path) {
  std::vector<uint8_t> bytes;
  if (ReadWholeFile(path, bytes) != ReadFileStatus::kOk) return {};
  return std::string(bytes.begin(), bytes.end());
}

class CliTest : public ::testing::Test {
 protected:
  TempDir home;

  // Runs sylvane-cli --home <home> --seed <seed> args...; with kill_after
  // >= 0 it is killed (SIGKILL) after that many microseconds unless it has
  // ended.
  CliRun Cli(const std::vector<std::string>& args, uint32_t seed = 1, long kill_after = -1) {
    std::vector<std::string> all = {SYLVANE_CLI, "--home", home.path(), "--seed", std::to_string(seed)};
    all.insert(all.end(), args.begin(), args.end());
    const std::string out = home.File("stdout.txt"), err = home.File("stderr.txt");
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
      const int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      dup2(o, 1);
      dup2(e, 2);
      if (chdir(home.path().c_str()) != 0) _exit(126);
      std::vector<char*> argv;
      for (std::string& a : all) argv.push_back(a.data());
      argv.push_back(nullptr);
      execv(argv[0], argv.data());
      _exit(127);
    }
    CliRun r;
    if (pid < 0) return r;
    if (kill_after >= 0) {
      std::this_thread::sleep_for(std::chrono::microseconds(kill_after));
      kill(pid, SIGKILL);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (WIFEXITED(status)) r.exit_code = WEXITSTATUS(status);
    r.out = Slurp(out);
    r.err = Slurp(err);
    return r;
  }

  // A 1280 x 720 garden with a sample tree scattered 30 times and grown a little.
  void MakeGarden() {
    fs::copy(fs::path(SYLVANE_SOURCE_DIR) / "data" / "imgb", fs::path(home.path()) / "imgb");
    ASSERT_EQ(Cli({"new", "g.syl", "--size", "1280x720"}).exit_code, 0);
    ASSERT_EQ(Cli({"plant-sample", "t.ki"}).exit_code, 0);
    ASSERT_EQ(Cli({"plant", "g.syl", "t.ki", "--at", "600,500", "--count", "30", "--radius", "500"}).exit_code, 0);
    ASSERT_EQ(Cli({"grow", "g.syl", "--passes", "5"}).exit_code, 0);
  }

  std::vector<std::string> Temps() const {
    std::vector<std::string> found;
    for (const auto& e : fs::directory_iterator(home.path()))
      if (e.path().filename().string().find(".tmp-") != std::string::npos) found.push_back(e.path().string());
    return found;
  }

  // Whether the bytes are a whole canvas file (or tree file) that reads.
  static bool ReadsAsGarden(const std::vector<uint8_t>& bytes) {
    RecordingPlatform platform;
    TestGarden g;
    return ReadCanvasFile(bytes.data(), bytes.size(), g.refs(), "g.syl") == kSylOk && platform.messages.empty();
  }
  static bool ReadsAsTree(const std::vector<uint8_t>& bytes) {
    RecordingPlatform platform;
    KiRecord rec;
    ByteReader in(bytes);
    return ParseTreeRecord(in, rec) == kKiOk && in.at_end();
  }
  std::vector<uint8_t> Bytes(const std::string& name) const {
    std::vector<uint8_t> bytes;
    EXPECT_EQ(ReadWholeFile(home.File(name), bytes), ReadFileStatus::kOk) << name;
    return bytes;
  }
};

TEST_F(CliTest, KilledWhileGrowingTheGardenIsOldOrNewAndAlwaysReads) {
  MakeGarden();
  if (HasFatalFailure()) return;
  const double full = Cli({"grow", "g.syl"}, 2).seconds;
  std::mt19937 random(7);
  std::uniform_real_distribution<double> when(0.0, full * 1.1);
  std::vector<uint8_t> old = Bytes("g.syl");
  int interrupted = 0, left_behind = 0, changed = 0;
  for (int trial = 0; trial < 100; ++trial) {
    SCOPED_TRACE(trial);
    const CliRun r = Cli({"grow", "g.syl"}, uint32_t(trial + 10), long(when(random) * 1e6));
    interrupted += r.exit_code == -1;
    const std::vector<uint8_t> now = Bytes("g.syl");
    if (now != old) {
      ++changed;
      ASSERT_TRUE(ReadsAsGarden(now)) << "a new file that does not read";
      old = now;
    }
    // A killed save leaves at most its own temporary file: the one before
    // was cleared by this run's save.
    const size_t temps = Temps().size();
    ASSERT_LE(temps, 1u);
    left_behind += temps == 1;
  }
  EXPECT_TRUE(ReadsAsGarden(old));
  // Some kills landed while the file was written (how many depends on the
  // machine's load).
  EXPECT_GT(left_behind, 0);
  // The next save of the file clears what killed saves left. (Its bytes may
  // equal the last ones: a garden whose trees have all finished stays as it is.)
  ASSERT_EQ(Cli({"grow", "g.syl"}, 999).exit_code, 0);
  EXPECT_TRUE(Temps().empty());
  EXPECT_TRUE(ReadsAsGarden(Bytes("g.syl")));
  std::printf("[ info     ] garden: %d of 100 runs killed, %d left a temporary file, %d changed the file\n",
              interrupted, left_behind, changed);
}

TEST_F(CliTest, KilledWhileSavingATreeFileIsOldOrNewAndAlwaysReads) {
  MakeGarden();
  if (HasFatalFailure()) return;
  // Two trees that differ: the file alternates between them (the file's own
  // name is stored in it, so both are written as out.ki).
  ASSERT_EQ(Cli({"save-tree", "g.syl", "0", "out.ki"}).exit_code, 0);
  const std::vector<uint8_t> a = Bytes("out.ki");
  int other = 1;
  for (; other < 100; ++other) {
    if (Cli({"save-tree", "g.syl", std::to_string(other), "out.ki"}).exit_code == 0 && Bytes("out.ki") != a) break;
  }
  ASSERT_LT(other, 100);
  const std::vector<uint8_t> b = Bytes("out.ki");
  ASSERT_TRUE(ReadsAsTree(a) && ReadsAsTree(b));
  const double full = Cli({"save-tree", "g.syl", "0", "out.ki"}).seconds;
  std::mt19937 random(11);
  // The tree file is written at the very end of the run.
  std::uniform_real_distribution<double> when(full * 0.5, full * 1.1);
  std::vector<uint8_t> old = Bytes("out.ki");
  int interrupted = 0, left_behind = 0;
  for (int trial = 0; trial < 100; ++trial) {
    SCOPED_TRACE(trial);
    const bool to_b = trial % 2 == 0;
    const std::vector<uint8_t>& wanted = to_b ? b : a;
    const CliRun r = Cli({"save-tree", "g.syl", to_b ? std::to_string(other) : "0", "out.ki"}, 1,
                      long(when(random) * 1e6));
    interrupted += r.exit_code == -1;
    const std::vector<uint8_t> now = Bytes("out.ki");
    ASSERT_TRUE(now == old || now == wanted) << "neither the old file nor the complete new one";
    ASSERT_TRUE(ReadsAsTree(now));
    old = now;
    const size_t temps = Temps().size();
    ASSERT_LE(temps, 1u);
    left_behind += temps == 1;
  }
  ASSERT_EQ(Cli({"save-tree", "g.syl", "0", "out.ki"}).exit_code, 0);
  EXPECT_TRUE(Temps().empty());
  EXPECT_EQ(Bytes("out.ki"), a);
  std::printf("[ info     ] tree file: %d of 100 runs killed, %d left a temporary file\n", interrupted,
              left_behind);
}

TEST_F(CliTest, GrowAndPlantReportSuccessOnlyAfterTheSave) {
  MakeGarden();
  if (HasFatalFailure()) return;
  CliRun ok = Cli({"grow", "g.syl"});
  EXPECT_EQ(ok.exit_code, 0);
  EXPECT_NE(ok.out.find("g.syl: 1 pass, "), std::string::npos);

  // The same garden on a file system that became read-only: the save fails.
  SmallDisk disk(home.File("ro"), "8m");
  if (!disk.mounted()) GTEST_SKIP() << "mounting a small file system needs root";
  fs::copy_file(home.File("g.syl"), home.File("ro/g.syl"));
  fs::copy_file(home.File("t.ki"), home.File("ro/t.ki"));
  ASSERT_TRUE(disk.MakeReadOnly());
  const std::vector<uint8_t> before = Bytes("ro/g.syl");
  CliRun grow = Cli({"grow", "ro/g.syl"});
  EXPECT_EQ(grow.exit_code, 1);
  EXPECT_EQ(grow.out, "");
  EXPECT_NE(grow.err.find(SjisToUtf8("ファイルの書き込みに失敗しました。SaveKi3")), std::string::npos) << grow.err;
  CliRun plant = Cli({"plant", "ro/g.syl", "ro/t.ki", "--at", "10,10"});
  EXPECT_EQ(plant.exit_code, 1);
  EXPECT_EQ(plant.out, "");
  EXPECT_NE(plant.err.find(SjisToUtf8("ファイルの書き込みに失敗しました。SaveKi3")), std::string::npos);
  EXPECT_EQ(Bytes("ro/g.syl"), before);
}

TEST_F(CliTest, AFailedConversionIsOneLine) {
  ASSERT_TRUE(WriteFileAtomically(home.File("bad.png"), "\x89PNG\r\n\x1a\n broken", 16));
  CliRun r = Cli({"convert", "bad.png", "out.bmp"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  EXPECT_EQ(r.err.rfind("convert: cannot read 'bad.png'", 0), 0u) << r.err;
  // A good picture to a folder that is not there.
  Surface s;
  s.CreateFilled(4, 3, 50);
  std::vector<uint8_t> png;
  ASSERT_TRUE(EncodePng(s, nullptr, png));
  ASSERT_TRUE(WriteFileAtomically(home.File("good.png"), png));
  r = Cli({"convert", "good.png", "no/such/folder/out.jpg"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  EXPECT_EQ(r.err.rfind("convert: cannot write 'no/such/folder/out.jpg' (", 0), 0u) << r.err;
  EXPECT_FALSE(fs::exists(home.File("no")));
}

TEST_F(CliTest, InfoOnWrongFirstBytesGivesTheLoadersMessage) {
  ASSERT_TRUE(WriteFileAtomically(home.File("x.ki"), "sylvanewood_kX and more bytes", 29));
  ASSERT_TRUE(WriteFileAtomically(home.File("x.syl"), "Sylvanewood_syl and more bytes", 30));
  ASSERT_TRUE(WriteFileAtomically(home.File("short.KI"), "sylv", 4));
  const struct {
    const char* file;
    const char* text;
  } cases[] = {
      {"x.ki", "このファイルはKIファイルではありません。LoadKi"},
      {"x.syl", "このファイルはSYLファイルではありません。Load_SYL"},
      {"short.KI", "このファイルには対応していません。LoadKi"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    CliRun r = Cli({"info", c.file});
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(r.err, "[" + SjisToUtf8("エラー") + "] " + SjisToUtf8(c.text) + "\n");
  }
}

}  // namespace
}  // namespace sylvane::testing
#endif
