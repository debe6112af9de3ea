// Docking the main window onto the wallpaper changer by dragging it.
#include <gtest/gtest.h>

#include <cstdlib>

#include "e2e_support.h"

namespace e2e {
namespace {

// The changer: the program's modeless dialog "壁紙チェンジャー" without owner.
HWND FindChanger(const App& app) {
  HWND w = nullptr;
  while ((w = FindWindowExA(nullptr, w, "#32770", "壁紙チェンジャー")) != nullptr) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid == app.pid()) return w;
  }
  return nullptr;
}

// Moves the real cursor and tells the window, as a drag with the left button does.
void MoveTo(const App& app, POINT p, UINT message) {
  SetCursorPos(p.x, p.y);
  Sleep(150);
  POINT c = p;
  ScreenToClient(app.main(), &c);
  PostMessageA(app.main(), message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(c.x, c.y));
  Sleep(150);
}

bool RectIs(HWND w, int left, int top) {
  return WaitUntil(
      [&] {
        RECT r;
        GetWindowRect(w, &r);
        return r.left == left && r.top == top;
      },
      3000);
}

TEST(Dock, MainWindowSnapsOntoTheChangerAndThenCarriesIt) {
  App app("dock");
  sylvane::MInitInfo s = TestSettings(app.folder());
  s.changer_state = 1;
  s.changer_display = 0;
  s.main_x = 100;
  s.main_y = 100;
  s.changer_window = sylvane::WindowRect{500, 500, 250, 410};
  WriteSettings(s, app.folder());
  ASSERT_TRUE(app.Start());
  HWND changer = FindChanger(app);
  ASSERT_NE(changer, nullptr);
  ASSERT_TRUE(IsWindowVisible(changer));
  RECT m, c;
  GetWindowRect(app.main(), &m);
  GetWindowRect(changer, &c);
  const int h = m.bottom - m.top;
  SaveScreenshot(changer, "changer_window");

  // Grab the main window at (2, 2) and bring its bottom 4 pixels above the
  // changer's top and its left 5 pixels right of the changer's left.
  POINT grab{m.left + 2, m.top + 2};
  MoveTo(app, grab, WM_LBUTTONDOWN);
  POINT near_changer{c.left + 5 + 2, c.top - 4 - h + 2};
  MoveTo(app, near_changer, WM_MOUSEMOVE);
  // Snapped: the main window's bottom meets the changer's top and its left
  // lies on the changer's left (the pointer's own motion events may already
  // have carried the changer a step along, keeping both).
  EXPECT_TRUE(WaitUntil([&] {
    RECT a, b;
    GetWindowRect(app.main(), &a);
    GetWindowRect(changer, &b);
    return a.bottom == b.top && std::abs(a.left - b.left) <= 5 && std::abs(b.top - c.top) <= 4;
  })) << "the bottom meets the changer's top";

  // Docked: the changer hangs under the main window and follows it.
  POINT further{near_changer.x + 30, near_changer.y + 40};
  MoveTo(app, further, WM_MOUSEMOVE);
  MoveTo(app, further, WM_LBUTTONUP);
  EXPECT_TRUE(RectIs(app.main(), further.x - 2, further.y - 2));
  RECT nm;
  GetWindowRect(app.main(), &nm);
  EXPECT_TRUE(RectIs(changer, further.x - 7, nm.bottom)) << "the changer's top is the main window's bottom";
  SaveScreenshot(app.main(), "main_window_docked");
  ASSERT_TRUE(app.Close());
}

TEST(Dock, FarFromTheChangerNothingDocks) {
  App app("dock_far");
  sylvane::MInitInfo s = TestSettings(app.folder());
  s.changer_state = 1;
  s.changer_display = 0;
  s.main_x = 100;
  s.main_y = 100;
  s.changer_window = sylvane::WindowRect{500, 500, 250, 410};
  WriteSettings(s, app.folder());
  ASSERT_TRUE(app.Start());
  HWND changer = FindChanger(app);
  ASSERT_NE(changer, nullptr);
  RECT m, c;
  GetWindowRect(app.main(), &m);
  GetWindowRect(changer, &c);
  const int h = m.bottom - m.top;
  POINT grab{m.left + 2, m.top + 2};
  MoveTo(app, grab, WM_LBUTTONDOWN);
  POINT target{c.left + 5 + 2, c.top - 10 - h + 2};  // bottom 10 pixels above: no snap
  MoveTo(app, target, WM_MOUSEMOVE);
  EXPECT_TRUE(RectIs(app.main(), c.left + 5, c.top - 10 - h));
  POINT further{target.x + 30, target.y - 40};
  MoveTo(app, further, WM_MOUSEMOVE);
  MoveTo(app, further, WM_LBUTTONUP);
  EXPECT_TRUE(RectIs(changer, c.left, c.top)) << "an undocked changer stays";
  ASSERT_TRUE(app.Close());
}

}  // namespace
}  // namespace e2e
