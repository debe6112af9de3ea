// What the portable core needs from the desktop: message boxes and questions,
// the clock, the screen, the program folder and sounds. The Windows program
// installs its Win32 implementation; the command line one that prints; tests
// one that records. Texts are Shift-JIS, as in the Windows ...A calls.
#pragma once
#include <string>
#include <string_view>

namespace sylvane {

// The local time, as Win32 SYSTEMTIME gives it.
struct LocalTime {
  int year = 2000;
  int month = 1;        // 1..12
  int day_of_week = 6;  // 0 = Sunday
  int day = 1;          // 1..31
  int hour = 0;         // 0..23
  int minute = 0;       // 0..59
  int second = 0;       // 0..59
  int milliseconds = 0;
};

enum class QuestionButtons { kYesNo, kYesNoCancel, kOkCancel };
enum class Answer { kOk, kYes, kNo, kCancel };

// Whether PlaySound returns at once or when the sound has ended.
enum class SoundWait { kNo, kToEnd };

struct ScreenSize {
  int width = 1024;   // pixels
  int height = 768;   // pixels
};

class Platform {
 public:
  virtual ~Platform() = default;
  // A modal MB_OK message box with the given text and caption.
  virtual void ShowMessage(std::string_view text, std::string_view caption) = 0;
  // A modal question; returns the button the user chose.
  virtual Answer Ask(std::string_view text, std::string_view caption, QuestionButtons buttons) = 0;
  virtual LocalTime Now() = 0;
  // Seconds since the epoch, used only for seeding.
  virtual unsigned long long Seconds() = 0;
  virtual ScreenSize PrimaryScreenSize() = 0;
  // The folder of the executable (or --home), without a trailing separator.
  virtual std::string ProgramFolder() = 0;
  // Plays a wave file asynchronously; no sound on platforms that cannot.
  virtual void PlaySound(const std::string& wave_path) = 0;
  // Plays a wave file; kNo returns at once, kToEnd when the sound has ended,
  // except on the interface thread, whose windows must keep answering (the
  // sound then plays on). Platforms without waiting play as PlaySound does.
  virtual void PlaySoundWaiting(const std::string& wave_path, SoundWait wait) {
    (void)wait;
    PlaySound(wave_path);
  }
  // True on the thread that owns the windows (and where there is only one
  // thread); false on the growth worker.
  virtual bool OnInterfaceThread() const { return true; }
};

// The installed platform. Until one is installed, a console platform that
// prints messages to standard error and answers every question No.
Platform& GetPlatform();
// Installs p (not owned); nullptr restores the console platform.
void SetPlatform(Platform* p);

// Shorthands for the installed platform.
inline void ShowMessage(std::string_view text, std::string_view caption) {
  GetPlatform().ShowMessage(text, caption);
}
inline Answer Ask(std::string_view text, std::string_view caption, QuestionButtons buttons) {
  return GetPlatform().Ask(text, caption, buttons);
}

// The console platform of the command line: each message is one line on
// standard error, "[caption] text", in UTF-8; every question is answered No
// (Cancel for OK/Cancel questions).
class ConsolePlatform : public Platform {
 public:
  void ShowMessage(std::string_view text, std::string_view caption) override;
  Answer Ask(std::string_view text, std::string_view caption, QuestionButtons buttons) override;
  LocalTime Now() override;
  unsigned long long Seconds() override;
  ScreenSize PrimaryScreenSize() override { return screen_; }
  std::string ProgramFolder() override { return program_folder_; }
  void PlaySound(const std::string&) override {}

  void set_program_folder(std::string folder) { program_folder_ = std::move(folder); }
  void set_screen(ScreenSize s) { screen_ = s; }
  // Fixes the clock (the command line's --time); otherwise the real local time.
  void set_fixed_time(const LocalTime& t) {
    fixed_time_ = t;
    has_fixed_time_ = true;
  }

 private:
  std::string program_folder_ = ".";
  ScreenSize screen_{1920, 1080};
  LocalTime fixed_time_;
  bool has_fixed_time_ = false;
};

}  // namespace sylvane
