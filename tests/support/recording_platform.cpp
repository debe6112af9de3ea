#include "recording_platform.h"

#include <atomic>
#include <filesystem>

#include "platform/text.h"

namespace sylvane::testing {

RecordingPlatform::RecordingPlatform() { SetPlatform(this); }
RecordingPlatform::~RecordingPlatform() { SetPlatform(nullptr); }

void RecordingPlatform::ShowMessage(std::string_view text, std::string_view caption) {
  messages.push_back({std::string(text), std::string(caption), false});
}

Answer RecordingPlatform::Ask(std::string_view text, std::string_view caption, QuestionButtons) {
  messages.push_back({std::string(text), std::string(caption), true});
  if (answers.empty()) return Answer::kNo;
  Answer a = answers.front();
  answers.pop_front();
  return a;
}

TempDir::TempDir() {
  static std::atomic<int> counter{0};
  auto base = std::filesystem::temp_directory_path();
  for (;;) {
    auto candidate = base / ("sylvane-test-" + std::to_string(std::rand()) + "-" + std::to_string(counter++));
    std::error_code ec;
    if (std::filesystem::create_directory(candidate, ec)) {
      path_ = candidate.string();
      return;
    }
  }
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::string TempDir::File(const std::string& name) const {
  // Names are Shift-JIS bytes: join them as bytes, never through
  // std::filesystem::path, which would re-encode them on Windows.
  return JoinPath(path_, name);
}

}  // namespace sylvane::testing
