#include "canvas/garden_engine.h"

#include <chrono>
#include <utility>

#include "canvas/records/settings.h"
#include "platform/platform.h"

namespace sylvane {

GardenEngine::GardenEngine() : garden_(std::make_unique<Garden>()) {}

GardenEngine::~GardenEngine() {
  stop_.store(1);
  if (worker_.joinable()) worker_.join();
}

void GardenEngine::SetHooks(EngineHooks hooks) { hooks_ = std::move(hooks); }

GardenEngine::Hold::Hold(GardenEngine& engine) : engine_(engine) {
  if (engine_.holds_++ == 0 && engine_.hooks_.held) engine_.hooks_.held(true);
}

GardenEngine::Hold::~Hold() {
  if (--engine_.holds_ == 0 && engine_.hooks_.held) engine_.hooks_.held(false);
}

bool GardenEngine::Change(const std::function<void(Garden&)>& change) {
  if (!StopAndWait()) {
    ShowMessage("樹の成長処理が終わらないため、この操作を中止しました。しばらくしてからもう一度実行してください。",
                "作業停止中");
    return false;
  }
  Hold hold(*this);
  change(*garden_);
  return true;
}

void GardenEngine::WaitSome(int ms) {
  if (hooks_.wait) {
    hooks_.wait(ms);
    return;
  }
  std::unique_lock<std::mutex> lock(ended_mutex_);
  ended_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return running_.load() == 0; });
}

void GardenEngine::JoinEndedWorker() {
  if (!worker_.joinable() || running_.load() != 0) return;
  worker_.join();
  if (hooks_.pass_joined) hooks_.pass_joined();
}

void GardenEngine::MergeWorkerLabels() {
  if (running_.load() != 0 || worker_labels_.entries.empty()) return;
  for (const LabelEntry& e : worker_labels_.entries) garden_->labels.Add(e);
  worker_labels_.Clear();
}

void GardenEngine::HandOverChosenFolder() {
  if (running_.load() != 0 || chosen_folder_.empty()) return;
  if (hooks_.save_folder_chosen) hooks_.save_folder_chosen(chosen_folder_);
  chosen_folder_.clear();
}

void GardenEngine::OnPassEnded() {
  JoinEndedWorker();
  MergeWorkerLabels();
  HandOverChosenFolder();
}

bool GardenEngine::StopAndWait() {
  stop_.store(1);
  if (running_.load() != 0) {
    if (hooks_.stopping) hooks_.stopping();
    // Inside a question of the worker this thread cannot wait for it: the
    // worker waits for the answer.
    if (hooks_.serving_worker && hooks_.serving_worker()) return false;
    for (int i = 0; i < kStopTries && running_.load() != 0; ++i) WaitSome(kStopWaitMs);
  }
  OnPassEnded();
  return running_.load() == 0;
}

bool GardenEngine::StopAndWaitBriefly(int ms) {
  stop_.store(1);
  if (running_.load() != 0) {
    if (hooks_.serving_worker && hooks_.serving_worker()) return false;
    WaitSome(ms);
  }
  OnPassEnded();
  return running_.load() == 0;
}

void GardenEngine::WorkerBody(GrowthEnv env, int budget, GrowthStats* stats) {
  if (hooks_.worker_started) hooks_.worker_started();
  GrowthPass(garden_->table, env, budget, stats);
  passes_ended_.fetch_add(1);
  {
    std::lock_guard<std::mutex> lock(ended_mutex_);
    running_.store(0);
  }
  ended_.notify_all();
  if (hooks_.pass_ended) hooks_.pass_ended();
}

bool GardenEngine::StartPass(const MInitInfo& settings, int budget, GrowthStats* stats) {
  if (running_.load() != 0 || holds_ > 0 || planting_slot_ >= 0 || !garden_->canvas.exists) return false;
  OnPassEnded();
  Canvas& canvas = garden_->canvas;
  snapshot_trees_.CopyFrom(canvas.trees);
  snapshot_weight_ = canvas.weight;
  GrowthEnv env = MakeGrowthEnv(canvas, garden_->table, worker_labels_, settings);
  env.stop = &stop_;
  env.mutation.chosen_folder = &chosen_folder_;
  running_.store(1);
  stop_.store(0);
  try {
    worker_ = std::thread(&GardenEngine::WorkerBody, this, std::move(env), budget, stats);
  } catch (const std::system_error&) {
    // Not started: the next update tries again.
    running_.store(0);
    stop_.store(1);
    return false;
  }
  ++passes_started_;
  return true;
}

bool GardenEngine::RunPassHere(const MInitInfo& settings, int budget, GrowthStats* stats) {
  if (!garden_->canvas.exists || planting_slot_ >= 0) return false;
  if (!StopAndWait()) return false;
  Hold hold(*this);
  GrowthEnv env = MakeGrowthEnv(garden_->canvas, garden_->table, garden_->labels, settings);
  env.mutation.chosen_folder = &chosen_folder_;
  GrowthPass(garden_->table, env, budget, stats);
  HandOverChosenFolder();
  return true;
}

const Surface& GardenEngine::TreesForPictures() const {
  return running_.load() != 0 ? snapshot_trees_ : garden_->canvas.trees;
}

const AlphaPlane& GardenEngine::WeightForPictures() const {
  return running_.load() != 0 ? snapshot_weight_ : garden_->canvas.weight;
}

}  // namespace sylvane
