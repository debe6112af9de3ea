// MInitInfo: the application settings, one process-wide instance (Settings()),
// stored in the binary settings file "sylvane.ini" in the program folder.
//
// The file is a raw little-endian dump of the fields behind a magic and a
// version (see settings.cpp for the exact order):
//   char[16] "sylvanewood_ini", float32 1.39, int32 and byte fields,
//   char[260] paths (NUL-terminated Shift-JIS), and the changer image list in
//   its ByteGrid file form at the end.
// Only version 1.39 is read. Any other file -- missing, unreadable, damaged or
// of another version -- is replaced by the reset values and written back at
// once. The magic is read but not compared.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "base/bytes.h"
#include "base/grid.h"

namespace sylvane {

// The settings file's name in the program folder.
inline constexpr char kSettingsFileName[] = "sylvane.ini";
// The one version this program reads and writes (bits 0x3FB1EB85).
inline constexpr float kSettingsVersion = 1.39f;
// Every path field is a char[260] buffer in the file.
inline constexpr size_t kSettingsPathBytes = 260;
// Number of remembered folders.
inline constexpr int kSettingsFolders = 7;

// Indexes of the remembered folders.
enum SettingsFolder : int {
  kFolderBackgroundImages = 0,
  kFolderSaveTrees = 1,
  kFolderOpenTrees = 2,
  kFolderSkin = 3,
  kFolderSaveCanvases = 4,
  kFolderOpenCanvases = 5,
  kFolderMutantArchive = 6,
};

// A window's place on the desktop, in screen pixels.
struct WindowRect {
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;
  bool operator==(const WindowRect&) const = default;
};

// Status codes of Load and Save.
constexpr int kSettingsOk = 0;
constexpr int kSettingsReset = -1;         // Load: no usable file; reset values applied and written
constexpr int kSettingsNewerVersion = -2;  // Load: file of a newer version; reported, reset and written
constexpr int kSettingsCannotOpen = -1;    // Save: the file could not be opened for writing (reported)
constexpr int kSettingsWriteFailed = -2;   // Save: writing or replacing the file failed (reported)

// Field order here is the order of the settings table; the file order differs
// and lives in settings.cpp. Strings are Shift-JIS; paths are at most 259
// bytes (longer ones are cut at a character boundary when written).
struct MInitInfo {
  int32_t main_x = 0;              // main window left, screen pixels
  int32_t main_y = 0;              // main window top, screen pixels
  int32_t canvas_width = 600;      // last width entered for a new canvas, pixels
  int32_t canvas_height = 400;     // last height entered for a new canvas, pixels
  int32_t reserved = 0;            // not used, kept for the file layout
  int32_t background_red = 0;      // last background colour of a new canvas, 0..255
  int32_t background_green = 0;    // 0..255
  int32_t background_blue = 0;     // 0..255
  int32_t update_interval = 0;     // last update interval entered, minutes
  WindowRect map_window{0, 0, 300, 300};      // the map window
  WindowRect changer_window{0, 0, 250, 410};  // the wallpaper changer window
  WindowRect canvas_window{0, 0, 300, 300};   // the canvas window
  uint8_t mutant_handling = 0;     // 0 ask, 1 never save, 2 save automatically
  uint8_t exit_saving = 0;         // canvas saving at exit: 0 none, 1 save automatically, 2 ask
  std::array<std::string, kSettingsFolders> folders;  // remembered folders (SettingsFolder)
  uint8_t mutation_sound = 0;      // 1: play sound_file when a mutant appears
  std::string sound_file;          // wave file played for mutants
  std::string changer_folder;      // initial folder of the changer's add-image dialog
  ByteGrid changer_images;         // the changer's image paths, one NUL-padded path per row
  uint8_t associate_canvas = 0;    // 1: ".syl" files are associated with the program
  uint8_t associate_trees = 0;     // 1: ".ki" files are associated with the program
  uint8_t start_with_windows = 0;  // 1: a startup shortcut exists
  uint8_t windows_hidden = 0;      // 1 while the main window and its companions are hidden
  int32_t mutant_file_count = 5;   // files kept by automatic mutant saving, 1..5000
  int32_t canvas_fits_desktop = 0; // last state of the "fit the desktop size" check box
  int32_t fit_background = 0;      // last state of the "fit background image" check box
  uint8_t tree_loop = 1;           // 1: loop points may start loop children
  uint8_t tree_split = 1;          // 1: finished trees may split
  uint8_t rising_anywhere = 0;     // 1: rising trees may be planted at any height
  uint8_t scatter_mode = 0;        // 0 a fixed number each time, 1 ask each time
  int32_t scatter_count = 1;       // trees per scatter planting, 1..100
  int32_t scatter_radius = 0;      // scatter radius, 0..1000 pixels
  int32_t lighting_mode = 0;       // lighting mode index
  uint8_t wallpaper_style = 0;     // 0 tile, 1 centre, 2 fit to the desktop
  int32_t transparency_mode = 0;   // 0 follow the skin, 1 see-through at window_opacity, 2 none
  int32_t window_opacity = 255;    // 0..255, used by transparency mode 1
  uint8_t changer_state = 0;       // wallpaper changer window: 0 closed, 1 open, 2 collapsed
  uint8_t changer_active = 0;      // 1: the changer shows its own picture; the canvas does not update the desktop
  uint8_t changer_mode = 0;        // first changer option, display mode: 0 centre, 1 tile, 2 stretch
  uint8_t changer_sort = 0;        // second changer option, sort order: 0 none, 1 ascending, 2 descending
  uint8_t canvas_window_state = 0; // canvas window: 0 closed, 1 open, 2 collapsed
  uint8_t canvas_zoom_step = 0;    // canvas window zoom index 0..9 (1.0 down to 0.1)
  uint8_t canvas_names = 0;        // canvas window option: 0 no names, 1 tree names, 2 file names
  int32_t loop_irregularity = 0;   // 0..100, regular to irregular loops
  uint8_t changer_display = 0;     // changer display option: 2 docked under the main window, 0 free
  uint8_t skin_option = 0;         // 1 when the current skin's VERSION is 3 or more (PNG skin)

