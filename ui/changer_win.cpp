#include "ui/changer_win.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>
#include <windowsx.h>

#include <string>
#include <vector>

#include "canvas/image/image_dialog_win.h"
#include "canvas/records/settings.h"
#include "canvas/image/surface_win.h"
#include "canvas/wallpaper_win.h"
#include "platform/platform.h"
#include "platform/text.h"
#include "res/changer_resource.h"
#include "ui/changer_list.h"
#include "platform/handles_win.h"
#include "ui/dpi_win.h"
#include "ui/skin_layout.h"
#include "ui/skin_win.h"
#include "res/commands.h"

namespace sylvane {
namespace {

constexpr int kCursorDragging = 105;
// Size of the changer when the skin has no changer picture.
constexpr int kFallbackWidth = 250;
constexpr int kFallbackHeight = 410;
// The background pixel whose colour the radio buttons are drawn on (from the top).
constexpr int kStaticColourX = 88;
constexpr int kStaticColourY = 39;
// Extra height given to a combo box for its drop-down list, pixels.
constexpr int kComboDropHeight = 120;
constexpr char kWindowTitle[] = "壁紙チェンジャー";
constexpr char kAddImageTitle[] = "壁紙に使う画像を開く";
constexpr char kClearQuestion[] = "リスト項目を全て削除してよろしいですか？";
constexpr char kClearCaption[] = "確認";
const char* const kModeLabels[] = {"中央に表示", "並べて表示", "拡大して表示"};
const char* const kSortLabels[] = {"並べ替えなし", "アスキー順", "アスキー逆"};

// The changer's state; one per process, attached to its window.
struct Changer {
  HINSTANCE instance = nullptr;
  HWND window = nullptr;
  HWND main = nullptr;
  ChangerDockListener on_dock;
  Surface background;  // skin picture with the small picture drawn in
  SurfaceDC background_dc;
  Surface preview;
  SkinRect preview_at{7, 30, 70, 70};
  bool preview_read = false;  // preview holds the picture read for preview_at's size
  gdi::Brush control_brush;  // behind edit and list controls
  gdi::Brush static_brush;   // behind the radio buttons
  UINT drag_list_message = 0;
  int drag_item = -1;        // item being dragged in the list, -1 when none
  bool moving = false;       // the window follows the pointer
  POINT grab{};              // pointer minus the window's top-left when the move began
  RECT main_rect{};          // the main window when the move began
  bool main_visible = false;
  int work_width = 0, work_height = 0;
  bool placed = false;
  std::vector<std::string> paths;  // the list, as stored in the settings
};

Changer g_changer;

Changer* Attached(HWND window) { return reinterpret_cast<Changer*>(GetWindowLongPtrA(window, DWLP_USER)); }

std::string ProgramFile(const char* name) { return JoinPath(GetPlatform().ProgramFolder(), name); }

int LocaleCompare(std::string_view a, std::string_view b) {
  return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                        static_cast<int>(b.size())) -
         CSTR_EQUAL;
}

HWND Item(const Changer& c, int id) { return GetDlgItem(c.window, id); }
bool Checked(const Changer& c, int id) { return IsDlgButtonChecked(c.window, id) == BST_CHECKED; }
void Check(const Changer& c, int id, bool on) { CheckDlgButton(c.window, id, on ? BST_CHECKED : BST_UNCHECKED); }
int Selected(const Changer& c) {
  return static_cast<int>(SendDlgItemMessageA(c.window, IDC_CHANGER_LIST, LB_GETCURSEL, 0, 0));
}
void SendSelf(const Changer& c, int id) { SendMessageA(c.window, WM_COMMAND, WPARAM(id), 0); }

void StorePaths(const Changer& c) { Settings().changer_images = ChangerPathsToGrid(c.paths); }

void FillList(const Changer& c) {
  HWND list = Item(c, IDC_CHANGER_LIST);
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  for (const std::string& p : c.paths)
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ChangerTitle(p).c_str()));
}

