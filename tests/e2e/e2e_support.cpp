#include "e2e_support.h"

#include <shlobj.h>

#include <cstdio>
#include <cstring>

#include "base/file_io.h"
#include "canvas/canvas_file.h"
#include "canvas/records/name_labels.h"
#include "paint/canvas.h"
#include "canvas/garden.h"
#include "canvas/image/image_io.h"
#include "platform/platform.h"
#include "trees/ki_file.h"
#include "trees/part_data.h"
#include "trees/tree.h"
#include "ui/skin_pictures.h"
#include "res/commands.h"

namespace e2e {
namespace {

std::string FromUnixDefault(const char* unix_path) {
  std::string p = "Z:";
  for (const char* c = unix_path; *c; ++c) p.push_back(*c == '/' ? '\\' : *c);
  return p;
}

std::string EnvOr(const char* name, const char* unix_default) {
  char buf[MAX_PATH * 2] = {};
  DWORD n = GetEnvironmentVariableA(name, buf, sizeof(buf));
  if (n > 0 && n < sizeof(buf)) return std::string(buf, n);
  return FromUnixDefault(unix_default);
}

void MakeFolders(const std::string& path) {
  std::string partial;
  for (size_t i = 0; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '\\') {
      if (!partial.empty() && partial.back() != ':') CreateDirectoryA(partial.c_str(), nullptr);
    }
    if (i < path.size()) partial.push_back(path[i]);
  }
}

// A picture of one colour (COLORREF) with a darker frame, so that screenshots show the elements.
void FillPicture(sylvane::Surface& s, int w, int h, COLORREF c) {
  s.CreateFilled(w, h, 0);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      bool edge = x == 0 || y == 0 || x == w - 1 || y == h - 1;
      uint8_t* p = s.PixelAt(x, y);
      int k = edge ? 2 : 1;
      p[0] = uint8_t(GetBValue(c) / k);
      p[1] = uint8_t(GetGValue(c) / k);
      p[2] = uint8_t(GetRValue(c) / k);
    }
  }
  s.RefreshHeaders();
}

void WriteBmpFile(const std::string& path, int w, int h, COLORREF c) {
  sylvane::Surface s;
  FillPicture(s, w, h, c);
  sylvane::WriteBmp(path, s);
}

void WritePngFile(const std::string& path, int w, int h, COLORREF c, uint8_t alpha) {
  sylvane::Surface s;
  FillPicture(s, w, h, c);
  sylvane::AlphaPlane a;
  a.CreateFilled(w, h, alpha);
  sylvane::WritePng(path, s, &a);
}

BOOL CALLBACK CollectBox(HWND w, LPARAM lp) {
  auto* args = reinterpret_cast<std::pair<DWORD, std::vector<Box>*>*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if (pid != args->first || !IsWindowVisible(w)) return TRUE;
  char cls[64] = {};
  GetClassNameA(w, cls, sizeof(cls));
  if (std::strcmp(cls, "#32770") != 0) return TRUE;
  // Message boxes and dialogs have an owner; the changer and the canvas
  // window (modeless dialogs of their own) have none.
  if (!GetWindow(w, GW_OWNER)) return TRUE;
  Box b;
  b.window = w;
  char text[1024] = {};
  GetWindowTextA(w, text, sizeof(text));
  b.caption = text;
  HWND child = nullptr;
  while ((child = FindWindowExA(w, child, "Static", nullptr)) != nullptr) {
    char t[2048] = {};
    GetWindowTextA(child, t, sizeof(t));
    if (t[0]) {
      b.text = t;
      break;
    }
  }
  args->second->push_back(b);
  return TRUE;
}

struct FindArgs {
  DWORD pid;
  const char* cls;
  HWND found;
};

BOOL CALLBACK FindOfClass(HWND w, LPARAM lp) {
  auto* args = reinterpret_cast<FindArgs*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if (pid != args->pid) return TRUE;
  char cls[64] = {};
  GetClassNameA(w, cls, sizeof(cls));
  if (std::strcmp(cls, args->cls) != 0) return TRUE;
  args->found = w;
  return FALSE;
}

}  // namespace

std::string ProgramExe() { return EnvOr("SYLVANE_E2E_EXE", SYLVANE_E2E_EXE_DEFAULT); }
std::string DataFolder() { return EnvOr("SYLVANE_E2E_DATA", SYLVANE_E2E_DATA_DEFAULT); }
std::string WorkFolder() { return EnvOr("SYLVANE_E2E_WORK", SYLVANE_E2E_WORK_DEFAULT); }
std::string ArtifactsFolder() { return EnvOr("SYLVANE_E2E_ARTIFACTS", SYLVANE_E2E_ARTIFACTS_DEFAULT); }

