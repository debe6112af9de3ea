#include "ui/associations_win.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <vector>

#include "platform/handles_win.h"
#include "platform/platform.h"

namespace sylvane {
namespace {

std::string ClassesPath(const std::string& key) { return std::string(kUserClassesKey) + "\\" + key; }

using win::RegKey;

// Creates key and sets its default value; 0, or -1 after the message.
int WriteDefaultValue(const AssociationWrite& w) {
  RegKey key;
  DWORD disposition = 0;
  LONG r = RegCreateKeyExA(HKEY_CURRENT_USER, ClassesPath(w.key).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                           KEY_ALL_ACCESS, nullptr, key.out(), &disposition);
  if (r != ERROR_SUCCESS) {
    ShowMessage(AssociationCreateError(w.error_number), kAssociationCreateCaption);
    return -1;
  }
  // The stored length leaves out the terminating NUL.
  r = RegSetValueExA(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(w.value.c_str()),
                     static_cast<DWORD>(RegistryStringLength(w.value)));
  if (r != ERROR_SUCCESS) {
    ShowMessage("RegSetValueExでエラーが発生しました" + std::to_string(w.error_number), kAssociationCreateCaption);
    return -1;
  }
  return 0;
}

// The default value of a key under the user's classes; false when the key or
// a string value is missing. data keeps the bytes as stored.
bool ReadDefaultValue(const std::string& key_path, REGSAM access, std::vector<char>& data) {
  RegKey key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, ClassesPath(key_path).c_str(), 0, access, key.out()) != ERROR_SUCCESS)
    return false;
  char buffer[MAX_PATH] = {};
  DWORD size = sizeof(buffer);
  DWORD type = 0;
  if (RegQueryValueExA(key.get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
      ERROR_SUCCESS)
    return false;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
  data.assign(buffer, buffer + size);
  return true;
}

}  // namespace

int AssociateDocuments(DocumentKind kind, const std::string& program_folder) {
  const AssociationKeys keys = AssociationFor(kind, program_folder);
  for (const AssociationWrite& w : AssociationWrites(keys))
    if (WriteDefaultValue(w) != 0) return -1;
  SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
  return 0;
}

int DissociateDocuments(DocumentKind kind, const std::string& program_folder) {
  const AssociationKeys keys = AssociationFor(kind, program_folder);
  // Held open while the keys go, as a sign the association is there at all.
  RegKey command;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, ClassesPath(keys.command_key).c_str(), 0, KEY_ALL_ACCESS, command.out()) !=
      ERROR_SUCCESS)
    return 0;
  for (const std::string& key : AssociationDeletions(keys)) {
    if (key == keys.extension) {
      // The extension may by now belong to another program: its key stays then.
      std::vector<char> owner;
      if (ReadDefaultValue(key, KEY_READ, owner) && !CommandValueMatches(owner.data(), owner.size(), keys.prog_id))
        continue;
    }
    if (RegDeleteKeyA(HKEY_CURRENT_USER, ClassesPath(key).c_str()) != ERROR_SUCCESS) return -1;
  }
  SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
  return 0;
}

bool DocumentsAssociated(DocumentKind kind, const std::string& program_folder) {
  const AssociationKeys keys = AssociationFor(kind, program_folder);
  std::vector<char> data;
  if (!ReadDefaultValue(keys.command_key, KEY_READ, data)) return false;
  return CommandValueMatches(data.data(), data.size(), keys.command_value);
}

bool StartupFolder(std::string& folder) {
  char path[MAX_PATH] = {};
  if (!SHGetSpecialFolderPathA(nullptr, path, CSIDL_STARTUP, FALSE)) return false;
  folder = path;
  return true;
}

int StartupShortcutExists() {
  std::string folder;
  if (!StartupFolder(folder)) return -1;
  WIN32_FIND_DATAA found{};
  HANDLE h = FindFirstFileA(StartupShortcutPath(folder).c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return 0;
  FindClose(h);
  return 1;
}

int CreateStartupShortcut(const std::string& program_folder) {
  std::string folder;
  if (!StartupFolder(folder)) return -1;
  const std::string shortcut = StartupShortcutPath(folder);
  const std::string target = ProgramExecutablePath(program_folder);
  const HRESULT com = CoInitialize(nullptr);
  bool written = false;
  {
    win::ComPtr<IShellLinkA> link;
    win::ComPtr<IPersistFile> file;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.out())) &&
        SUCCEEDED(link->SetPath(target.c_str())) && SUCCEEDED(link->SetWorkingDirectory(program_folder.c_str())) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, file.out()))) {
      wchar_t wide[MAX_PATH] = {};
      if (MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, shortcut.c_str(), -1, wide, MAX_PATH) > 0)
        written = SUCCEEDED(file->Save(wide, TRUE));
    }
  }
  if (SUCCEEDED(com)) CoUninitialize();
  if (!written) ShowMessage(kShortcutFailedText, "");
  return 0;
}

int RemoveStartupShortcut() {
  std::string folder;
  if (!StartupFolder(folder)) return -1;
  if (DeleteFileA(StartupShortcutPath(folder).c_str())) return 0;
  const DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? 0 : -1;
}

}  // namespace sylvane
