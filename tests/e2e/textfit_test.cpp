// No clipped text: every dialog of the program, made from its own templates in
// sylvane.exe, and the windows the program fills at run time (the canvas
// window's and the changer's combo boxes, the welcome) show each text whole in
// the Japanese dialog font at the screen's resolution. Every static text,
// button, check box, radio button and group box is measured in its control's
// font against its control; every combo box item against its selection field.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "e2e_support.h"
#include "res/canvaswin_resource.h"
#include "res/changer_resource.h"
#include "res/commands.h"
#include "ui/welcome_win.h"

namespace e2e {
namespace {

std::wstring TextOf(HWND control) {
  const int n = GetWindowTextLengthW(control);
  std::wstring text(size_t(n) + 1, L'\0');
  GetWindowTextW(control, text.data(), n + 1);
  text.resize(size_t(n));
  return text;
}

std::string Narrow(const std::wstring& w) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), int(w.size()), nullptr, 0, nullptr, nullptr);
  std::string s(size_t(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.c_str(), int(w.size()), s.data(), n, nullptr, nullptr);
  return s;
}

struct Clip {
  std::string where;  // dialog and control
  std::string text;   // UTF-8
  int needed_width = 0;
  int needed_height = 0;
  int width = 0;
  int height = 0;
};

// Room every text leaves in its control: Windows' own MS UI Gothic draws some
// glyphs a pixel or two wider than the font Wine puts in its place.
constexpr int kSlack = 4;
// Pixels a control needs besides its text.
constexpr int kPushButtonMargin = 6;  // the button's edges either side
constexpr int kCheckGap = 4;          // between the check mark and the text
constexpr int kGroupMargin = 14;      // the frame's corners beside the group box caption
constexpr int kComboMargin = 6;       // the selection field's edges and text inset

// The text's size in `font` (single line, or wrapped at `wrap_width` when positive).
SIZE Measure(HFONT font, const std::wstring& text, int wrap_width, UINT prefix) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  RECT r{0, 0, wrap_width > 0 ? wrap_width : 0, 0};
  const UINT flags = DT_CALCRECT | prefix | (wrap_width > 0 ? DT_WORDBREAK : DT_SINGLELINE);
  DrawTextW(dc, text.c_str(), int(text.size()), &r, flags);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

// Checks one control of a dialog made in this process (its font is at hand).
void CheckControl(HWND control, const std::string& dialog, std::vector<Clip>& clips) {
  if (!IsWindowVisible(control)) return;
  wchar_t cls[64] = {};
  GetClassNameW(control, cls, 64);
  const std::wstring text = TextOf(control);
  if (text.empty()) return;
  const LONG style = GetWindowLongW(control, GWL_STYLE);
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
  if (!font) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  RECT client{};
  GetClientRect(control, &client);
  const int w = client.right, h = client.bottom;
  Clip c;
  c.where = dialog + " / control " + std::to_string(GetDlgCtrlID(control));
  c.text = Narrow(text);
  c.width = w;
  c.height = h;
  if (lstrcmpiW(cls, L"Static") == 0) {
    const LONG kind = style & SS_TYPEMASK;
    if (kind != SS_LEFT && kind != SS_CENTER && kind != SS_RIGHT && kind != SS_LEFTNOWORDWRAP && kind != SS_SIMPLE)
      return;
    const bool wraps = kind == SS_LEFT || kind == SS_CENTER || kind == SS_RIGHT;
    const UINT prefix = (style & SS_NOPREFIX) ? DT_NOPREFIX : 0;
    const SIZE s = Measure(font, text, wraps ? w - kSlack : 0, prefix);
    c.needed_width = s.cx + kSlack;
    c.needed_height = s.cy;
    if (s.cx + kSlack > w || s.cy > h) clips.push_back(c);
    return;
  }
  if (lstrcmpiW(cls, L"Button") == 0) {
    const LONG kind = style & BS_TYPEMASK;
    const bool multiline = (style & BS_MULTILINE) != 0;
    SIZE s{};
    int extra = 0;
    switch (kind) {
      case BS_PUSHBUTTON:
      case BS_DEFPUSHBUTTON:
        extra = kPushButtonMargin;
        s = Measure(font, text, multiline ? w - extra : 0, 0);
        break;
      case BS_CHECKBOX:
      case BS_AUTOCHECKBOX:
      case BS_RADIOBUTTON:
      case BS_AUTORADIOBUTTON:
      case BS_3STATE:
      case BS_AUTO3STATE:
        extra = GetSystemMetrics(SM_CXMENUCHECK) + kCheckGap;
        s = Measure(font, text, multiline ? w - extra : 0, 0);
        break;
      case BS_GROUPBOX:
        extra = kGroupMargin;
        s = Measure(font, text, 0, 0);
        s.cy = 0;  // the caption sits on the frame
        break;
      default:
        return;
    }
    c.needed_width = s.cx + extra + kSlack;
    c.needed_height = s.cy;
    if (s.cx + extra + kSlack > w || s.cy > h) clips.push_back(c);
  }
}