void FillCombo(HWND combo, const char* const* labels, int count, int selected) {
  SendMessageA(combo, CB_RESETCONTENT, 0, 0);
  for (int i = 0; i < count; ++i) SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(labels[i]));
  SendMessageA(combo, CB_SETCURSEL, WPARAM(selected), 0);
}

// ---- the small picture ----

// Draws the small picture into the background's memory picture and onto the window.
void DrawPreview(Changer& c) {
  if (!c.background_dc.dc() || c.preview.empty()) return;
  if (!CopySurfaceToDC(c.background_dc.dc(), c.preview, c.preview_at.left, c.preview_at.top)) {
    ShowMessage("Hello!", "Hello");
    return;
  }
  RECT r{c.preview_at.left, c.preview_at.top, c.preview_at.left + c.preview_at.width,
         c.preview_at.top + c.preview_at.height};
  InvalidateRect(c.window, &r, FALSE);
  UpdateWindow(c.window);
}

void PreviewFile(Changer& c, const std::string& path) {
  if (!IsPlaceableRect(c.preview_at)) return;
  LoadChangerPreview(path, c.preview, c.preview_at.width, c.preview_at.height);
  DrawPreview(c);
}

void PreviewSelected(Changer& c) {
  const int sel = Selected(c);
  if (sel >= 0 && sel < static_cast<int>(c.paths.size())) PreviewFile(c, c.paths[size_t(sel)]);
}

// ---- layout ----

// The skin's changer picture as the skin last read it; read from the files
// when the skin has none.
void LoadBackground(Changer& c) {
  const ImageSetFiles files = ImageSetFileNames(ImageSet::kChanger);
  Surface picture;
  const Surface& read = SkinComposite(ImageSet::kChanger, 0);
  if (!read.empty()) {
    picture.CopyFrom(read);
  } else if (LoadSkinComposite(SkinImageSetFolder(ImageSet::kChanger), files.normal, files.back, picture) != 0 &&
             LoadSkinComposite(DefaultSkinFolder(GetPlatform().ProgramFolder()), files.normal, files.back, picture) != 0) {
    picture.CreateFilled(kFallbackWidth, kFallbackHeight, 255);
  }
  picture.RefreshHeaders();
  c.background = std::move(picture);
}

COLORREF StaticColour(const Surface& background) {
  if (background.width <= kStaticColourX || background.height <= kStaticColourY) return RGB(255, 255, 255);
  const uint8_t* p = background.PixelAt(kStaticColourX, kStaticColourY);
  return RGB(p[2], p[1], p[0]);
}

void MoveControl(const Changer& c, int id, const SkinRect& r, int extra_height = 0) {
  HWND control = Item(c, id);
  if (!control) return;
  MoveWindow(control, r.left, r.top, r.width, r.height + extra_height, TRUE);
  ShowWindow(control, SW_SHOW);
}

