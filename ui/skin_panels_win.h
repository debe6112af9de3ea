// The panels of the main window (elapsed time, growing-tree count) and the map
// window in which the user picks a planting position.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "canvas/image/surface.h"
#include "platform/handles_win.h"
#include "ui/skin_button_win.h"
#include "ui/skin_pictures.h"
#include "ui/timer_clock.h"

namespace sylvane {

// Text drawn over a panel's picture.
struct PanelText {
  int32_t font_size = 10;  // cell height, pixels
  int32_t x = 0;           // origin inside the panel
  int32_t y = 0;
  uint32_t color = 0;      // 0x00BBGGRR
};

// A child window that shows a background picture with one line of text.
class TextPanel : public SkinChild {
 public:
  bool Create(HINSTANCE instance, HWND owner, const char* class_name, const SkinRect& rect);
  // Replaces the background picture and repaints.
  void SetBackground(Surface&& background);
  // Font size, text origin and colour; the font is made again when the size changes.
  void SetText(const PanelText& text);
  // Repaints the background and the text at once.
  void Repaint();

 protected:
  void OnPaint(HDC dc) override;
  // The text the panel shows now.
  virtual std::string Text() const = 0;

  Surface background_;
  PanelText text_;
  gdi::Font font_;
};

// "TIMER": the elapsed time of the clock, and "作業停止中" while the
// user-interface thread waits for the worker.
class TimerPanel : public TextPanel {
 public:
  // One second of the clock: advances it, sends the due commands to main
  // (synchronously), repaints with the new time.
  void Tick(TimerTickState& state, HWND main);
  void ShowStopped();
  void ShowTime(int32_t hours, int32_t minutes, int32_t seconds);
  // A note shown instead of the time until it is set empty ("追いつき中 12/96").
  void ShowNote(const std::string& note);

 protected:
  std::string Text() const override;

 private:
  int32_t hours_ = 0, minutes_ = 0, seconds_ = 0;
  bool stopped_ = false;
  std::string note_;
};

// "KINUM_DISP": the number of growing trees. SetCount may be called from the
// worker thread: it only stores the number and invalidates the window.
class TreeCountPanel : public TextPanel {
 public:
  void SetCount(int32_t count);

 protected:
  std::string Text() const override;

 private:
  std::atomic<int32_t> count_{0};
};

// "MAP_VIEW": a frameless window owned by the main window, dragged by any
// point outside the canvas picture; a click on the picture picks the planting
// position, sends 40016 to the main window and hides the map.
class MapWindow : public SkinChild {
 public:
  struct Callbacks {
    std::function<void(int left, int top)> store_position;  // the map position setting
  };

  // Created hidden at rect, owned by main.
  bool Create(HINSTANCE instance, HWND main, const SkinRect& rect, Callbacks callbacks);
  // The map background: source tiled over the whole window.
  void SetBackgroundSource(const Surface& source);
  void set_opacity(float opacity) { opacity_ = opacity; }
  float opacity() const { return opacity_; }
  // Moves the (hidden) window and rebuilds its background at the new size.
  void Replace(const SkinRect& rect, const Surface& source);
  // Fits the lit canvas into the window, blends it over the background and paints it.
  void ShowCanvas(const Surface& lit_canvas);
  CanvasPoint planting_position() const { return planting_; }

 protected:
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  LRESULT OnNcHitTest(LPARAM lparam);
  void OnLButtonDown(POINT p);
  void OnCommand(int id);
  // Stores the window position, enables the main window, hides the map.
  void Finish();

  Callbacks callbacks_;
  Surface background_;  // width x height, the tiled map background
  Surface shown_;       // background with the canvas blended in
  float opacity_ = 0.8f;
  MapPicture picture_;
  CanvasPoint planting_;
};

}  // namespace sylvane
