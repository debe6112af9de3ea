#include "trees/ki_dialogs_win.h"

#include <commdlg.h>

#include "platform/platform_win.h"
#include "platform/text.h"
#include "trees/ki_file.h"
#include "trees/tree.h"

namespace sylvane {
namespace {

const char kKiFilter[] = "Ki (*.KI)\0*.KI\0";

// Shows the dialog; 0 with path when the user chose a file, -1 when cancelled.
// The folder the user ended in is copied back into folder.
int RunTreeFileDialog(HWND owner, bool save, std::string& folder, std::string& path) {
  char file[MAX_PATH + 1] = ".ki";
  std::string initial = folder;
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = kKiFilter;
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrInitialDir = initial.empty() ? nullptr : initial.c_str();
  ofn.lpstrTitle = save ? "樹を保存する" : "樹ファイルを開く";
  ofn.lpstrDefExt = save ? "ki" : nullptr;
  // The current folder stays the program's (OFN_NOCHANGEDIR); the folder
  // the user ended in is the chosen file's.
  ofn.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
              (save ? 0 : OFN_FILEMUSTEXIST);
  BOOL ok = save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn);
  if (!ok) return -1;
  path = file;
  const std::string chosen = FolderPart(path);
  if (!chosen.empty()) folder = chosen;
  return 0;
}

}  // namespace

int SaveTreeDialog(HWND owner, Tree& tree, std::string& folder) {
  int result = -1;
  // A dialog belongs to the interface thread; the growth worker hands it over.
  GetWin32Platform().RunOnInterfaceThread([&] {
    std::string path;
    if (RunTreeFileDialog(owner, true, folder, path) != 0) return;
    result = SaveTreeFile(tree, path) == 0 ? 0 : -1;
  });
  return result;
}

int OpenTreeDialog(HWND owner, Tree& tree, std::string& folder) {
  std::string path;
  if (RunTreeFileDialog(owner, false, folder, path) != 0) return -1;
  return LoadTreeFile(tree, path) == 0 ? 0 : -1;
}

void InstallTreeSaveDialog(HWND owner) {
  SetTreeSaveDialog([owner](Tree& tree, std::string& folder) { return SaveTreeDialog(owner, tree, folder); });
}

}  // namespace sylvane
