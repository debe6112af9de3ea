#include "ui/skin_layout.h"

#include <sys/stat.h>

#include <climits>
#include <cstdio>
#include <vector>

#include "base/file_io.h"
#include "platform/platform.h"
#include "platform/text.h"
#include "res/commands.h"

namespace sylvane {
namespace {

// Calls f(row, key, value) for every row of skin.txt in reading order. Colour
// components are handed over as temporaries and combined back into their
// 0x00BBGGRR value afterwards, so a visitor that changes nothing leaves the
// layout as it was.
template <class Layout, class F>
void VisitRows(Layout& l, F&& f) {
  int row = 0;
  auto one = [&](const char* key, int32_t& v) { f(++row, std::string_view(key), v); };
  auto rect = [&](const char* k0, const char* k1, const char* k2, const char* k3, SkinRect& r) {
    one(k0, r.left);
    one(k1, r.top);
    one(k2, r.width);
    one(k3, r.height);
  };
  auto color = [&](const char* kr, const char* kg, const char* kb, uint32_t& c) {
    int32_t rgb[3] = {int32_t(c & 0xFF), int32_t((c >> 8) & 0xFF), int32_t((c >> 16) & 0xFF)};
    one(kr, rgb[0]);
    one(kg, rgb[1]);
    one(kb, rgb[2]);
    c = SkinColor(rgb[0], rgb[1], rgb[2]);
  };
#define SKIN_RECT(name, field) rect(name "_L", name "_T", name "_W", name "_H", l.field)
  one("VERSION", l.version);
  SKIN_RECT("CLOSE", close);
  SKIN_RECT("MINIMIZE", minimize);
  SKIN_RECT("NEW_CANVAS", new_canvas);
  SKIN_RECT("PLANT_TREE", plant_tree);
  SKIN_RECT("LOAD", load);
  SKIN_RECT("SAVE", save);
  SKIN_RECT("SETTEI", settei);
  SKIN_RECT("MENU0", menu0);
  SKIN_RECT("TIMER", timer);
  one("TIMER_FONT_SIZE", l.timer_font_size);
  one("TIMER_X", l.timer_x);
  one("TIMER_Y", l.timer_y);
  color("COLOR_R", "COLOR_G", "COLOR_B", l.timer_color);
  SKIN_RECT("GROWING_KI_NUM", growing_ki_num);
  one("GROWING_KI_NUM_FONT_SIZE", l.growing_ki_num_font_size);
  one("GROWING_KI_NUM_X", l.growing_ki_num_x);
  one("GROWING_KI_NUM_Y", l.growing_ki_num_y);
  color("COLOR_R", "COLOR_G", "COLOR_B", l.growing_ki_num_color);
  one("MAP_ALPHA", l.map_alpha);
  SKIN_RECT("MAP_CANCEL", map_cancel);
  one("LAYER_TYPE", l.layer_type);  // row 59
  color("BG_COLOR_R", "BG_COLOR_G", "BG_COLOR_B", l.bg_color);
  one("LAYER_ALPHA", l.layer_alpha);
  SKIN_RECT("CHANGER_BTN", changer_btn);  // row 64
  color("CTRL_BG_COLOR_R", "CTRL_BG_COLOR_G", "CTRL_BG_COLOR_B", l.changer_ctrl_bg_color);
  SKIN_RECT("CHANGER_CLOSE", changer_close);
  SKIN_RECT("CHANGER_BUTTON1", changer_button1);
  SKIN_RECT("CHANGER_BUTTON2", changer_button2);
  SKIN_RECT("CHANGER_BUTTON3", changer_button3);
  SKIN_RECT("CHANGER_OK_BUTTON", changer_ok_button);
  SKIN_RECT("CHANGER_CANCEL_BUTTON", changer_cancel_button);
  SKIN_RECT("CHANGER_COMBO1", changer_combo1);
  SKIN_RECT("CHANGER_COMBO2", changer_combo2);
  SKIN_RECT("CHANGER_RADIO1", changer_radio1);
  SKIN_RECT("CHANGER_RADIO2", changer_radio2);
  SKIN_RECT("CHANGER_LIST1", changer_list1);
  SKIN_RECT("CHANGER_PREV_IMG", changer_prev_img);
  SKIN_RECT("SYL_WND_BTN", syl_wnd_btn);
  color("CTRL_BG_COLOR_R", "CTRL_BG_COLOR_G", "CTRL_BG_COLOR_B", l.canvas_ctrl_bg_color);
  SKIN_RECT("SYLWND_CLOSE", sylwnd_close);  // rows 126-129
#undef SKIN_RECT
}

constexpr int kFirstLayerRow = 59;    // LAYER_TYPE: first row read from VERSION 1
constexpr int kFirstChangerRow = 64;  // CHANGER_BTN_L: first row read from VERSION 2

// Values of rows 59..129 for a skin whose version lacks them.
constexpr int32_t kBuiltInRows[kSkinRowCount - kFirstLayerRow + 1] = {
    0,                      // LAYER_TYPE
    0,   0,   0,            // BG_COLOR (black)
    255,                    // LAYER_ALPHA
    0,   0,   0,   0,       // CHANGER_BTN
    255, 255, 255,          // CTRL_BG_COLOR (white)
    232, 6,   7,   9,       // CHANGER_CLOSE
    88,  83,  150, 21,      // CHANGER_BUTTON1
    125, 342, 48,  21,      // CHANGER_BUTTON2
    176, 342, 64,  21,      // CHANGER_BUTTON3
    29,  375, 75,  21,      // CHANGER_OK_BUTTON
    150, 375, 75,  21,      // CHANGER_CANCEL_BUTTON
    151, 53,  93,  20,      // CHANGER_COMBO1
    11,  342, 95,  20,      // CHANGER_COMBO2
    81,  35,  14,  12,      // CHANGER_RADIO1
    81,  56,  14,  12,      // CHANGER_RADIO2
    11,  108, 228, 225,     // CHANGER_LIST1
    7,   30,  70,  70,      // CHANGER_PREV_IMG
    0,   0,   0,   0,       // SYL_WND_BTN
    255, 255, 255,          // CTRL_BG_COLOR (white)
    260, 6,   7,   9,       // SYLWND_CLOSE
};
static_assert(sizeof(kBuiltInRows) / sizeof(kBuiltInRows[0]) == 71);

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

// Reads "KEY=number" lines one after the other, as a formatted read with the
// pattern "KEY=%d\n" would: the key must stand exactly at the reading
// position, blanks and line ends are skipped before the number and after it.
class SkinTextReader {
 public:
  explicit SkinTextReader(std::string_view text) : text_(text) {
    // A byte-order mark left by a text editor is not part of the first key.
    if (text_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;
  }

  bool Expect(std::string_view key, int32_t& value) {
    if (text_.substr(pos_, key.size()) != key) return false;
    size_t p = pos_ + key.size();
    if (p >= text_.size() || text_[p] != '=') return false;
    ++p;
    while (p < text_.size() && IsBlank(text_[p])) ++p;
    bool negative = false;
    if (p < text_.size() && (text_[p] == '+' || text_[p] == '-')) negative = text_[p++] == '-';
    size_t digits_start = p;
    int64_t magnitude = 0;
    while (p < text_.size() && text_[p] >= '0' && text_[p] <= '9') {
      magnitude = magnitude * 10 + (text_[p] - '0');
      // A number that does not fit in 32 bits is no number of a skin.
      if (magnitude > int64_t(INT32_MAX) + 1) return false;
      ++p;
    }
    if (p == digits_start) return false;
    int64_t v = negative ? -magnitude : magnitude;
    if (v > INT32_MAX || v < INT32_MIN) return false;
    value = int32_t(v);
    while (p < text_.size() && IsBlank(text_[p])) ++p;
    pos_ = p;
    return true;
  }

 private:
  std::string_view text_;
  size_t pos_ = 0;
};

bool IsFolder(std::string path) {
  // The C library refuses a folder path with a trailing separator; a root keeps its own.
  while (path.size() > 3 && LastPathSeparator(path) == path.size() - 1) path.pop_back();
  if (path.empty()) return false;
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && (st.st_mode & S_IFMT) == S_IFDIR;
}

// Reads folder\skin.txt; false when it cannot be opened.
bool ReadSkinText(const std::string& folder, std::vector<uint8_t>& bytes) {
  // A skin.txt of 129 short lines is a few kilobytes; anything huge is not one.
  return ReadWholeFile(JoinPath(folder, "skin.txt"), bytes, 1 << 20) == ReadFileStatus::kOk;
}

}  // namespace

std::string_view SkinRowKey(int row) {
  std::string_view found;
  SkinLayout l;
  VisitRows(l, [&](int r, std::string_view key, int32_t&) {
    if (r == row) found = key;
  });
  return found;
}

std::array<int32_t, kSkinRowCount> SkinRowValues(const SkinLayout& layout) {
  std::array<int32_t, kSkinRowCount> values{};
  SkinLayout copy = layout;
  VisitRows(copy, [&](int r, std::string_view, int32_t& v) { values[size_t(r - 1)] = v; });
  return values;
}

int ParseSkinText(std::string_view text, SkinLayout& layout) {
  SkinTextReader reader(text);
  bool stopped = false;
  int matched = 0;
  VisitRows(layout, [&](int row, std::string_view key, int32_t& v) {
    // VERSION is known once row 1 has been visited; rows a version lacks get
    // the built-in values. (VERSION 1 skins get them for rows 64-129 as well,
    // so that their changer is laid out usably rather than collapsed to zero.)
    if (row >= kFirstLayerRow && layout.version < 1) {
      v = kBuiltInRows[row - kFirstLayerRow];
      return;
    }
    if (row >= kFirstChangerRow && layout.version < 2) {
      v = kBuiltInRows[row - kFirstLayerRow];
      return;
    }
    if (stopped) return;
    if (reader.Expect(key, v)) {
      ++matched;
    } else {
      stopped = true;
    }
  });
  layout.png_skin = layout.version >= 3;
  return matched;
}

std::string FormatSkinText(const SkinLayout& layout) {
  std::string out;
  SkinLayout copy = layout;
  VisitRows(copy, [&](int, std::string_view key, int32_t& v) {
    out.append(key);
    out += '=';
    out += std::to_string(v);
    out += "\r\n";
  });
  return out;
}

std::string DefaultSkinFolder(const std::string& program_folder) { return JoinPath(program_folder, "skin"); }

int LoadSkinLayout(std::string& skin_folder, const std::string& program_folder, SkinLayout& layout) {
  std::vector<uint8_t> bytes;
  bool found = false;
  if (!IsFolder(skin_folder)) {
    ShowMessage("スキンフォルダが見つかりませんでした。デフォルトのスキンフォルダを読み込みます。", "エラー");
  } else {
    found = ReadSkinText(skin_folder, bytes);
  }
  if (!found) {
    std::string fallback = DefaultSkinFolder(program_folder);
    if (IsFolder(fallback)) {
      skin_folder = fallback;
      found = ReadSkinText(skin_folder, bytes);
    } else {
      ShowMessage("デフォルトスキンの読み込みに失敗しました。実行ファイルと同一フォルダに「skin」フォルダを入れてください。",
                  "エラー");
    }
  }
  if (!found) {
    ShowMessage("「skin.txt」が見つかりません。", "エラー(ToT)");
    return -1;
  }
  ParseSkinText(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), layout);
  return 0;
}

// ---------------------------------------------------------------------------

namespace {

constexpr SkinElementInfo kElements[kSkinElementCount] = {
    {SkinElementId::kChangerClose, "CHANGER_CLOSE", SkinElementKind::kButton, SkinWindow::kChanger,
     &SkinLayout::changer_close, nullptr, CMD_EXIT},
    {SkinElementId::kChangerButton1, "CHANGER_BUTTON1", SkinElementKind::kButton, SkinWindow::kChanger,
     &SkinLayout::changer_button1, nullptr, 1003},
    {SkinElementId::kChangerButton2, "CHANGER_BUTTON2", SkinElementKind::kButton, SkinWindow::kChanger,
     &SkinLayout::changer_button2, nullptr, 1042},
    {SkinElementId::kChangerButton3, "CHANGER_BUTTON3", SkinElementKind::kButton, SkinWindow::kChanger,
     &SkinLayout::changer_button3, nullptr, 1046},
    {SkinElementId::kChangerOkButton, "CHANGER_OK_BUTTON", SkinElementKind::kButton, SkinWindow::kChanger,
     &SkinLayout::changer_ok_button, nullptr, 1},
    {SkinElementId::kChangerCancelButton, "CHANGER_CANCEL_BUTTON", SkinElementKind::kButton, SkinWindow::kChanger,
     &SkinLayout::changer_cancel_button, nullptr, 2},
    {SkinElementId::kSylWndClose, "SYLWND_CLOSE", SkinElementKind::kButton, SkinWindow::kCanvasWindow,
     &SkinLayout::sylwnd_close, nullptr, CMD_EXIT},
    {SkinElementId::kClose, "CLOSE", SkinElementKind::kButton, SkinWindow::kMain, &SkinLayout::close, "close", CMD_EXIT},
    {SkinElementId::kMinimize, "MINIMIZE", SkinElementKind::kButton, SkinWindow::kMain, &SkinLayout::minimize, "mini",
     CMD_HIDE_WINDOWS},
    {SkinElementId::kChanger, "CHANGER", SkinElementKind::kButton, SkinWindow::kMain, &SkinLayout::changer_btn,
     "close", CMD_CHANGER},
    {SkinElementId::kSylWnd, "SYL_WND", SkinElementKind::kButton, SkinWindow::kMain, &SkinLayout::syl_wnd_btn,
     "close", CMD_CANVAS_WINDOW},
    {SkinElementId::kNewCanvas, "NEW_CANVAS", SkinElementKind::kButton, SkinWindow::kMain, &SkinLayout::new_canvas,
     "new", CMD_NEW_CANVAS},
    {SkinElementId::kPlantTree, "PLANT_TREE", SkinElementKind::kButton, SkinWindow::kMain, &SkinLayout::plant_tree,
     "plant", CMD_PLANT_TREE},
    {SkinElementId::kSave, "SAVE", SkinElementKind::kButton, SkinWindow::kMain, &SkinLayout::save, "save", CMD_SAVE_CANVAS},
    {SkinElementId::kLoad, "LOAD", SkinElementKind::kButton, SkinWindow::kMain, &SkinLayout::load, "load", CMD_OPEN_CANVAS},
    {SkinElementId::kSettei, "SETTEI", SkinElementKind::kButton, SkinWindow::kMain, &SkinLayout::settei, "settei",
     CMD_CANVAS_SETTINGS},
    {SkinElementId::kMenu0, "MENU0", SkinElementKind::kMenu, SkinWindow::kMain, &SkinLayout::menu0, "menu0", 0},
    {SkinElementId::kTimer, "TIMER", SkinElementKind::kTimer, SkinWindow::kMain, &SkinLayout::timer, "timer", 0},
    {SkinElementId::kKinumDisp, "KINUM_DISP", SkinElementKind::kTreeCount, SkinWindow::kMain,
     &SkinLayout::growing_ki_num, "ki_num", 0},
    {SkinElementId::kMapView, "MAP_VIEW", SkinElementKind::kMapView, SkinWindow::kMain, nullptr, "map_view", CMD_MAP_CLICKED},
    {SkinElementId::kMapCancel, "MAP_CANCEL", SkinElementKind::kButton, SkinWindow::kMap, &SkinLayout::map_cancel,
     "map_cancel", CMD_MAP_CANCELLED},
};

constexpr std::array<SkinElementId, kSkinElementCount> kCreationOrder = {
    SkinElementId::kChangerClose,  SkinElementId::kChangerButton1,  SkinElementId::kChangerButton2,
    SkinElementId::kChangerButton3, SkinElementId::kChangerOkButton, SkinElementId::kChangerCancelButton,
    SkinElementId::kSylWndClose,   SkinElementId::kClose,           SkinElementId::kMinimize,
    SkinElementId::kChanger,       SkinElementId::kSylWnd,          SkinElementId::kNewCanvas,
    SkinElementId::kPlantTree,     SkinElementId::kSave,            SkinElementId::kLoad,
    SkinElementId::kSettei,        SkinElementId::kMenu0,           SkinElementId::kTimer,
    SkinElementId::kKinumDisp,     SkinElementId::kMapView,         SkinElementId::kMapCancel,
};

constexpr std::array<SkinElementId, kSkinElementCount> kReplaceOrder = {
    SkinElementId::kChanger,       SkinElementId::kSylWnd,          SkinElementId::kChangerClose,
    SkinElementId::kChangerButton1, SkinElementId::kChangerButton2, SkinElementId::kChangerButton3,
    SkinElementId::kChangerOkButton, SkinElementId::kChangerCancelButton, SkinElementId::kSylWndClose,
    SkinElementId::kClose,         SkinElementId::kMinimize,        SkinElementId::kNewCanvas,
    SkinElementId::kPlantTree,     SkinElementId::kSave,            SkinElementId::kLoad,
    SkinElementId::kSettei,        SkinElementId::kMenu0,           SkinElementId::kTimer,
    SkinElementId::kKinumDisp,     SkinElementId::kMapView,         SkinElementId::kMapCancel,
};

}  // namespace

const SkinElementInfo& SkinElement(SkinElementId id) { return kElements[static_cast<int>(id)]; }
const std::array<SkinElementId, kSkinElementCount>& SkinCreationOrder() { return kCreationOrder; }
const std::array<SkinElementId, kSkinElementCount>& SkinReplaceOrder() { return kReplaceOrder; }

std::array<std::string, 3> ElementBitmapFiles(const SkinElementInfo& element) {
  if (element.bitmap == nullptr) return {};
  std::string stem = element.bitmap;
  if (element.kind == SkinElementKind::kButton || element.kind == SkinElementKind::kMenu) {
    return {stem + "_n.bmp", stem + "_o.bmp", stem + "_d.bmp"};
  }
  return {stem + ".bmp", stem + ".bmp", stem + ".bmp"};
}

ImageSetFiles ImageSetFileNames(ImageSet set) {
  switch (set) {
    case ImageSet::kControl:
      return {"ctrl_back.png", "ctrl_normal.png", "ctrl_over.png", "ctrl_down.png"};
    case ImageSet::kMap:
      return {"map_back.png", "map_normal.png", "map_over.png", "map_down.png"};
    case ImageSet::kChanger:
      return {"changer_back.png", "changer_normal.png", "changer_over.png", "changer_down.png"};
    case ImageSet::kCanvasWindow:
      return {"canvas_wnd_back.png", "canvas_wnd_normal.png", "canvas_wnd_over.png", "canvas_wnd_down.png"};
  }
  return {"", "", "", ""};
}

ImageSet ImageSetOf(SkinWindow window) {
  switch (window) {
    case SkinWindow::kMain:
      return ImageSet::kControl;
    case SkinWindow::kMap:
      return ImageSet::kMap;
    case SkinWindow::kChanger:
      return ImageSet::kChanger;
    case SkinWindow::kCanvasWindow:
      return ImageSet::kCanvasWindow;
  }
  return ImageSet::kControl;
}

}  // namespace sylvane
