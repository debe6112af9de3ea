// SkinLayout: the placement, colours and transparency values a skin folder
// gives in its "skin.txt", and the fixed facts about a skin folder (which
// element draws which image files, which image sets exist).
//
// "skin.txt" holds 129 lines "KEY=number" that are read strictly in one fixed
// order; there is no lookup by name. The first line that does not match the
// next expected key stops the reading, and that key and all later ones keep
// the values they had before. Which keys are read depends on VERSION (0..3):
// VERSION 0 has only rows 1-58 (the rest get built-in values), VERSION 1 adds
// the layering rows 59-63, VERSION 2 and above the changer and canvas-window
// rows 64-129. VERSION 3 and above is a "png skin", whose main window and map
// window are cut from PNG image sets instead of single BMP files.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace sylvane {

// A rectangle in the client area of the window that owns the element.
struct SkinRect {
  int32_t left = 0;    // pixels
  int32_t top = 0;     // pixels
  int32_t width = 0;   // pixels
  int32_t height = 0;  // pixels
};

// Colours are 0x00BBGGRR (red in the low byte), as a Windows COLORREF.
constexpr uint32_t SkinColor(int32_t r, int32_t g, int32_t b) {
  return uint32_t(r & 0xFF) | (uint32_t(g & 0xFF) << 8) | (uint32_t(b & 0xFF) << 16);
}

// Number of "KEY=number" lines of a complete skin.txt.
constexpr int kSkinRowCount = 129;

struct SkinLayout {
  int32_t version = 0;          // VERSION: skin format version
  // Main window.
  SkinRect close;               // "CLOSE" button
  SkinRect minimize;            // "MINIMIZE" button
  SkinRect new_canvas;          // "NEW_CANVAS" button
  SkinRect plant_tree;          // "PLANT_TREE" button
  SkinRect load;                // "LOAD" button
  SkinRect save;                // "SAVE" button
  SkinRect settei;              // "SETTEI" (settings) button
  SkinRect menu0;               // "MENU0" menu button
  SkinRect timer;               // "TIMER" panel
  int32_t timer_font_size = 0;  // cell height of the timer text, pixels
  int32_t timer_x = 0;          // origin of the timer text inside its panel
  int32_t timer_y = 0;
  uint32_t timer_color = 0;     // timer text colour
  SkinRect growing_ki_num;      // "KINUM_DISP" panel (growing-tree count)
  int32_t growing_ki_num_font_size = 0;  // cell height of the count text, pixels
  int32_t growing_ki_num_x = 0;          // origin of the count text inside its panel
  int32_t growing_ki_num_y = 0;
  uint32_t growing_ki_num_color = 0;     // count text colour
  int32_t map_alpha = 0;        // opacity of the canvas picture in the map window, percent
  SkinRect map_cancel;          // "MAP_CANCEL" button of the map window
  // Layering of the three top-level windows (VERSION 1 and above).
  int32_t layer_type = 0;       // 0 none, 1 colour key, 2 constant alpha, 3 both
  uint32_t bg_color = 0;        // colour key: pixels of this colour are see-through
  int32_t layer_alpha = 0;      // constant alpha; only the low 8 bits count
  // VERSION 2 and above.
  SkinRect changer_btn;         // "CHANGER" button of the main window; width < 1: none
  uint32_t changer_ctrl_bg_color = 0;  // behind the changer's edit and list controls
  SkinRect changer_close;
  SkinRect changer_button1;     // add images
  SkinRect changer_button2;     // remove the selected image
  SkinRect changer_button3;     // clear the list
  SkinRect changer_ok_button;
  SkinRect changer_cancel_button;
  SkinRect changer_combo1;      // display mode
  SkinRect changer_combo2;      // sort order
  SkinRect changer_radio1;      // the garden as wallpaper
  SkinRect changer_radio2;      // an image of the list as wallpaper
  SkinRect changer_list1;       // image list
  SkinRect changer_prev_img;    // mini preview: position and picture size
  SkinRect syl_wnd_btn;         // "SYL_WND" button of the main window; width < 1: none
  uint32_t canvas_ctrl_bg_color = 0;  // behind the canvas window's controls
  SkinRect sylwnd_close;        // canvas window's close button

  // Derived: true when VERSION >= 3 (the main and map windows use PNG image sets).
  bool png_skin = false;
};

// The key of row 1..129 in reading order ("VERSION", "CLOSE_L", ...); the
// colour keys appear more than once. Empty for a row outside 1..129.
std::string_view SkinRowKey(int row);

// The values of rows 1..129 (index 0 is row 1); colours as their components.
std::array<int32_t, kSkinRowCount> SkinRowValues(const SkinLayout& layout);

