// The skin of the Windows program: skin.txt, transparency, image sets, the
// main background, and the creation and re-placing of every skinned element.
#include "ui/skin_win.h"

#include <shlobj.h>
#include <shellapi.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <memory>
#include <utility>
#include <vector>

#include "base/file_io.h"
#include "canvas/image/image_io.h"
#include "canvas/image/surface_win.h"
#include "platform/text.h"
#include "ui/skin_button_win.h"
#include "ui/skin_panels_win.h"
#include "ui/skin_pictures.h"
#include "res/commands.h"

namespace sylvane {
namespace {

constexpr int kImageSetCount = 4;

struct SkinState {
  SkinHost host;
  SkinLayout layout;
  // Composites (normal, over, down) of every image set, by ImageSet.
  std::array<std::array<Surface, 3>, kImageSetCount> composites;
  std::array<Surface, kImageSetCount> backs;  // the back image of every image set, by ImageSet
  Surface main_background;
  SurfaceDC main_background_dc;
  // By SkinElementId; an element whose window could not be made keeps its
  // object with no window.
  std::array<std::unique_ptr<SkinChild>, kSkinElementCount> elements;
  TimerPanel* timer = nullptr;
  TreeCountPanel* tree_count = nullptr;
  MapWindow* map = nullptr;
  std::atomic<int32_t> growing_count{0};
};

SkinState& State() {
  static SkinState state;
  return state;
}

std::string SkinFolder() { return State().host.skin_folder ? State().host.skin_folder() : std::string(); }

std::array<Surface, 3>& Composites(ImageSet set) { return State().composites[size_t(set)]; }

// ---------------------------------------------------------------------------
// Pictures

// Loads the three composites of an image set from folder; false (and empty
// composites) when the back image cannot be read. A state image that cannot
// be read leaves its composite empty.
bool LoadImageSet(ImageSet set, const std::string& folder) {
  ImageSetFiles files = ImageSetFileNames(set);
  std::array<Surface, 3>& out = Composites(set);
  for (Surface& s : out) s.Clear();
  Surface& back = State().backs[size_t(set)];
  back.Clear();
  if (LoadSkinImage(folder, files.back, back, nullptr) != 0) return false;
  const char* states[3] = {files.normal, files.over, files.down};
  for (int i = 0; i < 3; ++i) {
    Surface state;
    AlphaPlane alpha;
    if (LoadSkinImage(folder, states[i], state, &alpha) != 0) continue;
    CompositeOver(state, alpha, back);
    state.RefreshHeaders();
    out[size_t(i)] = std::move(state);
  }
  return true;
}

// The image sets of the current skin, with the default skin folder standing
// in for a skin folder that lacks the changer or canvas-window set.
void LoadImageSets() {
  SkinState& s = State();
  const std::string folder = SkinFolder();
  const std::string fallback = DefaultSkinFolder(s.host.program_folder);
  if (s.layout.png_skin) {
    LoadImageSet(ImageSet::kControl, folder);
    LoadImageSet(ImageSet::kMap, folder);
  } else {
    for (ImageSet set : {ImageSet::kControl, ImageSet::kMap}) {
      for (Surface& c : Composites(set)) c.Clear();
      s.backs[size_t(set)].Clear();
    }
  }
  for (ImageSet set : {ImageSet::kChanger, ImageSet::kCanvasWindow}) {
    if (!LoadImageSet(set, SkinImageSetFolder(set))) LoadImageSet(set, fallback);
  }
}

// Makes picture the main window's background, sizes the main window to it
// (keeping its position) and paints it at once.
void SetMainBackground(Surface&& picture) {
  SkinState& s = State();
  s.main_background = std::move(picture);
  if (s.main_background.width <= 0 || s.main_background.height <= 0) s.main_background.CreateFilled(100, 100, 255);
  s.main_background.RefreshHeaders();
  HWND main = s.host.main_window;
  if (!main) return;
  ShowSurface(main, s.main_background, s.main_background_dc);
  SetWindowPos(main, nullptr, 0, 0, s.main_background.width, s.main_background.height,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(main, nullptr, FALSE);
  UpdateWindow(main);
}

void LoadMainBackground() {
  SkinState& s = State();
  Surface picture;
  if (s.layout.png_skin) {
    picture.CopyFrom(Composites(ImageSet::kControl)[0]);
  } else {
    LoadSkinImage(SkinFolder(), kBitmapSkinBackground, picture, nullptr);
  }
  SetMainBackground(std::move(picture));
}

bool DrawsFromImageSet(const SkinElementInfo& e) {
  return e.owner == SkinWindow::kChanger || e.owner == SkinWindow::kCanvasWindow || State().layout.png_skin;
}

// The pictures of an element at rect. Returns false when a bitmap-skin file
// could not be read (the pictures that were read are kept).
bool BuildPictures(const SkinElementInfo& e, const SkinRect& rect, ElementPictures& out) {
  if (DrawsFromImageSet(e)) {
    std::array<Surface, 3>& c = Composites(ImageSetOf(e.owner));
    CutElementPicture(c[0], rect, out.normal);
    CutElementPicture(c[1], rect, out.over);
    CutElementPicture(c[2], rect, out.down);
    return true;
  }
  std::array<std::string, 3> files = ElementBitmapFiles(e);
  const std::string folder = SkinFolder();
  bool ok = LoadSkinImage(folder, files[0], out.normal, nullptr) == 0;
  if (e.kind == SkinElementKind::kButton || e.kind == SkinElementKind::kMenu) {
    ok = (LoadSkinImage(folder, files[1], out.over, nullptr) == 0) && ok;
    ok = (LoadSkinImage(folder, files[2], out.down, nullptr) == 0) && ok;
  }
  return ok;
}

// The picture the map background is tiled from.
Surface MapBackgroundSource() {
  Surface source;
  if (State().layout.png_skin) {
    source.CopyFrom(Composites(ImageSet::kMap)[0]);
  } else {
    LoadSkinImage(SkinFolder(), ElementBitmapFiles(SkinElement(SkinElementId::kMapView))[0], source, nullptr);
  }
  return source;
}

SkinRect StoredMapRect() {
  return State().host.map_rect ? State().host.map_rect() : SkinRect{0, 0, 300, 300};
}

PanelText TextOf(SkinElementId id) {
  const SkinLayout& l = State().layout;
  if (id == SkinElementId::kTimer) return {l.timer_font_size, l.timer_x, l.timer_y, l.timer_color};
  return {l.growing_ki_num_font_size, l.growing_ki_num_x, l.growing_ki_num_y, l.growing_ki_num_color};
}

HWND OwnerWindow(SkinWindow owner) {
  SkinState& s = State();
  switch (owner) {
    case SkinWindow::kMain:
      return s.host.main_window;
    case SkinWindow::kChanger:
      return s.host.changer;
    case SkinWindow::kCanvasWindow:
      return s.host.canvas_window;
    case SkinWindow::kMap:
      return s.map ? s.map->hwnd() : nullptr;
  }
  return nullptr;
}

bool IsOptionalButton(SkinElementId id) { return id == SkinElementId::kChanger || id == SkinElementId::kSylWnd; }

void MapWindowStorePosition(int left, int top) {
  if (State().host.set_map_position) State().host.set_map_position(left, top);
}

// ---------------------------------------------------------------------------
// Creating and re-placing elements

void CreateElement(SkinElementId id) {
  SkinState& s = State();
  const SkinElementInfo& e = SkinElement(id);
  HINSTANCE instance = s.host.instance;
  HWND owner = OwnerWindow(e.owner);
  // The elements of the main window (and the map) go with the main window at
  // exit; those of the changer and the canvas window must not end the program
  // when one of those windows is closed on its own.
  const bool posts_quit = e.owner == SkinWindow::kMain || e.owner == SkinWindow::kMap;
  switch (e.kind) {
    case SkinElementKind::kButton:
    case SkinElementKind::kMenu: {
      std::unique_ptr<SkinButton> button;
      if (e.kind == SkinElementKind::kMenu) {
        button = std::make_unique<MenuButton>(s.host.menu_state);
      } else {
        button = std::make_unique<SkinButton>(e.command);
      }
      SkinRect rect = s.layout.*e.rect;
      bool visible = true;
      if (IsOptionalButton(id) && rect.width < 1) {
        rect = {rect.left, rect.top, 1, 1};
        visible = false;
      }
      if (button->Create(instance, owner, e.class_name, rect, visible)) {
        button->set_posts_quit(posts_quit);
        if (visible) {
          ElementPictures pictures;
          BuildPictures(e, rect, pictures);
          button->SetPictures(std::move(pictures));
        }
      }
      s.elements[size_t(id)] = std::move(button);
      break;
    }
    case SkinElementKind::kTimer:
    case SkinElementKind::kTreeCount: {
      std::unique_ptr<TextPanel> panel;
      if (e.kind == SkinElementKind::kTimer) {
        auto timer = std::make_unique<TimerPanel>();
        s.timer = timer.get();
        panel = std::move(timer);
      } else {
        auto count = std::make_unique<TreeCountPanel>();
        s.tree_count = count.get();
        count->SetCount(s.growing_count.load());
        panel = std::move(count);
      }
      const SkinRect rect = s.layout.*e.rect;
      if (panel->Create(instance, owner, e.class_name, rect)) {
        panel->set_posts_quit(posts_quit);
        panel->SetText(TextOf(id));
        ElementPictures pictures;
        BuildPictures(e, rect, pictures);
        panel->SetBackground(std::move(pictures.normal));
      }
      s.elements[size_t(id)] = std::move(panel);
      break;
    }
    case SkinElementKind::kMapView: {
      auto map = std::make_unique<MapWindow>();
      s.map = map.get();
      if (map->Create(instance, owner, StoredMapRect(), {MapWindowStorePosition})) {
        map->set_posts_quit(posts_quit);
        map->SetBackgroundSource(MapBackgroundSource());
      }
      s.elements[size_t(id)] = std::move(map);
      break;
    }
  }
}

void ReplaceElement(SkinElementId id) {
  SkinState& s = State();
  SkinChild* child = s.elements[size_t(id)].get();
  if (!child || !child->hwnd()) return;
  const SkinElementInfo& e = SkinElement(id);
  switch (e.kind) {
    case SkinElementKind::kButton:
    case SkinElementKind::kMenu: {
      auto* button = static_cast<SkinButton*>(child);
      const SkinRect rect = s.layout.*e.rect;
      if (IsOptionalButton(id)) {
        if (rect.width < 1) {
          ShowWindow(button->hwnd(), SW_HIDE);
          return;
        }
        button->MoveTo(rect);
        ShowWindow(button->hwnd(), SW_SHOWNA);
      } else {
        button->Place(rect);
      }
      button->ResetBackBuffer();
      ElementPictures pictures;
      BuildPictures(e, button->rect(), pictures);
      button->SetPictures(std::move(pictures));
      break;
    }
    case SkinElementKind::kTimer:
    case SkinElementKind::kTreeCount: {
      auto* panel = static_cast<TextPanel*>(child);
      panel->Place(s.layout.*e.rect);
      panel->SetText(TextOf(id));
      ElementPictures pictures;
      BuildPictures(e, panel->rect(), pictures);
      panel->SetBackground(std::move(pictures.normal));
      break;
    }
    case SkinElementKind::kMapView:
      static_cast<MapWindow*>(child)->Replace(StoredMapRect(), MapBackgroundSource());
      break;
  }
}

void UpdateMapOpacity() {
  SkinState& s = State();
  if (s.map) s.map->set_opacity(float(s.layout.map_alpha * 0.01));
}

void SendSkinCommands() {
  SkinState& s = State();
  if (s.host.changer) SendMessageA(s.host.changer, WM_COMMAND, MAKEWPARAM(CMD_LAYOUT_CHANGER, 0), 0);
  if (s.host.canvas_window) SendMessageA(s.host.canvas_window, WM_COMMAND, MAKEWPARAM(CMD_LAYOUT_CANVAS_WINDOW, 0), 0);
}

// ---------------------------------------------------------------------------
// Transparency

void ApplyTransparencyTo(HWND window, DWORD base_ex_style, bool layered, COLORREF key, BYTE alpha, DWORD flags) {
  if (!window) return;
  SkinState& s = State();
  if (layered) {
    SetWindowLongA(window, GWL_EXSTYLE, LONG(base_ex_style | WS_EX_LAYERED));
    s.host.set_layered_attributes(window, key, alpha, flags);
  } else {
    SetWindowLongA(window, GWL_EXSTYLE, LONG(base_ex_style));
  }
}

// Applies the transparency mode and the skin's layering values to the main
// window (with_main) and to the changer and the canvas window (with_others).
void ApplyTransparencyRule(bool with_main, bool with_others) {
  SkinState& s = State();
  const SkinLayout& l = s.layout;
  const int mode = s.host.transparency_mode ? s.host.transparency_mode() : 0;
  const bool available = s.host.set_layered_attributes != nullptr;
  if (!available && (mode == 0 || mode == 1)) return;
  bool layered = false;
  COLORREF key = COLORREF(l.bg_color);
  BYTE alpha = 255;
  DWORD flags = 0;
  if (mode == 0 && (l.layer_type & (LWA_COLORKEY | LWA_ALPHA)) != 0) {
    layered = true;
    alpha = BYTE(l.layer_alpha & 0xFF);
    flags = DWORD(l.layer_type) & (LWA_COLORKEY | LWA_ALPHA);
  } else if (mode == 1) {
    layered = true;
    alpha = BYTE((s.host.user_alpha ? s.host.user_alpha() : 255) & 0xFF);
    flags = LWA_ALPHA;
  }
  if (with_main) ApplyTransparencyTo(s.host.main_window, WS_EX_TOOLWINDOW, layered, key, alpha, flags);
  if (!with_others) return;
  ApplyTransparencyTo(s.host.changer, WS_EX_TOOLWINDOW | WS_EX_ACCEPTFILES, layered, key, alpha, flags);
  ApplyTransparencyTo(s.host.canvas_window, WS_EX_TOOLWINDOW | WS_EX_ACCEPTFILES, layered, key, alpha, flags);
}

// The elements that sit in the main window itself, drawn before the main
// window is first shown; the rest (the changer's, the canvas window's and the
// hidden map window) follow once those windows exist.
bool InMainWindow(SkinElementId id) {
  const SkinElementInfo& e = SkinElement(id);
  return e.owner == SkinWindow::kMain && e.kind != SkinElementKind::kMapView;
}

// ---------------------------------------------------------------------------
// Folder browser

int CALLBACK BrowseCallback(HWND window, UINT message, LPARAM, LPARAM data) {
  if (message == BFFM_INITIALIZED && data) SendMessageA(window, BFFM_SETSELECTIONA, TRUE, data);
  return 0;
}

// The folder the user picked, or false when cancelled.
bool BrowseForSkinFolder(HWND owner, const std::string& current, std::string& chosen) {
  HRESULT com = CoInitialize(nullptr);
  char display[MAX_PATH] = {};
  BROWSEINFOA info{};
  info.hwndOwner = owner;
  info.pszDisplayName = display;
  info.lpszTitle = "スキンのフォルダを指定";
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  info.lpfn = BrowseCallback;
  info.lParam = reinterpret_cast<LPARAM>(current.c_str());
  LPITEMIDLIST list = SHBrowseForFolderA(&info);
  bool picked = false;
  if (list) {
    char path[MAX_PATH] = {};
    picked = SHGetPathFromIDListA(list, path) != FALSE;
    if (picked) chosen = path;
    CoTaskMemFree(list);
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return picked;
}

}  // namespace

// ---------------------------------------------------------------------------
// Interface

void InitSkin(const SkinHost& host) { State().host = host; }

int LoadSkin() {
  SkinState& s = State();
  std::string folder = SkinFolder();
  const std::string before = folder;
  SkinLayout layout = s.layout;
  int result = LoadSkinLayout(folder, s.host.program_folder, layout);
  if (folder != before && s.host.set_skin_folder) s.host.set_skin_folder(folder);
  if (result != 0) return -1;
  s.layout = layout;
  if (s.host.set_png_skin) s.host.set_png_skin(layout.png_skin);
  ApplyTransparencyRule(true, true);
  if (s.host.main_window) DragAcceptFiles(s.host.main_window, TRUE);
  return 0;
}

int StartSkin() {
  int result = LoadSkin();
  LoadImageSets();
  LoadMainBackground();
  for (SkinElementId id : SkinCreationOrder())
    if (InMainWindow(id)) CreateElement(id);
  return result;
}

void DressSkinWindows(HWND changer, HWND canvas_window) {
  SkinState& s = State();
  s.host.changer = changer;
  s.host.canvas_window = canvas_window;
  ApplyTransparencyRule(false, true);
  // The changer laid itself out from this skin when it was made; the canvas
  // window starts with a plain frame and takes the skin's now.
  if (canvas_window) SendMessageA(canvas_window, WM_COMMAND, MAKEWPARAM(CMD_LAYOUT_CANVAS_WINDOW, 0), 0);
  for (SkinElementId id : SkinCreationOrder())
    if (!InMainWindow(id)) CreateElement(id);
  UpdateMapOpacity();
}

void ChangeSkin() {
  SkinState& s = State();
  std::string chosen;
  if (!BrowseForSkinFolder(s.host.main_window, SkinFolder(), chosen)) return;
  if (s.host.set_skin_folder) s.host.set_skin_folder(chosen);
  LoadSkin();
  LoadImageSets();
  LoadMainBackground();
  for (SkinElementId id : SkinReplaceOrder()) ReplaceElement(id);
  UpdateMapOpacity();
  SendSkinCommands();
  if (s.host.changer) InvalidateRect(s.host.changer, nullptr, TRUE);
  if (s.host.canvas_window) InvalidateRect(s.host.canvas_window, nullptr, TRUE);
}

void ApplySkinTransparency() {
  ApplyTransparencyRule(true, true);
  // The rule sets the extended styles afresh; the main window keeps taking dropped files.
  if (State().host.main_window) DragAcceptFiles(State().host.main_window, TRUE);
}

const SkinLayout& CurrentSkinLayout() { return State().layout; }

SIZE MainBackgroundSize() {
  const Surface& bg = State().main_background;
  if (bg.width <= 0 || bg.height <= 0) return SIZE{100, 100};
  return SIZE{bg.width, bg.height};
}

void PaintMainBackground(HDC dc) { BlitCompanion(dc, State().main_background_dc); }

int LoadSkinImage(const std::string& folder, const std::string& file, Surface& out, AlphaPlane* alpha) {
  std::vector<uint8_t> bytes;
  // Skin pictures are window-sized; anything near this size is no skin image.
  if (ReadWholeFile(JoinPath(folder, file), bytes, uint64_t(256) << 20) != ReadFileStatus::kOk) return -1;
  static const uint8_t kPngSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
  Surface picture;
  AlphaPlane plane;
  if (bytes.size() >= 8 && std::equal(kPngSignature, kPngSignature + 8, bytes.begin())) {
    if (DecodePng(bytes.data(), bytes.size(), picture, alpha ? &plane : nullptr, false) != kPngOk) return -1;
  } else if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') {
    if (DecodeBmp(bytes.data(), bytes.size(), picture, false) < 0) return -1;
    if (alpha) plane.CreateFilled(picture.width, picture.height, 255);
  } else {
    return -1;
  }
  picture.RefreshHeaders();
  picture.path = JoinPath(folder, file);
  out = std::move(picture);
  if (alpha) *alpha = std::move(plane);
  return 0;
}

int LoadSkinComposite(const std::string& folder, const std::string& state_file, const std::string& back_file,
                      Surface& out) {
  Surface back;
  if (LoadSkinImage(folder, back_file, back, nullptr) != 0) return -1;
  Surface state;
  AlphaPlane alpha;
  if (LoadSkinImage(folder, state_file, state, &alpha) != 0) return -2;
  CompositeOver(state, alpha, back);
  state.RefreshHeaders();
  out = std::move(state);
  return 0;
}

std::string SkinImageSetFolder(ImageSet set) {
  const SkinState& s = State();
  if ((set == ImageSet::kChanger || set == ImageSet::kCanvasWindow) && !s.layout.png_skin)
    return DefaultSkinFolder(s.host.program_folder);
  return SkinFolder();
}

const Surface& SkinComposite(ImageSet set, int state) {
  static const Surface kEmpty;
  if (state < 0 || state > 2) return kEmpty;
  return Composites(set)[size_t(state)];
}

const Surface& SkinImageSetBack(ImageSet set) { return State().backs[size_t(set)]; }

HWND SkinElementWindow(SkinElementId id) {
  const auto& element = State().elements[size_t(id)];
  return element ? element->hwnd() : nullptr;
}

void TimerPanelTick(TimerTickState& state) {
  SkinState& s = State();
  if (s.timer && s.timer->hwnd()) {
    s.timer->Tick(state, s.host.main_window);
    return;
  }
  HWND main = s.host.main_window;
  TimerTick(state, [main](int command) { SendMessageA(main, WM_COMMAND, MAKEWPARAM(command, 0), 0); });
}

void TimerPanelShowNote(const std::string& note) {
  if (TimerPanel* timer = State().timer) timer->ShowNote(note);
}

void TimerPanelShowStopped() {
  if (TimerPanel* timer = State().timer) timer->ShowStopped();
}

void TimerPanelRefresh(int32_t hours, int32_t minutes, int32_t seconds) {
  if (TimerPanel* timer = State().timer) timer->ShowTime(hours, minutes, seconds);
}

void TreeCountPanelSetCount(int32_t count) {
  SkinState& s = State();
  s.growing_count.store(count);
  if (TreeCountPanel* panel = s.tree_count) panel->SetCount(count);
}

void MapWindowShowCanvas(const Surface& lit_canvas) {
  if (MapWindow* map = State().map) map->ShowCanvas(lit_canvas);
}

HWND MapWindowHandle() { return State().map ? State().map->hwnd() : nullptr; }

CanvasPoint MapPlantingPosition() { return State().map ? State().map->planting_position() : CanvasPoint{}; }

}  // namespace sylvane
