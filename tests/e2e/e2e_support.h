// The end-to-end driver's tools: a fresh program folder with sylvane.exe and
// its data, starting and ending the program, finding its windows and message
// boxes, sending commands and timer ticks, reading files, registry values and
// window pixels, and writing test skins, settings and tree files.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "canvas/records/settings.h"
#include "canvas/image/surface.h"
#include "ui/skin_layout.h"

namespace e2e {

// Paths given by scripts/e2e through the environment (Windows paths).
std::string ProgramExe();       // sylvane.exe
std::string DataFolder();       // the repository's data folder (imgb, prj_data, sound, skin)
std::string WorkFolder();       // where test program folders are made
std::string ArtifactsFolder();  // where screenshots go

std::string Join(const std::string& folder, const std::string& name);
bool Exists(const std::string& path);
bool ReadFile(const std::string& path, std::vector<uint8_t>& out);
void WriteTextFile(const std::string& path, const std::string& text);
// Size and last write time of a file; false when it does not exist.
bool FileStamp(const std::string& path, uint64_t& size, FILETIME& written);
void CopyFolder(const std::string& from, const std::string& to);
void RemoveFolder(const std::string& path);

// A test skin folder: skin.txt of the given VERSION (rows of that version
// only; VERSION 0 has rows 1-58) and every picture a skin of that version
// needs, in plain colours. misspell_row (1..129) writes that row's key with
// a typo ("CLOSE_L" -> "CLOES_L"), stopping the reading there.
void MakeSkin(const std::string& folder, int version, int misspell_row = 0);
// The layout MakeSkin writes (before a misspelt row cuts it).
sylvane::SkinLayout TestSkinLayout(int version);
// Main window background size of the test skins.
constexpr int kTestSkinWidth = 260;
constexpr int kTestSkinHeight = 64;

// Settings with the reset values of a 1280 x 1024 screen for the folder, for
// a test to change and write before the program starts.
sylvane::MInitInfo TestSettings(const std::string& program_folder);
void WriteSettings(const sylvane::MInitInfo& settings, const std::string& program_folder);
bool ReadSettings(const std::string& program_folder, sylvane::MInitInfo& out);

// A tree file made from the built-in sample tree with the data folder's
// sample parts; kind, mutation chance, split chance and growth speed as given.
bool WriteSampleTreeFile(const std::string& path, int kind = 1, int mutation_chance = 0, int split_chance = 0,
                         int growth_speed = 22, int split_max = 1);

// A message box or dialog of the program.
struct Box {
  HWND window = nullptr;
  std::string caption;  // Shift-JIS
  std::string text;     // first non-empty static text (the message of a message box)
};

class App {
 public:
  // Prepares a fresh program folder named `name` (sylvane.exe, imgb, trees,
  // prj_data, sound, skin, an empty ki_log). with_skin false leaves out skin.
  explicit App(const std::string& name, bool with_skin = true);
  ~App();
  App(const App&) = delete;
  App& operator=(const App&) = delete;

  const std::string& folder() const { return folder_; }
  std::string File(const std::string& name) const { return Join(folder_, name); }

  // Starts the program (arguments as its command line) and waits for its main
  // window. False when none appeared in time.
  bool Start(const std::string& arguments = "", DWORD wait_ms = 30000);
  // Starts another instance and returns its exit code (or STILL_ACTIVE when it
  // did not end within wait_ms; it is then ended).
  DWORD StartSecondInstance(DWORD wait_ms = 15000);
  bool Running() const;
  // Waits for the process to end; false when it still runs after wait_ms.
  bool WaitForExit(DWORD wait_ms);
  DWORD ExitCode() const;
  // Ends the program the hard way (a test that left it stuck).
  void Kill();
  // Closes the program with 40012 and waits; answers "No" to a save question.
  bool Close(DWORD wait_ms = 15000);

  HWND main() const { return main_; }
  DWORD pid() const { return pid_; }