std::string Join(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (folder.back() == '\\') return folder + name;
  return folder + "\\" + name;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool ReadFile(const std::string& path, std::vector<uint8_t>& out) {
  return sylvane::ReadWholeFile(path, out) == sylvane::ReadFileStatus::kOk;
}

void WriteTextFile(const std::string& path, const std::string& text) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return;
  std::fwrite(text.data(), 1, text.size(), f);
  std::fclose(f);
}

bool FileStamp(const std::string& path, uint64_t& size, FILETIME& written) {
  WIN32_FILE_ATTRIBUTE_DATA d{};
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &d)) return false;
  size = (uint64_t(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
  written = d.ftLastWriteTime;
  return true;
}

void CopyFolder(const std::string& from, const std::string& to) {
  MakeFolders(to);
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA(Join(from, "*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    std::string name = fd.cFileName;
    if (name == "." || name == "..") continue;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      CopyFolder(Join(from, name), Join(to, name));
    else
      CopyFileA(Join(from, name).c_str(), Join(to, name).c_str(), FALSE);
  } while (FindNextFileA(h, &fd));
  FindClose(h);
}

void RemoveFolder(const std::string& path) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA(Join(path, "*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::string name = fd.cFileName;
      if (name == "." || name == "..") continue;
      std::string p = Join(path, name);
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveFolder(p);
      } else {
        SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(p.c_str());
      }
    } while (FindNextFileA(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryA(path.c_str());
}

sylvane::SkinLayout TestSkinLayout(int version) {
  using sylvane::SkinRect;
  sylvane::SkinLayout l;
  l.version = version;
  l.close = SkinRect{240, 4, 14, 14};
  l.minimize = SkinRect{222, 4, 14, 14};
  l.new_canvas = SkinRect{4, 4, 40, 24};
  l.plant_tree = SkinRect{48, 4, 40, 24};
  l.load = SkinRect{92, 4, 40, 24};
  l.save = SkinRect{136, 4, 40, 24};
  l.settei = SkinRect{180, 4, 36, 24};
  l.menu0 = SkinRect{4, 34, 40, 24};
  l.timer = SkinRect{48, 34, 110, 24};
  l.timer_font_size = 14;
  l.timer_x = 6;
  l.timer_y = 4;
  l.timer_color = sylvane::SkinColor(255, 255, 255);
  l.growing_ki_num = SkinRect{162, 34, 44, 24};
  l.growing_ki_num_font_size = 14;
  l.growing_ki_num_x = 6;
  l.growing_ki_num_y = 4;
  l.growing_ki_num_color = sylvane::SkinColor(255, 255, 0);
  l.map_alpha = 80;
  l.map_cancel = SkinRect{5, 5, 60, 20};
  l.layer_type = 0;
  l.bg_color = 0;
  l.layer_alpha = 255;
  l.changer_btn = SkinRect{210, 34, 14, 24};
  l.changer_ctrl_bg_color = sylvane::SkinColor(255, 255, 255);
  l.changer_close = SkinRect{232, 6, 7, 9};
  l.changer_button1 = SkinRect{88, 83, 150, 21};
  l.changer_button2 = SkinRect{125, 342, 48, 21};
  l.changer_button3 = SkinRect{176, 342, 64, 21};
  l.changer_ok_button = SkinRect{29, 375, 75, 21};
  l.changer_cancel_button = SkinRect{150, 375, 75, 21};
  l.changer_combo1 = SkinRect{151, 53, 93, 20};
  l.changer_combo2 = SkinRect{11, 342, 95, 20};
  l.changer_radio1 = SkinRect{81, 35, 14, 12};
  l.changer_radio2 = SkinRect{81, 56, 14, 12};
  l.changer_list1 = SkinRect{11, 108, 228, 225};
  l.changer_prev_img = SkinRect{7, 30, 70, 70};
  l.syl_wnd_btn = SkinRect{228, 34, 14, 24};
  l.canvas_ctrl_bg_color = sylvane::SkinColor(255, 255, 255);
  l.sylwnd_close = SkinRect{260, 6, 7, 9};
  l.png_skin = version >= 3;
  return l;
}

void MakeSkin(const std::string& folder, int version, int misspell_row) {
  MakeFolders(folder);
  sylvane::SkinLayout l = TestSkinLayout(version);
  std::string text = sylvane::FormatSkinText(l);
  // Keep only the rows this version reads.
  int rows = version < 1 ? 58 : version < 2 ? 63 : sylvane::kSkinRowCount;
  std::string kept;
  size_t pos = 0;
  for (int row = 1; row <= rows && pos < text.size(); ++row) {
    size_t end = text.find('\n', pos);
    std::string line = text.substr(pos, end == std::string::npos ? std::string::npos : end + 1 - pos);
    if (row == misspell_row) {
      std::string key(sylvane::SkinRowKey(row));
      std::string typo = key.size() >= 2 ? key.substr(0, key.size() - 2) + key[key.size() - 1] + key[key.size() - 2]
                                         : key + "X";
      line.replace(0, key.size(), typo);
    }
    kept += line;
    if (end == std::string::npos) break;
    pos = end + 1;
  }
  WriteTextFile(Join(folder, "skin.txt"), kept);

  const COLORREF normal = RGB(40, 120, 60), over = RGB(200, 180, 40), down = RGB(180, 40, 40);
  WriteBmpFile(Join(folder, "back.bmp"), kTestSkinWidth, kTestSkinHeight, RGB(30, 50, 90));
  for (int i = 0; i < sylvane::kSkinElementCount; ++i) {
    const sylvane::SkinElementInfo& e = sylvane::SkinElement(sylvane::SkinElementId(i));
    if (!e.bitmap) continue;
    auto files = sylvane::ElementBitmapFiles(e);
    if (e.kind == sylvane::SkinElementKind::kButton || e.kind == sylvane::SkinElementKind::kMenu) {
      WriteBmpFile(Join(folder, files[0]), 64, 32, normal);
      WriteBmpFile(Join(folder, files[1]), 64, 32, over);
      WriteBmpFile(Join(folder, files[2]), 64, 32, down);
    } else {
      WriteBmpFile(Join(folder, files[0]), 128, 32, RGB(20, 20, 20));
    }
  }
  WriteBmpFile(Join(folder, "map_view.bmp"), 32, 32, RGB(60, 60, 70));
  struct SetSize {
    sylvane::ImageSet set;
    int w, h;
  };
  const SetSize sets[] = {{sylvane::ImageSet::kControl, kTestSkinWidth, kTestSkinHeight},
                          {sylvane::ImageSet::kMap, 300, 300},
                          {sylvane::ImageSet::kChanger, 250, 410},
                          {sylvane::ImageSet::kCanvasWindow, 300, 300}};
  for (const SetSize& s : sets) {
    sylvane::ImageSetFiles f = sylvane::ImageSetFileNames(s.set);
    WritePngFile(Join(folder, f.back), s.w, s.h, RGB(90, 40, 110), 255);
    WritePngFile(Join(folder, f.normal), s.w, s.h, RGB(70, 150, 90), 200);
    WritePngFile(Join(folder, f.over), s.w, s.h, RGB(220, 200, 60), 200);
    WritePngFile(Join(folder, f.down), s.w, s.h, RGB(200, 60, 60), 200);
  }
}

sylvane::MInitInfo TestSettings(const std::string& program_folder) {
  sylvane::ConsolePlatform platform;
  platform.set_program_folder(program_folder);
  platform.set_screen(sylvane::ScreenSize{1280, 1024});
  sylvane::SetPlatform(&platform);
  sylvane::MInitInfo s;
  s.ApplyReset();
  sylvane::SetPlatform(nullptr);
  return s;
}

void WriteSettings(const sylvane::MInitInfo& settings, const std::string& program_folder) {
  settings.Save(sylvane::kSettingsFileName, program_folder);
}

bool ReadSettings(const std::string& program_folder, sylvane::MInitInfo& out) {
  std::vector<uint8_t> bytes;
  if (!ReadFile(Join(program_folder, sylvane::kSettingsFileName), bytes)) return false;
  return out.FromBytes(bytes);
}

bool WriteSampleTreeFile(const std::string& path, int kind, int mutation_chance, int split_chance,
                         int growth_speed, int split_max) {
  sylvane::Tree tree;
  sylvane::LoadSampleParts(tree, DataFolder(), sylvane::kSamplePartDescriptions);
  sylvane::MakeSampleTree(tree, 300, 400, 90);
  tree.kind = kind;
  tree.mutation_chance = mutation_chance;
  tree.split_chance = split_chance;
  tree.growth_speed = growth_speed;
  tree.split_max = split_max;
  return sylvane::SaveTreeFile(tree, path) == 0;
}

App::App(const std::string& name, bool with_skin) {
  folder_ = Join(WorkFolder(), name);
  RemoveFolder(folder_);
  MakeFolders(folder_);
  CopyFileA(ProgramExe().c_str(), File("sylvane.exe").c_str(), FALSE);
  const std::string data = DataFolder();
  CopyFolder(Join(data, "imgb"), File("imgb"));
  CopyFolder(Join(data, "prj_data"), File("prj_data"));
  CopyFolder(Join(data, "sound"), File("sound"));
  CopyFolder(Join(data, "trees"), File("trees"));
  MakeFolders(File("ki_log"));
  if (with_skin) {
    if (Exists(Join(Join(data, "skin"), "skin.txt")))
      CopyFolder(Join(data, "skin"), File("skin"));
    else
      MakeSkin(File("skin"), 2);
  }
}

App::~App() {
  if (Running()) {
    if (!Close(5000)) Kill();
  }
  if (process_) CloseHandle(process_);
}

bool App::Start(const std::string& arguments, DWORD wait_ms) {
  std::string exe = File("sylvane.exe");
  std::string command = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
  std::vector<char> cmd(command.begin(), command.end());
  cmd.push_back('\0');
  STARTUPINFOA si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, folder_.c_str(), &si, &pi))
    return false;
  CloseHandle(pi.hThread);
  process_ = pi.hProcess;
  pid_ = pi.dwProcessId;
  // Start-up has finished when the program says so, or it shows a message.
  return WaitUntil(
      [&] {
        main_ = FindWindowOfClass("SylvanWood");
        return main_ && (State("SylvaneReady") == 1 || !Boxes().empty());
      },
      wait_ms);
}

DWORD App::StartSecondInstance(DWORD wait_ms) {
  std::string exe = File("sylvane.exe");
  std::string command = "\"" + exe + "\"";
  std::vector<char> cmd(command.begin(), command.end());
  cmd.push_back('\0');
  STARTUPINFOA si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, folder_.c_str(), &si, &pi))
    return DWORD(-1);
  CloseHandle(pi.hThread);
  DWORD code = STILL_ACTIVE;
  if (WaitForSingleObject(pi.hProcess, wait_ms) == WAIT_OBJECT_0) {
    GetExitCodeProcess(pi.hProcess, &code);
  } else {
    TerminateProcess(pi.hProcess, 1);
    WaitForSingleObject(pi.hProcess, 5000);
  }
  CloseHandle(pi.hProcess);
  return code;
}