// Reads a skin.txt held in memory into layout and recomputes png_skin.
// Returns the number of lines that matched their key (0..129). Values of rows
// that were not read keep what layout held before, except that a skin below
// VERSION 2 receives the built-in values of the rows its version lacks.
int ParseSkinText(std::string_view text, SkinLayout& layout);

// A complete skin.txt (all 129 lines, CR LF line ends) for layout.
std::string FormatSkinText(const SkinLayout& layout);

// Finds and reads "skin.txt" into layout.
//   skin_folder    the skin folder setting (Shift-JIS); replaced by the default
//                  skin folder "<program_folder>\skin" when the loader falls
//                  back to it.
// The skin folder is tried first; when it does not exist, or has no skin.txt,
// the default skin folder is used. Messages (all through ShowMessage):
//   - skin folder missing: "スキンフォルダが見つかりませんでした。デフォルトのスキンフォルダを読み込みます。" / "エラー"
//   - default skin folder missing: "デフォルトスキンの読み込みに失敗しました。実行ファイルと同一フォルダに「skin」フォルダを入れてください。" / "エラー"
//   - no skin.txt in either: "「skin.txt」が見つかりません。" / "エラー(ToT)"
// Returns 0 when a skin.txt was read (whatever it contained), -1 when none
// could be opened (layout is then left as it was).
int LoadSkinLayout(std::string& skin_folder, const std::string& program_folder, SkinLayout& layout);

// The default skin folder: "skin" beside the program.
std::string DefaultSkinFolder(const std::string& program_folder);

// ---------------------------------------------------------------------------
// Elements: the skinned child windows and their image files.

enum class SkinWindow { kMain, kChanger, kCanvasWindow, kMap };

enum class SkinElementKind {
  kButton,     // SkinButton: three pictures, sends its command when clicked
  kMenu,       // MenuButton: opens the popup menu
  kTimer,      // TimerPanel
  kTreeCount,  // TreeCountPanel
  kMapView,    // MapWindow (own top-level window)
};

enum class SkinElementId {
  kChangerClose,
  kChangerButton1,
  kChangerButton2,
  kChangerButton3,
  kChangerOkButton,
  kChangerCancelButton,
  kSylWndClose,
  kClose,
  kMinimize,
  kChanger,
  kSylWnd,
  kNewCanvas,
  kPlantTree,
  kSave,
  kLoad,
  kSettei,
  kMenu0,
  kTimer,
  kKinumDisp,
  kMapView,
  kMapCancel,
};
constexpr int kSkinElementCount = 21;

struct SkinElementInfo {
  SkinElementId id;
  const char* class_name;    // window class name, e.g. "CLOSE"
  SkinElementKind kind;
  SkinWindow owner;          // window the element sits in (the map view: its owner, the main window)
  SkinRect SkinLayout::*rect;  // its rectangle in the layout; nullptr for "MAP_VIEW"
  const char* bitmap;        // bitmap-skin file stem: buttons "<stem>_n.bmp" etc., panels "<stem>.bmp"
  uint16_t command;          // WM_COMMAND id sent when clicked; 0 for panels and the menu (sub-menu 0)
};

const SkinElementInfo& SkinElement(SkinElementId id);
// All elements in the order in which they are created at start-up.
const std::array<SkinElementId, kSkinElementCount>& SkinCreationOrder();
// All elements in the order in which a skin change re-places them.
const std::array<SkinElementId, kSkinElementCount>& SkinReplaceOrder();

// The bitmap-skin files of a button: normal, pointer over, held down
// ("close_n.bmp", "close_o.bmp", "close_d.bmp"). For a panel or the map view
// all three are its one picture ("timer.bmp").
std::array<std::string, 3> ElementBitmapFiles(const SkinElementInfo& element);

// The main window's background in a bitmap skin.
inline constexpr const char* kBitmapSkinBackground = "back.bmp";

// ---------------------------------------------------------------------------
// Image sets: four PNG files of one size (back, normal, over, down); each state
// image is composited over the back image, and the elements of the window cut
// their pictures out of the three composites.

enum class ImageSet { kControl, kMap, kChanger, kCanvasWindow };

struct ImageSetFiles {
  const char* back;
  const char* normal;
  const char* over;
  const char* down;
};

ImageSetFiles ImageSetFileNames(ImageSet set);
// The image set an element of the given window draws from.
ImageSet ImageSetOf(SkinWindow window);

// True when the rectangle may be applied to a window: L >= 0, T >= 0, W > 0, H > 0.
inline bool IsPlaceableRect(const SkinRect& r) {
  return r.left >= 0 && r.top >= 0 && r.width > 0 && r.height > 0;
}

}  // namespace sylvane