void OnLayout(Changer& c) {
  const SkinLayout& layout = CurrentSkinLayout();
  LoadBackground(c);
  c.control_brush.reset(CreateSolidBrush(COLORREF(layout.changer_ctrl_bg_color)));
  c.static_brush.reset(CreateSolidBrush(StaticColour(c.background)));
  MoveControl(c, IDC_CHANGER_MODE, layout.changer_combo1, kComboDropHeight);
  MoveControl(c, IDC_CHANGER_SORT, layout.changer_combo2, kComboDropHeight);
  MoveControl(c, IDC_CHANGER_LIST, layout.changer_list1);
  MoveControl(c, IDC_CHANGER_GARDEN, layout.changer_radio1);
  MoveControl(c, IDC_CHANGER_PICTURE, layout.changer_radio2);
  c.preview_at = layout.changer_prev_img;
  if (!ShowSurface(c.window, c.background, c.background_dc)) return;
  if (IsPlaceableRect(c.preview_at)) {
    // A small picture of the same size still shows what it showed: the skin
    // lays the changer out again right after it is made, and reading the
    // wallpaper (a whole desktop's picture with a picture per monitor) costs
    // more than all the rest of the layout.
    if (!c.preview_read || c.preview.width != c.preview_at.width || c.preview.height != c.preview_at.height) {
      c.preview.CreateFilled(c.preview_at.width, c.preview_at.height, 0);
      c.preview.RefreshHeaders();
      if (Settings().changer_active == 0)
        LoadChangerPreview(ProgramFile(kCanvasWallpaperFile), c.preview, c.preview_at.width, c.preview_at.height);
      else if (!c.paths.empty())
        LoadChangerPreview(ProgramFile(kOtherWallpaperFile), c.preview, c.preview_at.width, c.preview_at.height);
      c.preview_read = true;
    }
    DrawPreview(c);
  }
  // A skin change may bring a changer picture of another size.
  if (c.placed && Settings().changer_state != kChangerCollapsed)
    SetWindowPos(c.window, nullptr, 0, 0, c.background.width, c.background.height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(c.window, nullptr, FALSE);
}

// ---- list commands ----

void AddPath(Changer& c, const std::string& path) {
  const int index = ChangerAddPath(c.paths, path, Settings().changer_sort, LocaleCompare);
  if (index < 0) return;
  HWND list = Item(c, IDC_CHANGER_LIST);
  SendMessageA(list, LB_INSERTSTRING, WPARAM(index), reinterpret_cast<LPARAM>(ChangerTitle(path).c_str()));
  StorePaths(c);
  SendMessageA(list, LB_SETCURSEL, WPARAM(index), 0);
  SendSelf(c, IDC_CHANGER_LIST_KEYUP);
}

// The add-image dialog starts in the folder last used, or the first time
// (the setting still holds the skin folder it is reset to, or nothing) in
// the user's Pictures folder.
std::string AddImageStartFolder() {
  const std::string& stored = Settings().changer_folder;
  const std::string reset = JoinPath(GetPlatform().ProgramFolder(), "skin");
  if (!stored.empty() && lstrcmpiA(stored.c_str(), reset.c_str()) != 0) return stored;
  char pictures[MAX_PATH] = {};
  if (SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_MYPICTURES, nullptr, SHGFP_TYPE_CURRENT, pictures)) && pictures[0])
    return pictures;
  return stored;
}

void OnAdd(Changer& c) {
  Surface picked;
  std::string folder = AddImageStartFolder();
  if (OpenImageDialog(c.window, picked, kAddImageTitle, folder) != 0) return;
  Settings().changer_folder = folder;
  AddPath(c, picked.path);
}

void OnRemove(Changer& c) {
  const int sel = Selected(c);
  if (sel < 0) return;
  const int next = ChangerRemoveAt(c.paths, sel);
  SendDlgItemMessageA(c.window, IDC_CHANGER_LIST, LB_DELETESTRING, WPARAM(sel), 0);
  StorePaths(c);
  if (next >= 0) {
    SendDlgItemMessageA(c.window, IDC_CHANGER_LIST, LB_SETCURSEL, WPARAM(next), 0);
    SendSelf(c, IDC_CHANGER_LIST_KEYUP);
  }
}

void OnClear(Changer& c) {
  if (Ask(kClearQuestion, kClearCaption, QuestionButtons::kYesNo) != Answer::kYes) return;
  c.paths.clear();
  SendDlgItemMessageA(c.window, IDC_CHANGER_LIST, LB_RESETCONTENT, 0, 0);
  StorePaths(c);
}

void OnSortChosen(Changer& c) {
  const int sort = static_cast<int>(SendDlgItemMessageA(c.window, IDC_CHANGER_SORT, CB_GETCURSEL, 0, 0));
  if (sort < 0) return;
  Settings().changer_sort = static_cast<uint8_t>(sort);
  if (sort != kChangerSortAscending && sort != kChangerSortDescending) return;
  int selected = Selected(c);
  ChangerSortPaths(c.paths, sort, LocaleCompare, &selected);
  StorePaths(c);
  FillList(c);
  if (selected >= 0) SendDlgItemMessageA(c.window, IDC_CHANGER_LIST, LB_SETCURSEL, WPARAM(selected), 0);
}

