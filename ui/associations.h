// File associations and the startup shortcut, as data: the registry keys and
// values that associate ".syl" (canvas files) and ".ki" (tree files) with the
// program, the order in which they are written and deleted, the test of an
// existing association, and the shortcut's file. The Windows half
// (associations_win) does the registry and shell work with these.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace sylvane {

enum class DocumentKind { kCanvas, kTree };

// Everything written for one kind. Key paths are relative to the classes root.
struct AssociationKeys {
  std::string extension;       // ".syl" / ".ki"
  std::string prog_id;         // "SylvaneSYL" / "SylvaneKI"
  int icon_index = 0;          // 2 / 3
  std::string command_key;     // prog_id + "\shell\open\command"
  std::string command_value;   // program folder + "\sylvane %1"
  std::string icon_key;        // prog_id + "\DefaultIcon"
  std::string icon_value;      // program folder + "\sylvane.exe," + icon index
};

// The keys and values of kind for a program in program_folder (Shift-JIS, no
// trailing separator; one is added).
AssociationKeys AssociationFor(DocumentKind kind, std::string_view program_folder);

// One default value to write, in the order associate writes them.
struct AssociationWrite {
  std::string key;
  std::string value;
  int error_number;  // n of "RegCreateKeyExでエラーが発生しました<n>" when the key cannot be created
};
// Command key, extension key, DefaultIcon key.
std::vector<AssociationWrite> AssociationWrites(const AssociationKeys& keys);

// The keys dissociate deletes, in order: the command key, "\shell\open",
// "\shell", "\DefaultIcon", the ProgID and the extension.
std::vector<std::string> AssociationDeletions(const AssociationKeys& keys);

// The message of an association key that cannot be created, and its caption.
std::string AssociationCreateError(int error_number);
inline constexpr char kAssociationCreateCaption[] = "Error";

// Whether the first value of the command key, as read (data and its length
// in bytes, the terminating NUL included when it was stored), is the
// expected command: equal over the returned length.
bool CommandValueMatches(const char* data, size_t length, std::string_view expected);

// The registry form of a string value: its bytes without the terminating NUL.
inline size_t RegistryStringLength(std::string_view value) { return value.size(); }

// ---- startup shortcut ----

// The shortcut's name inside the Startup folder (with its leading separator).
inline constexpr char kStartupShortcutName[] = "\\シルヴァネ.lnk";
inline constexpr char kShortcutFailedText[] = "ショートカット作成失敗";

// startup_folder + "\シルヴァネ.lnk".
std::string StartupShortcutPath(std::string_view startup_folder);
// program_folder + "\sylvane.exe".
std::string ProgramExecutablePath(std::string_view program_folder);

}  // namespace sylvane
