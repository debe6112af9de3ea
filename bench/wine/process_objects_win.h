// Counts of what a process holds, read from outside it: GDI objects, USER
// objects and kernel handles. Windows answers through GetGuiResources and
// GetProcessHandleCount; Wine answers those with 0, so each count falls back
// to what Wine does keep (the process's GDI handle table, the system's handle
// list, and the windows the process owns).
#pragma once

#include <windows.h>

namespace bench {

struct ProcessObjects {
  long gdi = -1;      // GDI objects; -1: not readable
  long user = -1;     // USER objects, or with user_are_windows its windows; -1: not readable
  long handles = -1;  // kernel handles; -1: not readable
  bool user_are_windows = false;  // USER objects could not be read: windows counted instead
};

// The process handle needs PROCESS_QUERY_INFORMATION and PROCESS_VM_READ.
ProcessObjects CountProcessObjects(HANDLE process, DWORD pid);

}  // namespace bench