bool App::Running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

bool App::WaitForExit(DWORD wait_ms) { return process_ && WaitForSingleObject(process_, wait_ms) == WAIT_OBJECT_0; }

DWORD App::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  if (process_) GetExitCodeProcess(process_, &code);
  return code;
}

void App::Kill() {
  if (!process_) return;
  TerminateProcess(process_, 1);
  WaitForSingleObject(process_, 10000);
}

bool App::Close(DWORD wait_ms) {
  if (!Running()) return true;
  Post(CMD_EXIT);
  DWORD start = GetTickCount();
  while (GetTickCount() - start < wait_ms) {
    if (WaitForExit(100)) return true;
    for (const Box& b : Boxes()) {
      if (b.caption == "保存？") Press(b, IDNO);
    }
  }
  return !Running();
}

bool App::Send(int command, DWORD wait_ms) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(main_, WM_COMMAND, WPARAM(command), 0, SMTO_NORMAL, wait_ms, &result) != 0;
}

bool App::Sync(DWORD wait_ms) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(main_, WM_NULL, 0, 0, SMTO_NORMAL, wait_ms, &result) != 0;
}

void App::Post(int command) { PostMessageA(main_, WM_COMMAND, WPARAM(command), 0); }

void App::Tick(int n) {
  for (int i = 0; i < n; ++i) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(main_, WM_TIMER, TIMER_UPDATE, 0, SMTO_NORMAL, 30000, &result);
  }
}