void OnDropFiles(Changer& c, HDROP drop) {
  const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
  std::vector<std::string> files;
  for (UINT i = 0; i < count && i < UINT(kMaxDroppedFiles); ++i) {
    char path[MAX_PATH + 1] = {};
    const UINT n = DragQueryFileA(drop, i, path, MAX_PATH);
    if (n > 0 && n < MAX_PATH) files.emplace_back(path, n);
  }
  DragFinish(drop);
  const int last =
      ChangerAddDropped(c.paths, files, Settings().changer_sort, LocaleCompare, IsReadablePictureQuietly);
  if (last < 0) return;
  StorePaths(c);
  FillList(c);
  SendDlgItemMessageA(c.window, IDC_CHANGER_LIST, LB_SETCURSEL, WPARAM(last), 0);
  SendSelf(c, IDC_CHANGER_LIST_KEYUP);
}

// ---- wallpaper commands ----

void OnOk(Changer& c) {
  ChangerChoice choice;
  choice.garden = Checked(c, IDC_CHANGER_GARDEN);
  choice.display_mode = static_cast<int>(SendDlgItemMessageA(c.window, IDC_CHANGER_MODE, CB_GETCURSEL, 0, 0));
  const int sel = Selected(c);
  if (sel >= 0 && sel < static_cast<int>(c.paths.size())) choice.selected_path = c.paths[size_t(sel)];
  ChangerApplied applied;
  const int result = ApplyChangerChoice(Settings(), choice, GetPlatform().ProgramFolder(), applied);
  if (result == kChangerUseGarden && c.main) SendMessageA(c.main, WM_COMMAND, WPARAM(CMD_MAKE_WALLPAPER), 0);
  if (result == kChangerUsePicture) SetWallpaper(applied.wallpaper_path, applied.style);
}

void ShowGarden(Changer& c) {
  PreviewFile(c, ProgramFile(kCanvasWallpaperFile));
  Check(c, IDC_CHANGER_GARDEN, true);
  Check(c, IDC_CHANGER_PICTURE, false);
}

void ShowPicture(Changer& c) {
  PreviewSelected(c);
  Check(c, IDC_CHANGER_GARDEN, false);
  Check(c, IDC_CHANGER_PICTURE, true);
}

void Hide(Changer& c, bool store_position) {
  Settings().changer_state = kChangerClosed;
  if (store_position) StoreChangerPosition();
  ShowWindow(c.window, SW_HIDE);
}

void OnCommand(Changer& c, int id, int code) {
  switch (id) {
    case IDOK:
      OnOk(c);
      break;
    case IDCANCEL:
      Hide(c, true);
      break;
    case CMD_CHANGER_CLOSE:
      Hide(c, false);
      break;
    case CMD_CHANGER_ADD:
      OnAdd(c);
      break;
    case CMD_CHANGER_REMOVE:
      OnRemove(c);
      break;
    case CMD_CHANGER_CLEAR:
      OnClear(c);
      break;
    case IDC_CHANGER_LIST:
      if (code == LBN_SELCHANGE) SendSelf(c, IDC_CHANGER_LIST_KEYUP);
      if (code == LBN_DBLCLK) SendSelf(c, IDC_CHANGER_RADIO2_DOWN);
      break;
    case IDC_CHANGER_SORT:
      if (code == CBN_SELCHANGE) OnSortChosen(c);
      break;
    case IDC_CHANGER_LIST_KEYUP:
      if (Checked(c, IDC_CHANGER_PICTURE)) PreviewSelected(c);
      break;
    case IDC_CHANGER_RADIO1_DOWN:
      ShowGarden(c);
      break;
    case IDC_CHANGER_RADIO2_DOWN:
      ShowPicture(c);
      break;
    case IDC_CHANGER_GARDEN:
    case IDC_CHANGER_PICTURE:
      // A press already switched through the subclass; this catches the keyboard.
      if (code == BN_CLICKED && !Checked(c, id))
        SendSelf(c, id == IDC_CHANGER_GARDEN ? IDC_CHANGER_RADIO1_DOWN : IDC_CHANGER_RADIO2_DOWN);
      break;
    case CMD_LAYOUT_CHANGER:
      OnLayout(c);
      break;
    case CMD_CHANGER_REFRESH:
      PreviewFile(c, ProgramFile(kCanvasWallpaperFile));
      break;
    default:
      break;
  }
}

