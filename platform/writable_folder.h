// Whether the program can keep its files in its own folder. The program
// writes "sylvane.ini" at start and at exit, "default.syl" at every exit and
// "default.bmp" (the wallpaper itself) at every update, all beside itself.
// Run from a folder it cannot write (a read-only copy, a CD, a protected
// system folder) it could not do its work and every one of those saves would
// fail with a message of its own; so start-up checks once, says so naming
// the folder, and ends before it has changed anything. Paths are Shift-JIS.
#pragma once
#include <string>

#include "platform/platform.h"

namespace sylvane {

enum class FolderWriteStatus {
  kWritable,           // a new file can be made there and the program's own files can be rewritten
  kMissing,            // the folder does not exist (or is not a folder)
  kCannotCreate,       // no new file can be made in the folder
  kReadOnlyFile,       // one of the program's own files there cannot be opened for writing
};

// The files the program rewrites in its folder, checked when they exist.
inline constexpr const char* kProgramFolderFiles[] = {"sylvane.ini", "default.syl", "default.bmp"};
// The probe made and removed again in the folder.
inline constexpr char kWriteProbeName[] = "sylvane-write-check.tmp";

// Makes, writes and removes a probe file in folder, and opens each existing
// file of kProgramFolderFiles for writing without changing it.
FolderWriteStatus CheckFolderWritable(const std::string& folder);

// The start-up message for a folder that cannot be written (Shift-JIS).
std::string ReadOnlyFolderMessage(const std::string& folder);
inline constexpr char kReadOnlyFolderCaption[] = "シルヴァネ";

// Start-up: checks platform's program folder and, when it cannot be written,
// shows ReadOnlyFolderMessage once. True when the folder is writable; false
// tells start-up to end.
bool WarnIfProgramFolderReadOnly(Platform& platform);

}  // namespace sylvane
