// The registry and shell work behind the associations page: associating
// ".syl" and ".ki" with the program, testing and removing the association,
// and the startup shortcut "シルヴァネ.lnk" in the user's Startup folder.
//
// The classes are written for the current user, under the key
// "Software\Classes" of HKEY_CURRENT_USER (the per-user part of
// HKEY_CLASSES_ROOT), where a program running without administrator rights
// may write.
#pragma once
#include <windows.h>

#include <string>

#include "ui/associations.h"

namespace sylvane {

// The key under which the classes are written, relative to HKEY_CURRENT_USER.
inline constexpr char kUserClassesKey[] = "Software\\Classes";

// Writes the command key, the extension key and the DefaultIcon key of kind.
// 0; -1 when a key cannot be created ("RegCreateKeyExでエラーが発生しました1"
// .. "3", caption "Error") or a value cannot be written (reported the same
// way with "RegSetValueExでエラーが発生しました"); keys written before stay.
int AssociateDocuments(DocumentKind kind, const std::string& program_folder);

// Deletes the keys of kind in the order of AssociationDeletions, stopping at
// the first that fails (-1). A kind whose command key does not exist counts
// as not associated: nothing is deleted and the result is 0. The extension
// key is left alone when it names another program's class.
int DissociateDocuments(DocumentKind kind, const std::string& program_folder);

// True when the command of kind is exactly the one this program writes.
bool DocumentsAssociated(DocumentKind kind, const std::string& program_folder);

// The current user's Startup folder; false when it cannot be obtained.
bool StartupFolder(std::string& folder);
// 1 when the shortcut exists, 0 when not, -1 when there is no Startup folder.
int StartupShortcutExists();
// Creates the shortcut to program_folder\sylvane.exe (working folder the
// program folder) with the shell link object. -1 when there is no Startup
// folder; otherwise 0, also when writing the shortcut failed (then
// "ショートカット作成失敗" was shown).
int CreateStartupShortcut(const std::string& program_folder);
// Deletes the shortcut (a missing one is no error). -1 when there is no
// Startup folder or the file cannot be deleted.
int RemoveStartupShortcut();

}  // namespace sylvane
