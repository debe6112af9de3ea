// The garden engine with a real worker thread: the interface side (this
// test's thread) changes the garden through the gate while passes run on the
// worker, and the engine's rules hold under ThreadSanitizer as well.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "base/random.h"
#include "canvas/garden.h"
#include "canvas/garden_engine.h"
#include "canvas/records/settings.h"
#include "platform/platform.h"
#include "trees/part_data.h"
#include "trees/tree.h"

namespace sylvane {
namespace {

const std::string kDataFolder = std::string(SYLVANE_SOURCE_DIR) + "/data";

// A platform whose questions may come from the worker: it counts messages
// under a lock and can keep a question open until the test lets it go.
class ThreadedPlatform : public Platform {
 public:
  ThreadedPlatform() { SetPlatform(this); }
  ~ThreadedPlatform() override { SetPlatform(nullptr); }
  void ShowMessage(std::string_view text, std::string_view caption) override {
    std::lock_guard<std::mutex> lock(mutex_);
    messages_.push_back(std::string(caption) + "|" + std::string(text));
  }
  Answer Ask(std::string_view, std::string_view, QuestionButtons) override {
    std::unique_lock<std::mutex> lock(mutex_);
    ++questions_;
    released_.wait(lock, [this] { return !hold_questions_; });
    return Answer::kNo;
  }
  LocalTime Now() override { return LocalTime{2026, 12, 1, 7, 12, 0, 0, 0}; }
  unsigned long long Seconds() override { return 1; }
  ScreenSize PrimaryScreenSize() override { return {800, 600}; }
  std::string ProgramFolder() override { return kDataFolder; }
  void PlaySound(const std::string&) override {}

  void HoldQuestions() {
    std::lock_guard<std::mutex> lock(mutex_);
    hold_questions_ = true;
  }
  void ReleaseQuestions() {
    std::lock_guard<std::mutex> lock(mutex_);
    hold_questions_ = false;
    released_.notify_all();
  }
  int questions() {
    std::lock_guard<std::mutex> lock(mutex_);
    return questions_;
  }
  std::vector<std::string> messages() {
    std::lock_guard<std::mutex> lock(mutex_);
    return messages_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable released_;
  bool hold_questions_ = false;
  int questions_ = 0;
  std::vector<std::string> messages_;
};

int Living(const TreeTable& table) {
  int n = 0;
  for (int i = 0; i < TreeTable::kSlots; ++i) n += table[i].state == 1 || table[i].state == 2;
  return n;
}

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SeedRandom(2026);
    settings_.mutant_handling = 1;  // never archive
    settings_.tree_loop = 1;
    settings_.tree_split = 1;
    // Ten sample trees that have just started growing.
    Garden& g = engine_.Unguarded();
    ASSERT_EQ(CreateGardenCanvas(g.canvas, g.table, g.labels, 400, 300, 0x00203040, kBackgroundColour, Surface{},
                                 5, false),
              kCanvasOk);
    for (int i = 0; i < 10; ++i) {
      LoadSampleParts(g.table[i], kDataFolder, kSamplePartDescriptions);
      MakeSampleTree(g.table[i], 40 * i + 20, 250, 90);
      g.table[i].state = 1;
    }
    g.table.SetCount(10);
  }

  // Waits until the running pass has ended, as the program's posted message does.
  void FinishPass() {
    while (engine_.PassRunning()) std::this_thread::yield();
    engine_.OnPassEnded();
  }

