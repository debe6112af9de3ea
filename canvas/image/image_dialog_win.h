// The open-image dialog with a live preview: the standard open dialog with a
// template (dialog 126) showing a 70 x 70 preview of the selected picture,
// its file name, width and height.
#pragma once
#include <windows.h>

#include <string>

#include "canvas/image/surface.h"

namespace sylvane {

// Shows the dialog titled `title`, starting in `folder` with the surface's
// path as the initial file name. 0 when the chosen picture was loaded into
// surface (its path set, the folder the user ended in copied back into
// folder); -1 when cancelled; -2 when the chosen file failed to load (the
// loader's message was shown).
int OpenImageDialog(HWND owner, Surface& surface, const char* title, std::string& folder);

}  // namespace sylvane
