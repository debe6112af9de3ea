#include "platform/platform_win.h"

#include <mmsystem.h>
// mmsystem.h names PlaySoundA "PlaySound"; the platform method has that name.
#undef PlaySound

#include <string>

#include "platform/text.h"

namespace sylvane {

Win32Platform& GetWin32Platform() {
  static Win32Platform platform;
  return platform;
}

std::string ModuleFolder(HMODULE module) {
  char path[MAX_PATH + 1] = {};
  DWORD n = GetModuleFileNameA(module, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return ".";
  return FolderPart(std::string(path, n));
}

void Win32Platform::SetInterfaceWindow(HWND window) {
  window_ = window;
  interface_thread_ = GetCurrentThreadId();
}

bool Win32Platform::OnInterfaceThread() const {
  return interface_thread_ == 0 || GetCurrentThreadId() == interface_thread_;
}

void Win32Platform::RunOnInterfaceThread(const std::function<void()>& fn) {
  if (OnInterfaceThread() || window_ == nullptr || !IsWindow(window_)) {
    fn();
    return;
  }
  // SendMessage blocks this thread until the interface thread has run fn; the
  // interface thread lets sent messages through wherever it waits.
  std::function<void()> request = [this, &fn] {
    serving_.fetch_add(1);
    if (before_request) before_request();
    fn();
    if (after_request) after_request();
    serving_.fetch_sub(1);
  };
  SendMessageA(window_, kRunOnInterfaceThreadMessage, 0, reinterpret_cast<LPARAM>(&request));
}

LRESULT Win32Platform::HandleRunRequest(LPARAM lparam) {
  auto* fn = reinterpret_cast<std::function<void()>*>(lparam);
  if (fn) (*fn)();
  return 0;
}

void Win32Platform::ShowMessage(std::string_view text, std::string_view caption) {
  std::string t(text), c(caption);
  RunOnInterfaceThread([&] {
    HWND owner = (window_ && IsWindow(window_)) ? window_ : nullptr;
    MessageBoxA(owner, t.c_str(), c.c_str(), MB_OK);
  });
}

Answer Win32Platform::Ask(std::string_view text, std::string_view caption, QuestionButtons buttons) {
  std::string t(text), c(caption);
  UINT type = MB_YESNO;
  if (buttons == QuestionButtons::kYesNoCancel) type = MB_YESNOCANCEL;
  if (buttons == QuestionButtons::kOkCancel) type = MB_OKCANCEL;
  int result = IDNO;
  RunOnInterfaceThread([&] {
    HWND owner = (window_ && IsWindow(window_)) ? window_ : nullptr;
    result = MessageBoxA(owner, t.c_str(), c.c_str(), type | MB_ICONQUESTION);
  });
  switch (result) {
    case IDYES:
      return Answer::kYes;
    case IDOK:
      return Answer::kOk;
    case IDCANCEL:
      return Answer::kCancel;
    default:
      return Answer::kNo;
  }
}

LocalTime Win32Platform::Now() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  LocalTime t;
  t.year = st.wYear;
  t.month = st.wMonth;
  t.day_of_week = st.wDayOfWeek;
  t.day = st.wDay;
  t.hour = st.wHour;
  t.minute = st.wMinute;
  t.second = st.wSecond;
  t.milliseconds = st.wMilliseconds;
  return t;
}

unsigned long long Win32Platform::Seconds() {
  FILETIME ft;
  GetSystemTimeAsFileTime(&ft);
  ULARGE_INTEGER v;
  v.LowPart = ft.dwLowDateTime;
  v.HighPart = ft.dwHighDateTime;
  // 100 ns ticks since 1601 -> seconds since 1970.
  return v.QuadPart / 10000000ULL - 11644473600ULL;
}

ScreenSize Win32Platform::PrimaryScreenSize() {
  ScreenSize s;
  s.width = GetSystemMetrics(SM_CXSCREEN);
  s.height = GetSystemMetrics(SM_CYSCREEN);
  return s;
}

std::string Win32Platform::ProgramFolder() {
  if (program_folder_.empty()) program_folder_ = ModuleFolder(nullptr);
  return program_folder_;
}

void Win32Platform::PlaySound(const std::string& wave_path) { PlaySoundWaiting(wave_path, SoundWait::kNo); }

void Win32Platform::PlaySoundWaiting(const std::string& wave_path, SoundWait wait) {
  if (wave_path.empty()) return;
  // Waiting on the interface thread would freeze every window until the end.
  const bool to_end = wait == SoundWait::kToEnd && !OnInterfaceThread();
  PlaySoundA(wave_path.c_str(), nullptr, SND_FILENAME | SND_NODEFAULT | (to_end ? SND_SYNC : SND_ASYNC));
}

}  // namespace sylvane
