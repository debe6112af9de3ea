#include "canvas/records/settings.h"

#include <cstring>

#include "base/file_io.h"
#include "platform/platform.h"
#include "platform/text.h"

namespace sylvane {
namespace {

constexpr char kMagic[] = "sylvanewood_ini";  // 15 characters and the NUL: 16 bytes
constexpr size_t kMagicBytes = 16;
// A settings file is a few kilobytes plus the image list; anything far larger
// is not one of ours and is not read into memory.
constexpr uint64_t kMaxSettingsFileBytes = uint64_t(kMaxGridCells) + 65536;

// Text cut to at most max_bytes without splitting a two-byte Shift-JIS character.
std::string CutSjis(const std::string& text, size_t max_bytes) {
  if (text.size() <= max_bytes) return text;
  size_t i = 0;
  while (i < max_bytes) {
    size_t step = IsSjisLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
    if (i + step > max_bytes) break;
    i += step;
  }
  return text.substr(0, i);
}

// The file order of the fields, written once and used for both directions.
// Io supplies Magic, Version, I32, U8, Path and Grid; S is MInitInfo or const
// MInitInfo.
template <class Io, class S>
bool Transfer(Io& io, S& s) {
  return io.Magic() && io.Version() &&
         // nine int32
         io.I32(s.main_x) && io.I32(s.main_y) && io.I32(s.canvas_width) && io.I32(s.canvas_height) &&
         io.I32(s.reserved) && io.I32(s.background_red) && io.I32(s.background_green) &&
         io.I32(s.background_blue) && io.I32(s.update_interval) &&
         // three window rectangles
         io.Rect(s.map_window) && io.Rect(s.changer_window) && io.Rect(s.canvas_window) &&
         io.U8(s.mutant_handling) && io.U8(s.exit_saving) &&
         // window states and changer options
         io.U8(s.changer_state) && io.U8(s.changer_active) && io.U8(s.changer_mode) &&
         io.U8(s.changer_sort) && io.U8(s.canvas_window_state) && io.U8(s.canvas_zoom_step) &&
         io.U8(s.canvas_names) &&
         io.I32(s.loop_irregularity) && io.U8(s.changer_display) && io.U8(s.skin_option) &&
         io.U8(s.associate_canvas) && io.U8(s.associate_trees) && io.U8(s.start_with_windows) &&
         io.U8(s.windows_hidden) &&
         io.I32(s.mutant_file_count) && io.I32(s.canvas_fits_desktop) && io.I32(s.fit_background) &&
         io.U8(s.tree_loop) && io.U8(s.tree_split) && io.U8(s.wallpaper_style) &&
         io.I32(s.transparency_mode) && io.I32(s.window_opacity) &&
         io.U8(s.rising_anywhere) && io.U8(s.scatter_mode) &&
         io.I32(s.scatter_count) && io.I32(s.scatter_radius) && io.I32(s.lighting_mode) &&
         io.U8(s.mutation_sound) && io.Path(s.sound_file) &&
         io.Path(s.folders[0]) && io.Path(s.folders[1]) && io.Path(s.folders[2]) &&
         io.Path(s.folders[3]) && io.Path(s.folders[4]) && io.Path(s.folders[5]) &&
         io.Path(s.folders[6]) &&
         io.Path(s.changer_folder) && io.Grid(s.changer_images);
}

struct FileWriter {
  ByteWriter& out;
  bool Magic() {
    out.WriteCharBuffer(kMagic, kMagicBytes);
    return true;
  }
  bool Version() {
    out.WriteF32(kSettingsVersion);
    return true;
  }
  bool I32(const int32_t& v) {
    out.WriteI32(v);
    return true;
  }
  bool U8(const uint8_t& v) {
    out.WriteU8(v);
    return true;
  }
  bool Rect(const WindowRect& r) { return I32(r.x) && I32(r.y) && I32(r.width) && I32(r.height); }
  bool Path(const std::string& text) {
    out.WriteCharBuffer(CutSjis(text, kSettingsPathBytes - 1), kSettingsPathBytes);
    return true;
  }
  bool Grid(const ByteGrid& g) {
    g.Write(out);
    return true;
  }
};

struct FileReader {
  ByteReader& in;
  // The magic is read but not compared: a file with the right version is
  // taken whatever its first bytes say.
  bool Magic() { return in.Skip(kMagicBytes); }
  bool Version() {
    float v = 0.0f;
    return in.ReadF32(v) && v == kSettingsVersion;
  }
  bool I32(int32_t& v) { return in.ReadI32(v); }
  bool U8(uint8_t& v) { return in.ReadU8(v); }
  bool Rect(WindowRect& r) { return I32(r.x) && I32(r.y) && I32(r.width) && I32(r.height); }
  bool Path(std::string& text) { return in.ReadCharBuffer(kSettingsPathBytes, text); }
  bool Grid(ByteGrid& g) { return g.Read(in); }
};

}  // namespace

void MInitInfo::ApplyReset() {
  Platform& platform = GetPlatform();
  ScreenSize screen = platform.PrimaryScreenSize();
  // Centred on the primary screen: half the screen rounded up, less half the window.
  main_x = (screen.width + 1) / 2 - 125;
  main_y = (screen.height + 1) / 2 - 255;
  changer_window = WindowRect{main_x, main_y + 100, 250, 410};
  canvas_window = WindowRect{0, 0, 300, 300};

  const std::string program = platform.ProgramFolder();
  const std::string skin = JoinPath(program, "skin");
  folders[kFolderBackgroundImages] = program;
  folders[kFolderSaveTrees] = program;
  folders[kFolderOpenTrees] = program;
  folders[kFolderSkin] = skin;
  folders[kFolderSaveCanvases] = program;
  folders[kFolderOpenCanvases] = program;
  folders[kFolderMutantArchive] = JoinPath(program, "ki_log");
  mutation_sound = 0;
  sound_file = skin;
  changer_folder = skin;

  changer_state = 1;
  changer_active = 0;
  changer_mode = 0;
  changer_sort = 0;
  canvas_window_state = 0;
  canvas_zoom_step = 5;
  canvas_names = 0;
  loop_irregularity = 0;
  changer_display = 2;
  skin_option = 0;  // the skin loader sets it again for the skin it loads
}

void MInitInfo::Write(ByteWriter& out) const {
  FileWriter writer{out};
  Transfer(writer, *this);
}

std::vector<uint8_t> MInitInfo::ToBytes() const {
  ByteWriter out;
  Write(out);
  return std::move(out.bytes());
}

bool MInitInfo::FromBytes(const std::vector<uint8_t>& bytes) {
  // Read into a copy so that a damaged file changes nothing. The copy starts
  // from the current values because an empty image list in the file leaves
  // the list in memory as it is.
  MInitInfo read = *this;
  ByteReader in(bytes);
  FileReader reader{in};
  if (!Transfer(reader, read)) return false;
  *this = std::move(read);
  return true;
}

bool ReadSettingsVersion(const std::vector<uint8_t>& bytes, float& version) {
  ByteReader in(bytes);
  return in.Skip(kMagicBytes) && in.ReadF32(version);
}

int MInitInfo::Load(const std::string& file_name, const std::string& program_folder) {
  const std::string path = JoinPath(program_folder, file_name);
  std::vector<uint8_t> bytes;
  bool newer = false;
  if (ReadWholeFile(path, bytes, kMaxSettingsFileBytes) == ReadFileStatus::kOk) {
    float version = 0.0f;
    if (ReadSettingsVersion(bytes, version)) {
      if (version == kSettingsVersion) {
        if (FromBytes(bytes)) return kSettingsOk;
      } else if (version > kSettingsVersion) {
        newer = true;
        ShowMessage("このINIファイルを読み込むには、本体のバージョンアップが必要です。", "エラー");
      }
    }
  }
  // No usable file: start from the reset values and write them at once, so
  // that the next start finds a good file.
  ApplyReset();
  Save(file_name, program_folder);
  return newer ? kSettingsNewerVersion : kSettingsReset;
}

int MInitInfo::Load() { return Load(kSettingsFileName, GetPlatform().ProgramFolder()); }

int MInitInfo::Save(const std::string& file_name, const std::string& program_folder) const {
  const std::string path = JoinPath(program_folder, file_name);
  AtomicFile file;
  if (!file.Open(path)) {
    ShowMessage("ファイルのオープンに失敗しました。MInitInfo::Save", "エラー");
    return kSettingsCannotOpen;
  }
  const std::vector<uint8_t> bytes = ToBytes();
  if (!file.Write(bytes.data(), bytes.size()) || !file.Commit()) {
    ShowMessage("ファイルの書き込みに失敗しました。MInitInfo::Save", "エラー");
    return kSettingsWriteFailed;
  }
  return kSettingsOk;
}

int MInitInfo::Save() const { return Save(kSettingsFileName, GetPlatform().ProgramFolder()); }

MInitInfo& Settings() {
  static MInitInfo settings;
  return settings;
}

}  // namespace sylvane