  // WM_COMMAND synchronously (false when the program did not answer in time)
  // or posted (for commands that open modal windows).
  bool Send(int command, DWORD wait_ms = 30000);
  void Post(int command);
  // Returns once the program's interface thread is back in its message loop
  // (whatever a closed dialog's caller still did is done then).
  bool Sync(DWORD wait_ms = 30000);
  // n ticks of the one-second timer, each handled before the next.
  void Tick(int n);
  // A published property of the main window (see app/app_win.h).
  int State(const char* name) const;

  // Visible dialogs and message boxes of the program's process (owned
  // windows of class #32770; not the changer or the canvas window).
  std::vector<Box> Boxes() const;
  // Waits for a box whose caption is `caption` (any box when empty).
  bool WaitForBox(const std::string& caption, Box& out, DWORD wait_ms = 15000) const;
  // Waits until no box of the process is visible and the interface thread
  // is back in a message loop.
  bool WaitNoBox(DWORD wait_ms = 10000);
  // Presses a button of a box (IDOK, IDYES, IDNO, IDCANCEL, or a control id).
  void Press(const Box& box, int id) const;
  // The top-level window of a class in the process (the map window "MAP_VIEW").
  HWND FindWindowOfClass(const char* class_name) const;
  // The process's dialogs that no window owns (the changer, the canvas
  // window), with their titles (Shift-JIS), shown or not.
  std::vector<std::pair<HWND, std::string>> TopDialogs() const;
  // A child window of the main window by class (a skin element).
  HWND Element(const char* class_name) const;

  // Drops a file on the main window (WM_DROPFILES with a DROPFILES block
  // written into the program's memory).
  bool DropFile(const std::string& path);
  // Copies a NUL-terminated string into the program's memory (for messages
  // whose parameter points at text, such as BFFM_SETSELECTIONA).
  void* RemoteString(const std::string& text);
  // Command 40020 with the folder browser answered: `folder` selected, OK.
  bool ChangeSkinTo(const std::string& folder);

 private:
  std::string folder_;
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
  HWND main_ = nullptr;
};

// Sets the text of a control of a box (an edit field).
void SetField(const Box& box, int id, const std::string& text);
// Clicks a check box or button of a box (BM_CLICK).
void Click(const Box& box, int id);
bool IsChecked(const Box& box, int id);

// Types a path into the file name field of a standard file dialog and presses OK.
void FillFileDialog(const Box& box, const std::string& path);

// Clicks the map window's picture at its centre (the planting position).
bool ClickMapCentre(App& app);

// Opens the new-canvas dialog (40006; the program must have no canvas yet, or
// the save question is answered No), fills width, height and interval and
// presses OK. Returns true when the dialog closed.
bool NewCanvas(App& app, const std::string& width, const std::string& height, const std::string& interval);

// Width, height and bit count of a BMP file's headers; false when unreadable.
bool BmpInfo(const std::string& path, int& width, int& height, int& bits);

// Writes a canvas file of the given size and background colour (no trees)
// with the program's own canvas file writer.
bool WriteCanvasFile(const std::string& path, int width, int height, COLORREF colour, int interval);

// Reads a REG_SZ value of HKEY_CURRENT_USER; `length` receives the number of
// characters stored (a terminating NUL included when one was stored). False
// when missing.
bool ReadUserString(const char* subkey, const char* value, std::string& out, DWORD* length = nullptr);
void DeleteUserValue(const char* subkey, const char* value);

// Captures what the window's client area shows on the screen into a picture.
bool CaptureWindow(HWND window, sylvane::Surface& out);
// CaptureWindow and write it as a PNG into the artifacts folder; returns the path.
std::string SaveScreenshot(HWND window, const std::string& name);

// Waits until cond() holds, letting time pass; false after wait_ms.
template <class Cond>
bool WaitUntil(Cond cond, DWORD wait_ms = 10000) {
  DWORD start = GetTickCount();
  while (!cond()) {
    if (GetTickCount() - start > wait_ms) return false;
    Sleep(50);
  }
  return true;
}

}  // namespace e2e