// ---- dragging an item of the list ----

LRESULT OnDragList(Changer& c, const DRAGLISTINFO& info) {
  HWND list = Item(c, IDC_CHANGER_LIST);
  switch (info.uNotification) {
    case DL_BEGINDRAG:
      c.drag_item = LBItemFromPt(list, info.ptCursor, FALSE);
      return c.drag_item >= 0 ? TRUE : FALSE;
    case DL_DRAGGING: {
      const int item = LBItemFromPt(list, info.ptCursor, TRUE);
      DrawInsert(c.window, list, item);
      SetCursor(LoadCursorA(c.instance, MAKEINTRESOURCEA(kCursorDragging)));
      return DL_CURSORSET;
    }
    case DL_DROPPED: {
      const int target = LBItemFromPt(list, info.ptCursor, FALSE);
      const int source = c.drag_item;
      if (!c.paths.empty() && target >= 0 && source >= 0 && source < static_cast<int>(c.paths.size())) {
        const std::string title = ChangerTitle(c.paths[size_t(source)]);
        SendMessageA(list, LB_DELETESTRING, WPARAM(source), 0);
        SendMessageA(list, LB_INSERTSTRING, WPARAM(target), reinterpret_cast<LPARAM>(title.c_str()));
        SendMessageA(list, LB_SETCURSEL, WPARAM(target), 0);
        if (target != source && ChangerMovePath(c.paths, source, target)) {
          StorePaths(c);
          SendSelf(c, IDC_CHANGER_LIST_KEYUP);
          Settings().changer_sort = kChangerSortNone;
          SendDlgItemMessageA(c.window, IDC_CHANGER_SORT, CB_SETCURSEL, WPARAM(kChangerSortNone), 0);
        }
      }
      DrawInsert(c.window, list, -1);
      c.drag_item = -1;
      return 0;
    }
    case DL_CANCELDRAG:
      DrawInsert(c.window, list, -1);
      c.drag_item = -1;
      return 0;
    default:
      return 0;
  }
}

// ---- moving, docking and collapsing the window ----

void ToggleCollapse(Changer& c) {
  RECT r;
  GetWindowRect(c.window, &r);
  const ChangerPlace p = ToggleChangerCollapse(Settings().changer_state, r.left, r.top, c.background.width,
                                               c.background.height, c.work_width, c.work_height);
  SetWindowPos(c.window, nullptr, p.left, p.top, p.width, p.height, SWP_NOZORDER | SWP_NOACTIVATE);
  Settings().changer_state = static_cast<uint8_t>(p.state);
}

void OnLeftButtonDown(Changer& c, int x, int y) {
  if (InChangerCollapseArea(x, y)) {
    ToggleCollapse(c);
    return;
  }
  POINT p;
  GetCursorPos(&p);
  RECT r;
  GetWindowRect(c.window, &r);
  c.grab = POINT{p.x - r.left, p.y - r.top};
  c.main_visible = c.main && IsWindowVisible(c.main);
  if (c.main) GetWindowRect(c.main, &c.main_rect);
  c.moving = true;
  SetCapture(c.window);
}