  // Replaces the fields that have reset values: the main window centred on
  // the primary screen, the changer under it, the canvas window and the
  // window states, the folders inside the program folder, the sound file and
  // changer folder set to the skin folder. Screen and program folder come from
  // the platform.
  void ApplyReset();

  // The file image of the settings.
  std::vector<uint8_t> ToBytes() const;
  void Write(ByteWriter& out) const;
  // Reads a file image of version 1.39 into this object. Returns false, with
  // this object unchanged, when the bytes are too short or damaged or the
  // version is not 1.39. Fields are taken as they stand, without range checks.
  bool FromBytes(const std::vector<uint8_t>& bytes);

  // Reads file_name in program_folder. Version 1.39: the settings are replaced
  // by the file's (kSettingsOk). Anything else: the reset values are applied,
  // the file is written again at once and kSettingsReset is returned; a file of
  // a newer version is reported first ("このINIファイルを読み込むには、本体の
  // バージョンアップが必要です。", caption "エラー") and gives kSettingsNewerVersion.
  int Load(const std::string& file_name, const std::string& program_folder);
  // Load of "sylvane.ini" in the platform's program folder.
  int Load();

  // Writes all fields to file_name in program_folder, atomically (a temporary
  // file beside it replaces it only when complete). Failures are reported:
  // "ファイルのオープンに失敗しました。MInitInfo::Save" (cannot open, kSettingsCannotOpen)
  // or "ファイルの書き込みに失敗しました。MInitInfo::Save" (kSettingsWriteFailed),
  // both with caption "エラー". Returns kSettingsOk on success.
  int Save(const std::string& file_name, const std::string& program_folder) const;
  // Save of "sylvane.ini" in the platform's program folder.
  int Save() const;
};

// The process-wide settings, constructed with the defaults on first use.
MInitInfo& Settings();

// The version stored in a settings file image, read from bytes 16..19; false
// when the image is shorter than that.
bool ReadSettingsVersion(const std::vector<uint8_t>& bytes, float& version);

}  // namespace sylvane
