// The program killed while it writes "default.syl" on closing: every kill
// leaves the old file or the complete new one, both readable, and the next
// save removes the temporary file a killed save left behind.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "canvas/canvas_file.h"
#include "canvas/records/name_labels.h"
#include "e2e_support.h"
#include "paint/canvas.h"
#include "platform/platform.h"
#include "trees/tree.h"

namespace e2e {
namespace {

// Swallows the reader's messages: a file that does not read is the finding.
class QuietPlatform : public sylvane::ConsolePlatform {
 public:
  void ShowMessage(std::string_view, std::string_view) override { ++messages; }
  int messages = 0;
};

bool ReadsAsGarden(const std::vector<uint8_t>& bytes) {
  QuietPlatform quiet;
  sylvane::SetPlatform(&quiet);
  sylvane::Canvas canvas;
  auto table = std::make_unique<sylvane::TreeTable>();
  sylvane::LabelList labels;
  const int status = sylvane::ReadCanvasFile(bytes.data(), bytes.size(),
                                             sylvane::GardenRefs{canvas, *table, labels}, "default.syl");
  sylvane::SetPlatform(nullptr);
  return status == sylvane::kSylOk && quiet.messages == 0 && canvas.exists == 1;
}

// Reads a file a killed program may have held. Under Wine the handles of a
// terminated process can close a moment after its process object is
// signalled, and a file it held with delete access is then briefly not
// shared for reading. A file that is there is read again for up to two
// seconds; a file that is missing fails at once.
::testing::AssertionResult ReadAfterKill(const std::string& path, std::vector<uint8_t>& out) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
      return ::testing::AssertionFailure() << path << " is missing (error " << GetLastError() << ")";
    if (ReadFile(path, out)) return ::testing::AssertionSuccess();
    if (GetTickCount() - start > 2000)
      return ::testing::AssertionFailure() << path << " cannot be read (error " << GetLastError() << ")";
    Sleep(20);
  }
}

// The temporary files of saves of "default.syl" in the folder.
int TempFiles(const App& app) {
  WIN32_FIND_DATAA fd;
  int n = 0;
  HANDLE h = FindFirstFileA(app.File("default.syl.tmp-*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return 0;
  do ++n;
  while (FindNextFileA(h, &fd));
  FindClose(h);
  return n;
}

TEST(KillDuringSave, DefaultSylIsAlwaysTheOldOrTheNewFile) {
  App app("kill_default_syl");
  // A large garden, so that writing it takes a while; closing saves without
  // a question.
  ASSERT_TRUE(WriteCanvasFile(app.File("default.syl"), 1920, 1080, RGB(20, 60, 30), 5));
  sylvane::MInitInfo s = TestSettings(app.folder());
  s.exit_saving = 0;
  WriteSettings(s, app.folder());

  // How long a whole close takes.
  ASSERT_TRUE(app.Start());
  app.Tick(1);
  const DWORD start = GetTickCount();
  app.Post(40012);
  ASSERT_TRUE(app.WaitForExit(60000));
  const DWORD full = GetTickCount() - start;
  std::vector<uint8_t> old;
  ASSERT_TRUE(ReadFile(app.File("default.syl"), old));
  ASSERT_TRUE(ReadsAsGarden(old));

  std::mt19937 random(3);
  std::uniform_int_distribution<DWORD> when(0, full + full / 5);
  int killed = 0, left_behind = 0, changed = 0;
  for (int trial = 0; trial < 20; ++trial) {
    SCOPED_TRACE(trial);
    ASSERT_TRUE(app.Start());
    // A few seconds of the clock, so that the file written differs from the
    // old one (the elapsed time is stored).
    app.Tick(1 + trial % 3);
    app.Post(40012);
    Sleep(when(random));
    if (app.Running()) {
      app.Kill();
      ++killed;
    }
    ASSERT_TRUE(app.WaitForExit(10000));
    std::vector<uint8_t> now;
    ASSERT_TRUE(ReadAfterKill(app.File("default.syl"), now));
    if (now != old) {
      ++changed;
      ASSERT_TRUE(ReadsAsGarden(now)) << "a new default.syl that does not read";
      old = now;
    }
    const int temps = TempFiles(app);
    ASSERT_LE(temps, 1) << "an earlier killed save's temporary file was not removed";
    left_behind += temps;
  }
  ASSERT_TRUE(ReadsAsGarden(old));
  // A whole close clears what the killed ones left.
  ASSERT_TRUE(app.Start());
  app.Post(40012);
  ASSERT_TRUE(app.WaitForExit(60000));
  EXPECT_EQ(TempFiles(app), 0);
  std::vector<uint8_t> last;
  ASSERT_TRUE(ReadFile(app.File("default.syl"), last));
  EXPECT_TRUE(ReadsAsGarden(last));
  EXPECT_GT(changed, 0) << "no close came through: the kills did not test saving";
  EXPECT_GT(left_behind, 0) << "no kill landed while the file was written";
  std::printf("[ info     ] close takes %lu ms; %d of 20 runs killed, %d left a temporary file, %d changed it\n",
              static_cast<unsigned long>(full), killed, left_behind, changed);
}

}  // namespace
}  // namespace e2e