void OnMouseMove(Changer& c) {
  if (!c.moving) return;
  POINT p;
  GetCursorPos(&p);
  RECT r;
  GetWindowRect(c.window, &r);
  ChangerDragInput in;
  in.pointer_x = p.x;
  in.pointer_y = p.y;
  in.offset_x = c.grab.x;
  in.offset_y = c.grab.y;
  in.width = r.right - r.left;
  in.has_main = c.main_visible;
  in.main_left = c.main_rect.left;
  in.main_right = c.main_rect.right;
  in.main_bottom = c.main_rect.bottom;
  const ChangerDragResult step = ChangerDragStep(in);
  SetWindowPos(c.window, nullptr, step.left, step.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  // Told at every step: the main window's own dragging may have docked it meanwhile.
  Settings().changer_display = static_cast<uint8_t>(step.docked);
  if (c.on_dock) c.on_dock(step.docked);
}

void OnLeftButtonUp(Changer& c) {
  if (!c.moving) return;
  c.moving = false;
  ReleaseCapture();
  InvalidateRect(c.window, nullptr, FALSE);
}

// ---- radio buttons ----

// A left press on a radio button first tells the changer (1044 / 1045).
LRESULT CALLBACK RadioProc(HWND radio, UINT msg, WPARAM wparam, LPARAM lparam, UINT_PTR id, DWORD_PTR) {
  if (msg == WM_LBUTTONDOWN) {
    const int command = id == IDC_CHANGER_GARDEN ? IDC_CHANGER_RADIO1_DOWN : IDC_CHANGER_RADIO2_DOWN;
    SendMessageA(GetParent(radio), WM_COMMAND, WPARAM(command), 0);
  } else if (msg == WM_NCDESTROY) {
    RemoveWindowSubclass(radio, RadioProc, id);
  }
  return DefSubclassProc(radio, msg, wparam, lparam);
}

// ---- creation and painting ----

void OnInitDialog(Changer& c) {
  const MInitInfo& s = Settings();
  SetWindowTextA(c.window, kWindowTitle);
  HWND list = Item(c, IDC_CHANGER_LIST);
  MakeDragList(list);
  c.drag_list_message = RegisterWindowMessageA(DRAGLISTMSGSTRING);
  DragAcceptFiles(c.window, TRUE);
  SetWindowSubclass(Item(c, IDC_CHANGER_GARDEN), RadioProc, IDC_CHANGER_GARDEN, 0);
  SetWindowSubclass(Item(c, IDC_CHANGER_PICTURE), RadioProc, IDC_CHANGER_PICTURE, 0);
  RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  c.work_width = work.right;
  c.work_height = work.bottom;
  c.paths = ChangerPathsFromGrid(s.changer_images);
  OnLayout(c);
  const int height = s.changer_state == kChangerCollapsed ? kChangerCollapsedHeight : c.background.height;
  SetWindowPos(c.window, nullptr, s.changer_window.x, s.changer_window.y, c.background.width, height,
               SWP_NOZORDER | SWP_NOACTIVATE);
  c.placed = true;
  ShowWindow(c.window, s.changer_state == kChangerOpen ? SW_SHOW : SW_HIDE);
  Check(c, IDC_CHANGER_GARDEN, s.changer_active == 0);
  Check(c, IDC_CHANGER_PICTURE, s.changer_active != 0);
  FillCombo(Item(c, IDC_CHANGER_MODE), kModeLabels, 3, s.changer_mode);
  FillCombo(Item(c, IDC_CHANGER_SORT), kSortLabels, 3, s.changer_sort);
  FillList(c);
}

void OnPaint(Changer& c) {
  gdi::PaintDc paint(c.window);
  BlitCompanion(paint.get(), c.background_dc);
}

HBRUSH OnControlColour(Changer& c, HDC dc, bool is_static) {
  SetBkMode(dc, TRANSPARENT);
  return is_static ? c.static_brush.get() : c.control_brush.get();
}

INT_PTR CALLBACK ChangerProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_INITDIALOG) {
    auto* c = reinterpret_cast<Changer*>(lparam);
    SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(c));
    c->window = window;
    OnInitDialog(*c);
    KeepDialogPixelExact(window);
    return FALSE;
  }
  if (msg == WM_DPICHANGED) {
    MoveToSuggestedCorner(window, lparam);  // the skin keeps its pixel size
    return SetDlgMsgResult(window, msg, 0);
  }
  Changer* c = Attached(window);
  if (!c) return FALSE;
  if (c->drag_list_message != 0 && msg == c->drag_list_message)
    return SetDlgMsgResult(window, msg, OnDragList(*c, *reinterpret_cast<DRAGLISTINFO*>(lparam)));
  switch (msg) {
    case WM_COMMAND:
      OnCommand(*c, LOWORD(wparam), HIWORD(wparam));
      return TRUE;
    case WM_PAINT:
      OnPaint(*c);
      return TRUE;
    case WM_ERASEBKGND:
      return SetDlgMsgResult(window, msg, TRUE);
    case WM_LBUTTONDOWN:
      OnLeftButtonDown(*c, GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam));
      return TRUE;
    case WM_MOUSEMOVE:
      OnMouseMove(*c);
      return TRUE;
    case WM_LBUTTONUP:
      OnLeftButtonUp(*c);
      return TRUE;
    case WM_CAPTURECHANGED:
      c->moving = false;
      return TRUE;
    case WM_DROPFILES:
      OnDropFiles(*c, reinterpret_cast<HDROP>(wparam));
      return TRUE;
    // The colour messages return their brush itself (SetDlgMsgResult would narrow the handle).
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      return reinterpret_cast<INT_PTR>(OnControlColour(*c, reinterpret_cast<HDC>(wparam), false));
    case WM_CTLCOLORSTATIC:
      return reinterpret_cast<INT_PTR>(OnControlColour(*c, reinterpret_cast<HDC>(wparam), true));
    case WM_CLOSE:
      // The window lives as long as the program: closing it only hides it.
      Hide(*c, true);
      return TRUE;
    case WM_DESTROY:
      c->control_brush.reset();
      c->static_brush.reset();
      c->background_dc.Release();
      c->window = nullptr;
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

