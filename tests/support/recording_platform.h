// A platform for tests: records every message box and question, answers
// questions from a script, and has a fixed clock, screen and program folder.
#pragma once
#include <deque>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace sylvane::testing {

struct RecordedMessage {
  std::string text;     // Shift-JIS, as shown
  std::string caption;  // Shift-JIS
  bool question = false;
};

class RecordingPlatform : public Platform {
 public:
  // Installs itself for the lifetime of the object.
  RecordingPlatform();
  ~RecordingPlatform() override;

  void ShowMessage(std::string_view text, std::string_view caption) override;
  Answer Ask(std::string_view text, std::string_view caption, QuestionButtons buttons) override;
  LocalTime Now() override { return now; }
  unsigned long long Seconds() override { return 1234567; }
  ScreenSize PrimaryScreenSize() override { return screen; }
  std::string ProgramFolder() override { return program_folder; }
  void PlaySound(const std::string& wave_path) override { PlaySoundWaiting(wave_path, SoundWait::kNo); }
  void PlaySoundWaiting(const std::string& wave_path, SoundWait wait) override {
    sounds.push_back(wave_path);
    sound_waits.push_back(wait);
  }
  bool OnInterfaceThread() const override { return interface_thread; }

  std::vector<RecordedMessage> messages;
  std::deque<Answer> answers;  // consumed by Ask; No when empty
  std::vector<std::string> sounds;
  std::vector<SoundWait> sound_waits;  // one per sound
  bool interface_thread = true;        // what OnInterfaceThread answers
  LocalTime now;
  ScreenSize screen{1280, 1024};
  std::string program_folder = ".";
};

// A fresh empty folder under the system's temporary folder, removed with the object.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const;

 private:
  std::string path_;
};

}  // namespace sylvane::testing