int App::State(const char* name) const {
  return static_cast<int>(reinterpret_cast<intptr_t>(GetPropA(main_, name)));
}

std::vector<Box> App::Boxes() const {
  std::vector<Box> boxes;
  std::pair<DWORD, std::vector<Box>*> args{pid_, &boxes};
  EnumWindows(CollectBox, reinterpret_cast<LPARAM>(&args));
  return boxes;
}

bool App::WaitForBox(const std::string& caption, Box& out, DWORD wait_ms) const {
  return WaitUntil(
      [&] {
        for (const Box& b : Boxes()) {
          if (caption.empty() || b.caption == caption) {
            out = b;
            return true;
          }
        }
        return false;
      },
      wait_ms);
}

bool App::WaitNoBox(DWORD wait_ms) {
  if (!WaitUntil([&] { return Boxes().empty(); }, wait_ms)) return false;
  // What the closed box's caller still does is done once the interface answers.
  return !Running() || Sync(wait_ms);
}

void App::Press(const Box& box, int id) const {
  PostMessageA(box.window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box.window, id)));
}

HWND App::FindWindowOfClass(const char* class_name) const {
  FindArgs args{pid_, class_name, nullptr};
  EnumWindows(FindOfClass, reinterpret_cast<LPARAM>(&args));
  return args.found;
}

