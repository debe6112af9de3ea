#include "ui/associations.h"

#include <cstring>

#include "platform/text.h"

namespace sylvane {
namespace {

// folder + "\" + name; a folder that already ends in a separator (a drive's
// root) gets none added.
std::string InFolder(std::string_view folder, std::string_view name) {
  std::string out(folder);
  if (out.empty() || LastPathSeparator(out) != out.size() - 1) out += '\\';
  out += name;
  return out;
}

}  // namespace

AssociationKeys AssociationFor(DocumentKind kind, std::string_view program_folder) {
  AssociationKeys k;
  if (kind == DocumentKind::kCanvas) {
    k.extension = ".syl";
    k.prog_id = "SylvaneSYL";
    k.icon_index = 2;
  } else {
    k.extension = ".ki";
    k.prog_id = "SylvaneKI";
    k.icon_index = 3;
  }
  k.command_key = k.prog_id + "\\shell\\open\\command";
  k.command_value = InFolder(program_folder, "sylvane %1");
  k.icon_key = k.prog_id + "\\DefaultIcon";
  k.icon_value = ProgramExecutablePath(program_folder) + "," + std::to_string(k.icon_index);
  return k;
}

std::vector<AssociationWrite> AssociationWrites(const AssociationKeys& keys) {
  return {
      {keys.command_key, keys.command_value, 1},
      {keys.extension, keys.prog_id, 2},
      {keys.icon_key, keys.icon_value, 3},
  };
}

std::vector<std::string> AssociationDeletions(const AssociationKeys& keys) {
  return {
      keys.command_key,
      keys.prog_id + "\\shell\\open",
      keys.prog_id + "\\shell",
      keys.icon_key,
      keys.prog_id,
      keys.extension,
  };
}

std::string AssociationCreateError(int error_number) {
  return "RegCreateKeyExでエラーが発生しました" + std::to_string(error_number);
}

bool CommandValueMatches(const char* data, size_t length, std::string_view expected) {
  if (!data) return false;
  // The stored value may or may not carry its NUL; compare the text part and
  // accept exactly the expected text followed by nothing but that NUL.
  size_t text = length;
  if (text > 0 && data[text - 1] == '\0') --text;
  if (text != expected.size()) return false;
  return std::memcmp(data, expected.data(), text) == 0;
}

std::string StartupShortcutPath(std::string_view startup_folder) {
  return std::string(startup_folder) + kStartupShortcutName;
}

std::string ProgramExecutablePath(std::string_view program_folder) { return InFolder(program_folder, "sylvane.exe"); }

}  // namespace sylvane