HWND CreateChanger(HINSTANCE instance, HWND main, ChangerDockListener on_dock) {
  Changer& c = g_changer;
  if (c.window) return c.window;
  c.instance = instance;
  c.main = main;
  c.on_dock = std::move(on_dock);
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  HWND window = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_CHANGER), nullptr, ChangerProc,
                                   reinterpret_cast<LPARAM>(&c));
  if (!window) return nullptr;
  const int docked = Settings().changer_display == kChangerDocked ? kChangerDocked : kChangerFree;
  if (c.on_dock) c.on_dock(docked);
  return window;
}

HWND ChangerWindow() { return g_changer.window; }

void ToggleChanger() {
  Changer& c = g_changer;
  if (!c.window) return;
  MInitInfo& s = Settings();
  if (s.changer_state == kChangerClosed) {
    s.changer_state = kChangerOpen;
    // It may have been hidden while collapsed: it opens at its full size.
    SetWindowPos(c.window, nullptr, 0, 0, c.background.width, c.background.height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(c.window, SW_SHOW);
    InvalidateRect(c.window, nullptr, TRUE);
  } else {
    s.changer_state = kChangerClosed;
    ShowWindow(c.window, SW_HIDE);
  }
}

bool ChangerShowsGarden() {
  const Changer& c = g_changer;
  if (!c.window) return Settings().changer_active == 0;
  return Checked(c, IDC_CHANGER_GARDEN);
}

void StoreChangerPosition() {
  RECT r;
  if (!g_changer.window || !GetWindowRect(g_changer.window, &r)) return;
  Settings().changer_window = WindowRect{r.left, r.top, r.right - r.left, r.bottom - r.top};
}

void DestroyChanger() {
  if (g_changer.window) DestroyWindow(g_changer.window);
}

}  // namespace sylvane