std::vector<std::pair<HWND, std::string>> App::TopDialogs() const {
  std::vector<std::pair<HWND, std::string>> dialogs;
  HWND c = nullptr;
  while ((c = FindWindowExA(nullptr, c, "#32770", nullptr)) != nullptr) {
    DWORD pid = 0;
    GetWindowThreadProcessId(c, &pid);
    if (pid != pid_ || GetWindow(c, GW_OWNER)) continue;
    char title[128] = {};
    GetWindowTextA(c, title, sizeof(title));
    dialogs.emplace_back(c, title);
  }
  return dialogs;
}

HWND App::Element(const char* class_name) const { return FindWindowExA(main_, nullptr, class_name, nullptr); }

bool App::DropFile(const std::string& path) {
  std::vector<uint8_t> block(sizeof(DROPFILES) + path.size() + 2, 0);
  DROPFILES df{};
  df.pFiles = sizeof(DROPFILES);
  df.fWide = FALSE;
  std::memcpy(block.data(), &df, sizeof(df));
  std::memcpy(block.data() + sizeof(DROPFILES), path.data(), path.size());
  void* remote = VirtualAllocEx(process_, nullptr, block.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  if (!remote) return false;
  SIZE_T written = 0;
  if (!WriteProcessMemory(process_, remote, block.data(), block.size(), &written)) return false;
  return PostMessageA(main_, WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0) != 0;
}

void SetField(const Box& box, int id, const std::string& text) {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(GetDlgItem(box.window, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                      SMTO_NORMAL, 10000, &result);
}

void Click(const Box& box, int id) {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(GetDlgItem(box.window, id), BM_CLICK, 0, 0, SMTO_NORMAL, 10000, &result);
}

bool IsChecked(const Box& box, int id) {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(GetDlgItem(box.window, id), BM_GETCHECK, 0, 0, SMTO_NORMAL, 10000, &result);
  return result == BST_CHECKED;
}

void FillFileDialog(const Box& box, const std::string& path) {
  // The file name field: a combo box (cmb13) in explorer-style dialogs, an edit (edt1) otherwise.
  HWND field = GetDlgItem(box.window, 0x47C);
  if (!field) field = GetDlgItem(box.window, 0x480);
  DWORD_PTR result = 0;
  SendMessageTimeoutA(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()), SMTO_NORMAL, 10000, &result);
  PostMessageA(box.window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box.window, IDOK)));
}

