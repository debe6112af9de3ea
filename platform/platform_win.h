// The Win32 implementation of the platform seam, used by the Windows program.
//
// Message boxes are owned by the main window. Everything that shows a window
// runs on the interface thread: a message or question asked from the growth
// worker is handed to the interface thread (a message sent to the main window)
// and the worker waits for the answer. While the interface thread serves such
// a request it runs the program's before/after hooks (the program stops its
// one-second timer there and starts it again afterwards).
#pragma once
#ifdef _WIN32
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>

#include "platform/platform.h"

namespace sylvane {

// Sent to the interface window with lParam = a std::function<void()>* to run on
// the interface thread; the window procedure passes it to HandleRunRequest.
constexpr UINT kRunOnInterfaceThreadMessage = WM_APP + 0x51;

class Win32Platform : public Platform {
 public:
  // Call once on the interface thread when the main window exists.
  void SetInterfaceWindow(HWND window);
  HWND interface_window() const { return window_; }
  bool OnInterfaceThread() const override;

  void ShowMessage(std::string_view text, std::string_view caption) override;
  Answer Ask(std::string_view text, std::string_view caption, QuestionButtons buttons) override;
  LocalTime Now() override;
  unsigned long long Seconds() override;
  ScreenSize PrimaryScreenSize() override;
  // The executable's folder without the trailing separator (Shift-JIS).
  std::string ProgramFolder() override;
  void PlaySound(const std::string& wave_path) override;
  void PlaySoundWaiting(const std::string& wave_path, SoundWait wait) override;

  // Runs fn on the interface thread and returns when it has run. On the
  // interface thread itself, or when there is no interface window yet, fn runs
  // at once. The before and after hooks run around a request from another thread.
  void RunOnInterfaceThread(const std::function<void()>& fn);
  // The window procedure's half of RunOnInterfaceThread.
  static LRESULT HandleRunRequest(LPARAM lparam);

  // True while the interface thread is busy with a request of another thread
  // (that thread is blocked until the request ends).
  bool ServingRequest() const { return serving_.load() > 0; }

  // Run on the interface thread before and after each request of another thread.
  std::function<void()> before_request;
  std::function<void()> after_request;

 private:
  HWND window_ = nullptr;
  DWORD interface_thread_ = 0;
  std::atomic<int> serving_{0};
  std::string program_folder_;
};

// The program's one instance (installed with SetPlatform by the program).
Win32Platform& GetWin32Platform();

// The folder of a module's file (the program folder for the executable),
// without the trailing separator. Shift-JIS aware.
std::string ModuleFolder(HMODULE module);

}  // namespace sylvane
#endif  // _WIN32
