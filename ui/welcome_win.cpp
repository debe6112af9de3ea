#include "ui/welcome_win.h"

#include <algorithm>
#include <string>

namespace sylvane {
namespace {

struct WelcomeState {
  HWND window = nullptr;
  HWND main = nullptr;
  HFONT font = nullptr;
  int recommended_command = 0;
  int own_command = 0;
};
WelcomeState g_welcome;

// The dialogs' font: MS UI Gothic 9 points at the screen's resolution.
HFONT MakeUiFont() {
  HDC screen = GetDC(nullptr);
  const int height = -MulDiv(9, GetDeviceCaps(screen, LOGPIXELSY), 72);
  ReleaseDC(nullptr, screen);
  return CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "MS UI Gothic");
}

SIZE TextSize(HDC dc, const char* text) {
  SIZE s{};
  GetTextExtentPoint32A(dc, text, lstrlenA(text), &s);
  return s;
}

void Choose(HWND window, int command) {
  HWND main = g_welcome.main;
  DestroyWindow(window);
  if (main && command) PostMessageA(main, WM_COMMAND, WPARAM(command), 0);
}

LRESULT CALLBACK WelcomeProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case kWelcomeRecommendedId:
          Choose(window, g_welcome.recommended_command);
          return 0;
        case kWelcomeOwnId:
          Choose(window, g_welcome.own_command);
          return 0;
        case kWelcomeCloseId:
        case IDCANCEL:
          Choose(window, 0);
          return 0;
      }
      break;
    case WM_CLOSE:
      Choose(window, 0);
      return 0;
    case WM_DESTROY:
      if (g_welcome.window == window) g_welcome.window = nullptr;
      if (g_welcome.font) DeleteObject(g_welcome.font);
      g_welcome.font = nullptr;
      return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

bool RegisterWelcomeClass(HINSTANCE instance) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof(wc);
  if (GetClassInfoExA(instance, kWelcomeClass, &wc)) return true;
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = WelcomeProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kWelcomeClass;
  return RegisterClassExA(&wc) != 0;
}

HWND Child(HWND parent, const char* cls, const char* text, DWORD style, int id, const RECT& r, HINSTANCE instance) {
  HWND c = CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, r.left, r.top, r.right - r.left,
                           r.bottom - r.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance,
                           nullptr);
  if (c && g_welcome.font) SendMessageA(c, WM_SETFONT, WPARAM(g_welcome.font), FALSE);
  return c;
}

}  // namespace

HWND WelcomeWindow() { return g_welcome.window; }

HWND ShowWelcomeWindow(HINSTANCE instance, HWND main, int recommended_command, int own_command) {
  if (g_welcome.window) {
    SetWindowPos(g_welcome.window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    return g_welcome.window;
  }
  if (!RegisterWelcomeClass(instance)) return nullptr;
  g_welcome.main = main;
  g_welcome.recommended_command = recommended_command;
  g_welcome.own_command = own_command;
  g_welcome.font = MakeUiFont();

  // The layout follows the text: every string is measured in the font it is shown in.
  constexpr int kMargin = 12, kGap = 8, kButtonPadX = 16, kButtonPadY = 10;
  constexpr int kTextWidth = 300;
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, g_welcome.font);
  RECT text_rect{0, 0, kTextWidth, 0};
  DrawTextA(dc, kWelcomeText, -1, &text_rect, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  const char* labels[3] = {kWelcomeRecommended, kWelcomeOwn, kWelcomeClose};
  int button_w[3];
  int button_h = 0;
  for (int i = 0; i < 3; ++i) {
    SIZE s = TextSize(dc, labels[i]);
    button_w[i] = s.cx + 2 * kButtonPadX;
    button_h = std::max<int>(button_h, s.cy + kButtonPadY);
  }
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  const int buttons_w = button_w[0] + button_w[1] + button_w[2] + 2 * kGap;
  const int inner_w = std::max<int>(text_rect.right, buttons_w);
  const int client_w = inner_w + 2 * kMargin;
  const int client_h = kMargin + text_rect.bottom + 2 * kGap + button_h + kMargin;

  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  const DWORD ex_style = WS_EX_TOOLWINDOW;
  RECT frame{0, 0, client_w, client_h};
  AdjustWindowRectEx(&frame, style, FALSE, ex_style);
  const int w = frame.right - frame.left, h = frame.bottom - frame.top;
  RECT work{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  const int x = work.right - w - kMargin, y = work.bottom - h - kMargin;
  HWND window = CreateWindowExA(ex_style, kWelcomeClass, kWelcomeCaption, style, x, y, w, h, main, nullptr,
                                instance, nullptr);
  if (!window) return nullptr;
  g_welcome.window = window;
  Child(window, "STATIC", kWelcomeText, SS_LEFT | SS_NOPREFIX, -1,
        RECT{kMargin, kMargin, kMargin + inner_w, kMargin + text_rect.bottom}, instance);
  int bx = kMargin + inner_w - buttons_w;
  const int by = kMargin + text_rect.bottom + 2 * kGap;
  const int ids[3] = {kWelcomeRecommendedId, kWelcomeOwnId, kWelcomeCloseId};
  for (int i = 0; i < 3; ++i) {
    Child(window, "BUTTON", labels[i], WS_TABSTOP | (i == 0 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), ids[i],
          RECT{bx, by, bx + button_w[i], by + button_h}, instance);
    bx += button_w[i] + kGap;
  }
  // Shown without taking the focus from whatever the user is doing.
  ShowWindow(window, SW_SHOWNOACTIVATE);
  return window;
}

}  // namespace sylvane