bool ClickMapCentre(App& app) {
  HWND map = nullptr;
  if (!WaitUntil([&] {
        map = app.FindWindowOfClass("MAP_VIEW");
        return map && IsWindowVisible(map);
      }))
    return false;
  RECT r;
  GetClientRect(map, &r);
  LPARAM at = MAKELPARAM((r.right - r.left) / 2, (r.bottom - r.top) / 2 + 10);
  PostMessageA(map, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(map, WM_LBUTTONUP, 0, at);
  return WaitUntil([&] { return !IsWindowVisible(map); });
}

bool NewCanvas(App& app, const std::string& width, const std::string& height, const std::string& interval) {
  app.Post(CMD_NEW_CANVAS);
  Box box;
  if (!app.WaitForBox("", box)) return false;
  if (box.caption == "保存？") {
    app.Press(box, IDNO);
    if (!WaitUntil([&] { return app.WaitForBox("キャンバスの新規作成", box, 200); })) return false;
  }
  if (box.caption != "キャンバスの新規作成") return false;
  SetField(box, 1000, width);
  SetField(box, 1001, height);
  SetField(box, 1004, interval);
  app.Press(box, IDOK);
  return WaitUntil([&] { return !IsWindow(box.window) || !IsWindowVisible(box.window); });
}

bool BmpInfo(const std::string& path, int& width, int& height, int& bits) {
  std::vector<uint8_t> b;
  if (!ReadFile(path, b) || b.size() < 54 || b[0] != 'B' || b[1] != 'M') return false;
  auto i32 = [&](size_t o) { return int32_t(b[o] | (b[o + 1] << 8) | (b[o + 2] << 16) | (uint32_t(b[o + 3]) << 24)); };
  width = i32(18);
  height = i32(22);
  bits = b[28] | (b[29] << 8);
  return true;
}

void* App::RemoteString(const std::string& text) {
  void* remote = VirtualAllocEx(process_, nullptr, text.size() + 1, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  if (!remote) return nullptr;
  SIZE_T written = 0;
  if (!WriteProcessMemory(process_, remote, text.c_str(), text.size() + 1, &written)) return nullptr;
  return remote;
}

bool App::ChangeSkinTo(const std::string& folder) {
  Post(CMD_CHANGE_SKIN);
  Box browser;
  if (!WaitForBox("", browser)) return false;
  void* remote = RemoteString(folder);
  // The browser selects the current skin folder itself once it has been set
  // up; the selection is made after that, and made again if OK was too early.
  for (int attempt = 0; attempt < 3; ++attempt) {
    Sleep(500);
    DWORD_PTR result = 0;
    SendMessageTimeoutA(browser.window, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(remote), SMTO_NORMAL,
                        10000, &result);
    Sleep(300);
    Press(browser, IDOK);
    if (WaitUntil([&] { return !IsWindow(browser.window) || !IsWindowVisible(browser.window); }, 3000))
      return WaitNoBox();
  }
  SaveScreenshot(browser.window, "folder_browser_not_closed");
  return false;
}

bool WriteCanvasFile(const std::string& path, int width, int height, COLORREF colour, int interval) {
  sylvane::Canvas canvas;
  sylvane::TreeTable table;
  sylvane::LabelList labels;
  sylvane::Surface no_picture;
  if (sylvane::CreateGardenCanvas(canvas, table, labels, width, height, uint32_t(colour),
                                  sylvane::kBackgroundColour, no_picture, interval, false) != 0)
    return false;
  return sylvane::SaveCanvasFile(sylvane::GardenRefs{canvas, table, labels}, path) == 0;
}

bool ReadUserString(const char* subkey, const char* value, std::string& out, DWORD* length) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, subkey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  char buf[1024] = {};
  DWORD size = sizeof(buf) - 1;
  DWORD type = 0;
  LONG rc = RegQueryValueExA(key, value, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size);
  RegCloseKey(key);
  if (rc != ERROR_SUCCESS) return false;
  out.assign(buf, strnlen(buf, size));
  if (length) {
    // The stored byte count, as the registry keeps it (UTF-16): the A call adds
    // a terminator of its own when it converts the text back.
    std::wstring name(value, value + std::strlen(value));
    DWORD wsize = 0;
    HKEY k2 = nullptr;
    *length = 0;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, subkey, 0, KEY_READ, &k2) == ERROR_SUCCESS) {
      if (RegQueryValueExW(k2, name.c_str(), nullptr, nullptr, nullptr, &wsize) == ERROR_SUCCESS)
        *length = wsize / 2;
      RegCloseKey(k2);
    }
  }
  return true;
}

void DeleteUserValue(const char* subkey, const char* value) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, subkey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
  RegDeleteValueA(key, value);
  RegCloseKey(key);
}

bool CaptureWindow(HWND window, sylvane::Surface& out) {
  // The client area: without a window manager (Xvfb) the frames are not drawn.
  RECT r;
  if (!GetClientRect(window, &r)) return false;
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
  int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return false;
  out.CreateFilled(w, h, 0);
  out.RefreshHeaders();
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  SelectObject(mem, old);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  bi.bmiHeader.biCompression = BI_RGB;
  int rows = GetDIBits(mem, bmp, 0, UINT(h), out.pixels.data(), &bi, DIB_RGB_COLORS);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return rows == h;
}

std::string SaveScreenshot(HWND window, const std::string& name) {
  // Lets the window finish painting (frame and every control) first.
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Sleep(700);
  sylvane::Surface s;
  if (!CaptureWindow(window, s)) return std::string();
  MakeFolders(ArtifactsFolder());
  std::string path = Join(ArtifactsFolder(), name + ".png");
  return sylvane::WritePng(path, s) == 0 ? path : std::string();
}

}  // namespace e2e
