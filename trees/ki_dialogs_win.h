// The tree file dialogs: "樹を保存する" and "樹ファイルを開く" (filter
// "Ki (*.KI)"). Shown on the interface thread: called from the growth worker
// (a mutant to be saved), the dialog is handed to the interface thread.
#pragma once
#include <windows.h>

#include <string>

namespace sylvane {

struct Tree;

// Save dialog with folder as the initial folder; after OK the folder the user
// ended in is copied back and the tree saved. 0 saved; -1 cancelled or failed.
int SaveTreeDialog(HWND owner, Tree& tree, std::string& folder);
// Open dialog; after OK the folder is copied back and the tree loaded into
// tree. 0 loaded; -1 cancelled or failed (the loader's message).
int OpenTreeDialog(HWND owner, Tree& tree, std::string& folder);
// Makes SaveTreeDialog the save dialog of mutation handling.
void InstallTreeSaveDialog(HWND owner);

}  // namespace sylvane
