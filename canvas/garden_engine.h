// The garden engine: the one owner of the garden that the interface thread
// and the growth worker share (the canvas with its layers, the tree table with
// its growing count, the label list), and of the worker itself.
//
// Rules it carries, so that callers need no discipline:
// - The interface thread changes the garden only through Change(): it stops
//   the worker (stop and wait), holds it, makes the change and releases it,
//   or refuses with "樹の成長処理が終わらないため…" when the worker does not end.
// - A pass on the worker works on its own copies of every setting it reads
//   (GrowthEnv, made when the pass starts) and adds the labels of flowering
//   trees to a list of its own, moved into the garden's list once it ended.
// - Pictures made while a pass runs come from copies of the layers taken
//   when it started.
// - While a hold lives (a change in progress, a modal dialog sequence, a
//   tree waiting for its planting position) no pass starts.
//
// Every member is called on the interface thread unless it says otherwise.
#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "canvas/garden.h"
#include "canvas/image/surface.h"
#include "trees/growth.h"

namespace sylvane {

struct MInitInfo;

// What the engine needs of the program around it. Every hook may be empty.
struct EngineHooks {
  // On the worker, before the pass: lower the thread's priority.
  std::function<void()> worker_started;
  // On the worker, after the pass: tell the interface thread (a posted
  // message), which then calls GardenEngine::OnPassEnded.
  std::function<void()> pass_ended;
  // On the interface thread, once the thread of an ended pass was joined
  // (from OnPassEnded, or a stop that waited for it).
  std::function<void()> pass_joined;
  // Wait up to ms milliseconds or until the worker ends, letting through
  // what the worker may be waiting for (its questions to the interface
  // thread). Empty: waits on the engine's own signal.
  std::function<void(int ms)> wait;
  // True while the interface thread is inside a question of the worker: it
  // cannot wait for the worker then, which waits for the answer.
  std::function<bool()> serving_worker;
  // A stop has to wait for a running pass ("作業停止中" on the timer panel).
  std::function<void()> stopping;
  // The first hold began (true) or the last one ended (false): the program
  // stops and restarts its clock.
  std::function<void(bool held)> held;
  // After a pass in which the user saved a mutant through the save dialog:
  // the folder the dialog ended in, for the settings.
  std::function<void(const std::string& folder)> save_folder_chosen;
};

class GardenEngine {
 public:
  // Tries of StopAndWait, each waiting at most kStopWaitMs.
  static constexpr int kStopTries = 100;
  static constexpr int kStopWaitMs = 500;

  // Builds the tree table (its 100 pens draw random numbers: create the
  // engine before seeding the generator).
  GardenEngine();
  // Stops the worker and waits for it.
  ~GardenEngine();
  GardenEngine(const GardenEngine&) = delete;
  GardenEngine& operator=(const GardenEngine&) = delete;

  void SetHooks(EngineHooks hooks);

  // The garden, to read. While a pass runs the tree layer, weight plane,
  // table and label entries change under the reader: pictures come from
  // TreesForPictures/WeightForPictures, labels from LabelList::Snapshot.
  const Garden& garden() const { return *garden_; }
  // The fields no pass touches, written by the interface thread at any time:
  // the canvas's clocks, its settings and file state, the label list's
  // display options. Everything a pass reads or paints goes through Change.
  Garden& Unguarded() { return *garden_; }

  // The gate: stops and holds the worker, runs change, releases. False,
  // after the refusal message, when the worker does not end.
  bool Change(const std::function<void(Garden&)>& change);

  // Holds the worker while it lives: no pass starts (the clock's next try
  // comes after it). Holds nest.
  class Hold {
   public:
    explicit Hold(GardenEngine& engine);
    ~Hold();
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;

   private:
    GardenEngine& engine_;
  };
  bool Held() const { return holds_ > 0; }

  // Sets the stop flag and waits for a running pass: kStopTries waits of
  // kStopWaitMs. True when no pass runs afterwards (labels merged, thread
  // joined).
  bool StopAndWait();
  // The same with one wait of at most ms (the system's shutdown query).
  bool StopAndWaitBriefly(int ms);
  // Sets the stop flag without waiting (closing the program).
  void RequestStop() { stop_.store(1); }

  // Starts one pass of `budget` steps on the worker with copies of the
  // settings it reads. False (nothing started) while a pass runs, while held,
  // while a tree waits for its planting position, without a canvas, or when
  // the thread cannot be made.
  bool StartPass(const MInitInfo& settings, int budget, GrowthStats* stats = nullptr);
  // A pass on the interface thread (the daily pass): stops the worker first
  // and ignores the stop flag. False when it did not run (the worker did not
  // end, a tree waits for its planting position, no canvas); then the
  // caller tries again later.
  bool RunPassHere(const MInitInfo& settings, int budget, GrowthStats* stats = nullptr);

  // True from StartPass until the pass has ended on the worker.
  bool PassRunning() const { return running_.load() != 0; }
  // After the worker's pass_ended hook: joins the thread and merges labels.
  // Harmless at any other time.
  void OnPassEnded();
  // Passes started on the worker, and ended there.
  int passes_started() const { return passes_started_; }
  int passes_ended() const { return passes_ended_.load(); }

  // A tree loaded into `slot` waits for its planting position: no pass runs
  // until EndPlanting (a pass could give that slot to a new child).
  void ReservePlanting(int slot) { planting_slot_ = slot; }
  void EndPlanting() { planting_slot_ = -1; }
  int PlantingSlot() const { return planting_slot_; }

  // The layers that pictures are made from: the copies taken when the
  // running pass started, or the garden's own when none runs.
  const Surface& TreesForPictures() const;
  const AlphaPlane& WeightForPictures() const;

 private:
  void WaitSome(int ms);
  void JoinEndedWorker();
  void MergeWorkerLabels();
  void WorkerBody(GrowthEnv env, int budget, GrowthStats* stats);
  void HandOverChosenFolder();

  std::unique_ptr<Garden> garden_;
  EngineHooks hooks_;
  std::atomic<uint8_t> stop_{1};
  std::atomic<uint8_t> running_{0};
  std::thread worker_;
  int holds_ = 0;
  int planting_slot_ = -1;
  int passes_started_ = 0;
  std::atomic<int> passes_ended_{0};
  // Labels of trees that flower during a worker pass, merged when it ended.
  LabelList worker_labels_;
  // The folder of a mutant's save dialog during a pass (MutationSettings).
  std::string chosen_folder_;
  Surface snapshot_trees_;
  AlphaPlane snapshot_weight_;
  // Signalled by the worker when its pass has ended.
  std::mutex ended_mutex_;
  std::condition_variable ended_;
};

}  // namespace sylvane
