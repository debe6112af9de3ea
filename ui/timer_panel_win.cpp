// The text panels' common painting and the timer panel.
#include <utility>

#include "ui/skin_panels_win.h"

namespace sylvane {

// ---------------------------------------------------------------------------
// TextPanel

bool TextPanel::Create(HINSTANCE instance, HWND owner, const char* class_name, const SkinRect& rect) {
  return SkinChild::Create(instance, owner, class_name, rect, WS_CHILD | WS_CLIPSIBLINGS | WS_VISIBLE);
}

void TextPanel::SetBackground(Surface&& background) {
  background_ = std::move(background);
  ResetBackBuffer();
  PaintPicture(background_);
  Repaint();
}

void TextPanel::SetText(const PanelText& text) {
  if (!font_ || text.font_size != text_.font_size) font_.reset(gdi::CreatePanelFont(text.font_size));
  text_ = text;
}

void TextPanel::Repaint() {
  if (!hwnd_) return;
  InvalidateRect(hwnd_, nullptr, FALSE);
  UpdateWindow(hwnd_);
}

void TextPanel::OnPaint(HDC dc) {
  SkinChild::OnPaint(dc);
  std::string text = Text();
  gdi::Selection font(dc, font_.get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, COLORREF(text_.color));
  TextOutA(dc, text_.x, text_.y, text.c_str(), int(text.size()));
}

// ---------------------------------------------------------------------------
// TimerPanel

void TimerPanel::Tick(TimerTickState& state, HWND main) {
  stopped_ = false;
  TimerTick(state, [main](int command) { SendMessageA(main, WM_COMMAND, MAKEWPARAM(command, 0), 0); });
  ShowTime(state.hours, state.minutes, state.seconds);
}

void TimerPanel::ShowStopped() {
  stopped_ = true;
  Repaint();
}

void TimerPanel::ShowTime(int32_t hours, int32_t minutes, int32_t seconds) {
  stopped_ = false;
  hours_ = hours;
  minutes_ = minutes;
  seconds_ = seconds;
  Repaint();
}

void TimerPanel::ShowNote(const std::string& note) {
  note_ = note;
  Repaint();
}

std::string TimerPanel::Text() const {
  if (!note_.empty() && !stopped_) return note_;
  return stopped_ ? std::string(kTimerStoppedText) : FormatElapsedTime(hours_, minutes_, seconds_);
}

}  // namespace sylvane