struct DialogList {
  std::vector<std::wstring> names;  // "#id" or the resource name
};

BOOL CALLBACK CollectDialog(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) {
  auto* list = reinterpret_cast<DialogList*>(param);
  if (IS_INTRESOURCE(name))
    list->names.push_back(L"#" + std::to_wstring(reinterpret_cast<uintptr_t>(name)));
  else
    list->names.push_back(name);
  return TRUE;
}

INT_PTR CALLBACK QuietDialog(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

BOOL CALLBACK CheckChild(HWND control, LPARAM param) {
  auto* args = reinterpret_cast<std::pair<std::string*, std::vector<Clip>*>*>(param);
  CheckControl(control, *args->first, *args->second);
  return TRUE;
}

std::string Report(const std::vector<Clip>& clips) {
  std::string out;
  for (const Clip& c : clips)
    out += c.where + " \"" + c.text + "\": needs " + std::to_string(c.needed_width) + " x " +
           std::to_string(c.needed_height) + ", has " + std::to_string(c.width) + " x " + std::to_string(c.height) +
           "\n";
  return out;
}

TEST(TextFit, EveryDialogTemplateShowsEachTextWhole) {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  HMODULE exe = LoadLibraryExA(ProgramExe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(exe, nullptr) << ProgramExe();
  DialogList list;
  EnumResourceNamesW(exe, MAKEINTRESOURCEW(5) /* RT_DIALOG */, CollectDialog, reinterpret_cast<LONG_PTR>(&list));
  ASSERT_GE(list.names.size(), 10u) << "the program's dialogs";
  // Child templates (property pages, the open-image dialog's addition) need a parent.
  HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr, nullptr, nullptr);
  std::vector<Clip> clips;
  int checked_dialogs = 0;
  for (const std::wstring& name : list.names) {
    LPCWSTR id = name[0] == L'#' ? MAKEINTRESOURCEW(std::stoi(name.substr(1))) : name.c_str();
    HWND dialog = CreateDialogParamW(exe, id, parent, QuietDialog, 0);
    EXPECT_NE(dialog, nullptr) << "dialog " << Narrow(name) << " could not be made";
    if (!dialog) continue;
    ShowWindow(dialog, SW_SHOWNA);  // hidden controls are left out; the dialog's own visibility must not hide all
    std::string where = "dialog " + Narrow(name);
    std::pair<std::string*, std::vector<Clip>*> args{&where, &clips};
    EnumChildWindows(dialog, CheckChild, reinterpret_cast<LPARAM>(&args));
    DestroyWindow(dialog);
    ++checked_dialogs;
  }
  DestroyWindow(parent);
  FreeLibrary(exe);
  EXPECT_EQ(checked_dialogs, int(list.names.size()));
  EXPECT_TRUE(clips.empty()) << Report(clips);
}

// The dialog font as the dialog manager makes it for FONT 9, "MS UI Gothic".
HFONT DialogFont() {
  HDC screen = GetDC(nullptr);
  const int height = -MulDiv(9, GetDeviceCaps(screen, LOGPIXELSY), 72);
  ReleaseDC(nullptr, screen);
  return CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"MS UI Gothic");
}

