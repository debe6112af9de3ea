#include "platform/platform.h"

#include <chrono>
#include <cstdio>
#include <ctime>

#include "platform/text.h"

namespace sylvane {
namespace {
Platform* g_platform = nullptr;

ConsolePlatform& DefaultPlatform() {
  static ConsolePlatform console;
  return console;
}
}  // namespace

Platform& GetPlatform() { return g_platform ? *g_platform : DefaultPlatform(); }
void SetPlatform(Platform* p) { g_platform = p; }

void ConsolePlatform::ShowMessage(std::string_view text, std::string_view caption) {
  std::string line = "[" + SjisToUtf8(caption) + "] " + SjisToUtf8(text) + "\n";
  std::fputs(line.c_str(), stderr);
  std::fflush(stderr);
}

Answer ConsolePlatform::Ask(std::string_view text, std::string_view caption, QuestionButtons buttons) {
  ShowMessage(text, caption);
  return buttons == QuestionButtons::kOkCancel ? Answer::kCancel : Answer::kNo;
}

LocalTime ConsolePlatform::Now() {
  if (has_fixed_time_) return fixed_time_;
  using namespace std::chrono;
  auto now = system_clock::now();
  std::time_t t = system_clock::to_time_t(now);
  std::tm tm{};
#ifdef _WIN32
  localtime_s(&tm, &t);
#else
  localtime_r(&t, &tm);
#endif
  LocalTime lt;
  lt.year = tm.tm_year + 1900;
  lt.month = tm.tm_mon + 1;
  lt.day_of_week = tm.tm_wday;
  lt.day = tm.tm_mday;
  lt.hour = tm.tm_hour;
  lt.minute = tm.tm_min;
  lt.second = tm.tm_sec;
  lt.milliseconds = int(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
  return lt;
}

unsigned long long ConsolePlatform::Seconds() {
  return static_cast<unsigned long long>(std::time(nullptr));
}

}  // namespace sylvane