  ThreadedPlatform platform_;
  MInitInfo settings_;
  GardenEngine engine_;
};

TEST_F(EngineTest, ChangesThroughTheGateNeverMeetARunningPass) {
  int changes = 0;
  int joined = 0;
  std::atomic<int> ended{0};
  EngineHooks hooks;
  hooks.pass_ended = [&] { ++ended; };
  hooks.pass_joined = [&] { ++joined; };  // on this thread only
  engine_.SetHooks(hooks);
  for (int round = 0; round < 40; ++round) {
    ASSERT_TRUE(engine_.StartPass(settings_, 200));
    // Half the rounds change at once, while the pass is in full swing.
    if (round % 2) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const bool changed = engine_.Change([&](Garden& g) {
      EXPECT_FALSE(engine_.PassRunning());
      EXPECT_EQ(g.table.growing_count(), Living(g.table));
      // Paint a pixel and restart a tree: the worker must not see either half-done.
      g.canvas.trees.BufferRow(0)[0] = uint8_t(round);
      for (int i = 0; i < TreeTable::kSlots; ++i) {
        if (g.table[i].state == 1) {
          g.table[i].cursor = 0;
          break;
        }
      }
      ++changes;
    });
    EXPECT_TRUE(changed);
  }
  EXPECT_EQ(changes, 40);
  EXPECT_EQ(engine_.passes_started(), 40);
  EXPECT_EQ(engine_.passes_ended(), 40);
  EXPECT_EQ(ended.load(), 40);
  EXPECT_EQ(joined, 40);
  EXPECT_TRUE(platform_.messages().empty());
}

TEST_F(EngineTest, WorkerLabelsReachTheGardenOnlyAfterThePass) {
  const int32_t before = engine_.garden().labels.count();
  int32_t during = -1;
  for (int round = 0; round < 60 && engine_.garden().labels.count() == before; ++round) {
    ASSERT_TRUE(engine_.StartPass(settings_, 200));
    during = engine_.garden().labels.count();
    FinishPass();
    EXPECT_EQ(during, before);
  }
  EXPECT_GT(engine_.garden().labels.count(), before) << "no tree flowered in 60 passes";
}

TEST_F(EngineTest, NoPassStartsWhileHeldOrWhileATreeWaitsForItsPlace) {
  {
    GardenEngine::Hold hold(engine_);
    EXPECT_FALSE(engine_.StartPass(settings_, 200));
  }
  engine_.ReservePlanting(7);
  EXPECT_FALSE(engine_.StartPass(settings_, 200));
  EXPECT_FALSE(engine_.RunPassHere(settings_, 300));
  engine_.EndPlanting();
  EXPECT_TRUE(engine_.StartPass(settings_, 200));
  EXPECT_TRUE(engine_.RunPassHere(settings_, 300));  // stops the worker first
  EXPECT_FALSE(engine_.PassRunning());
}

TEST_F(EngineTest, HoldsTellTheProgramWhenTheFirstBeginsAndTheLastEnds) {
  std::vector<bool> seen;
  EngineHooks hooks;
  hooks.held = [&](bool held) { seen.push_back(held); };
  engine_.SetHooks(hooks);
  {
    GardenEngine::Hold outer(engine_);
    GardenEngine::Hold inner(engine_);
    EXPECT_TRUE(engine_.Held());
  }
  EXPECT_FALSE(engine_.Held());
  EXPECT_EQ(seen, (std::vector<bool>{true, false}));
}

TEST_F(EngineTest, AWorkerThatDoesNotEndRefusesTheChangeAndChangesNothing) {
  // Every new child asks its mutant question, which stays open.
  settings_.mutant_handling = 0;
  {
    Garden& g = engine_.Unguarded();
    for (int i = 0; i < TreeTable::kSlots; ++i) g.table[i].mutation_chance = 100;
  }
  int waits = 0;
  EngineHooks hooks;
  hooks.wait = [&](int) {
    ++waits;
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  };
  engine_.SetHooks(hooks);
  platform_.HoldQuestions();
  bool asked = false;
  for (int round = 0; round < 50 && !asked; ++round) {
    ASSERT_TRUE(engine_.StartPass(settings_, 200));
    while (engine_.PassRunning() && !asked) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      asked = platform_.questions() > 0;
    }
    if (!asked) FinishPass();
  }
  ASSERT_TRUE(asked) << "no mutant was born";
  EXPECT_FALSE(engine_.StartPass(settings_, 200)) << "one pass at a time";
  bool ran = false;
  EXPECT_FALSE(engine_.Change([&](Garden&) { ran = true; }));
  EXPECT_FALSE(ran);
  EXPECT_EQ(waits, GardenEngine::kStopTries);
  const std::vector<std::string> messages = platform_.messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0],
            "作業停止中|樹の成長処理が終わらないため、この操作を中止しました。しばらくしてからもう一度実行してください。");
  platform_.ReleaseQuestions();
  engine_.SetHooks(EngineHooks{});  // waits in earnest again: the pass ends after its current tree
  EXPECT_TRUE(engine_.StopAndWait());
  EXPECT_TRUE(engine_.Change([&](Garden&) { ran = true; }));
  EXPECT_TRUE(ran);
}

}  // namespace
}  // namespace sylvane