// Every item of a combo box of the program (another process: the texts come
// through CB_GETLBTEXT) against the width of its selection field.
void CheckRemoteCombo(HWND combo, const std::string& where, HFONT font, std::vector<Clip>& clips, int& items) {
  ASSERT_NE(combo, nullptr) << where;
  RECT client{};
  GetClientRect(combo, &client);
  const int field = client.right - GetSystemMetrics(SM_CXVSCROLL) - kComboMargin - kSlack;
  const int count = int(SendMessageW(combo, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    const int n = int(SendMessageW(combo, CB_GETLBTEXTLEN, WPARAM(i), 0));
    if (n <= 0) continue;
    std::wstring text(size_t(n) + 1, L'\0');
    SendMessageW(combo, CB_GETLBTEXT, WPARAM(i), reinterpret_cast<LPARAM>(text.data()));
    text.resize(size_t(n));
    const SIZE s = Measure(font, text, 0, DT_NOPREFIX);
    ++items;
    if (s.cx > field) clips.push_back(Clip{where + " item " + std::to_string(i), Narrow(text), s.cx, s.cy, field,
                                           int(client.bottom)});
  }
}

// The top-level window of the process that has a child with id `child_id`
// and none with id `not_child_id` (the canvas window and the changer share
// their combo boxes' ids).
HWND WindowWithChild(App& app, int child_id, int not_child_id) {
  struct Args {
    DWORD pid;
    int id;
    int not_id;
    HWND found;
  } args{app.pid(), child_id, not_child_id, nullptr};
  EnumWindows(
      [](HWND w, LPARAM p) -> BOOL {
        auto* a = reinterpret_cast<Args*>(p);
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid == a->pid && GetDlgItem(w, a->id) && !GetDlgItem(w, a->not_id)) {
          a->found = w;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&args));
  return args.found;
}

TEST(TextFit, TheWindowsCombosAndTheWelcomeShowEachTextWhole) {
  App app("textfit_windows");
  ASSERT_TRUE(app.Start());
  HFONT font = DialogFont();
  std::vector<Clip> clips;
  int items = 0;
  // The welcome: its message and choices (made by code, measured in the same font).
  HWND welcome = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (welcome = app.FindWindowOfClass(sylvane::kWelcomeClass)) != nullptr; }));
  for (int id : {sylvane::kWelcomeRecommendedId, sylvane::kWelcomeOwnId, sylvane::kWelcomeCloseId}) {
    HWND b = GetDlgItem(welcome, id);
    RECT r{};
    GetClientRect(b, &r);
    const SIZE s = Measure(font, TextOf(b), 0, 0);
    const int needed = s.cx + kPushButtonMargin + kSlack;
    if (needed > r.right || s.cy > r.bottom)
      clips.push_back(Clip{"welcome button " + std::to_string(id), Narrow(TextOf(b)), needed, s.cy, int(r.right),
                           int(r.bottom)});
  }
  ASSERT_TRUE(NewCanvas(app, "320", "240", "10"));
  ASSERT_TRUE(app.Send(CMD_CANVAS_WINDOW));
  ASSERT_TRUE(app.Send(CMD_CHANGER));
  HWND canvas_window = WindowWithChild(app, CW_IDC_ZOOM, IDC_CHANGER_LIST);
  ASSERT_NE(canvas_window, nullptr);
  CheckRemoteCombo(GetDlgItem(canvas_window, CW_IDC_ZOOM), "canvas window zoom", font, clips, items);
  CheckRemoteCombo(GetDlgItem(canvas_window, CW_IDC_NAMES), "canvas window names", font, clips, items);
  HWND changer = WindowWithChild(app, IDC_CHANGER_SORT, 0x7FFF);
  ASSERT_NE(changer, nullptr);
  CheckRemoteCombo(GetDlgItem(changer, IDC_CHANGER_MODE), "changer mode", font, clips, items);
  CheckRemoteCombo(GetDlgItem(changer, IDC_CHANGER_SORT), "changer sort", font, clips, items);
  DeleteObject(font);
  EXPECT_GE(items, 10 + 2 + 3 + 3) << "every combo box was filled";
  EXPECT_TRUE(clips.empty()) << Report(clips);
  ASSERT_TRUE(app.Close());
}

}  // namespace
}  // namespace e2e
