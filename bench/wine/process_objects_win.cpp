#include "process_objects_win.h"

#include <winternl.h>

#include <cstdint>
#include <vector>

namespace bench {
namespace {

// One entry of a process's GDI handle table, as the x64 PEB points to it.
struct GdiHandleEntry {
  uint64_t object;       // kernel-side address; 0 for a free entry
  uint32_t owner;        // owning process and lock count
  uint16_t unique;       // generation and extended type
  uint8_t type;          // object type; 0 for a free entry
  uint8_t flags;
  uint64_t user_pointer;
};
static_assert(sizeof(GdiHandleEntry) == 24, "the table's entry layout is fixed");
constexpr size_t kGdiTableEntries = 0x10000;
constexpr size_t kPebGdiTableOffset = 0xF8;  // PEB::GdiSharedHandleTable on x64

using QueryProcess = NTSTATUS(NTAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);
using QuerySystem = NTSTATUS(NTAPI*)(ULONG, PVOID, ULONG, PULONG);

template <typename F>
F NtRoutine(const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), name)));
}

// Live entries of the process's GDI handle table (stock objects included).
long GdiTableCount(HANDLE process) {
  auto query = NtRoutine<QueryProcess>("NtQueryInformationProcess");
  PROCESS_BASIC_INFORMATION basic{};
  ULONG length = 0;
  if (!query || query(process, ProcessBasicInformation, &basic, sizeof(basic), &length) != 0) return -1;
  uint64_t table = 0;
  SIZE_T read = 0;
  const char* peb = reinterpret_cast<const char*>(basic.PebBaseAddress);
  if (!ReadProcessMemory(process, peb + kPebGdiTableOffset, &table, sizeof(table), &read) || table == 0) return -1;
  std::vector<GdiHandleEntry> entries(kGdiTableEntries);
  if (!ReadProcessMemory(process, reinterpret_cast<const void*>(table), entries.data(),
                         entries.size() * sizeof(GdiHandleEntry), &read))
    return -1;
  long live = 0;
  for (const GdiHandleEntry& e : entries)
    if (e.type != 0 && e.object != 0) ++live;
  return live;
}

// One entry of the system's extended handle list.
struct SystemHandleEntry {
  PVOID object;
  ULONG_PTR process_id;
  ULONG_PTR handle;
  ULONG access;
  USHORT back_trace;
  USHORT type_index;
  ULONG attributes;
  ULONG reserved;
};
constexpr ULONG kSystemExtendedHandleInformation = 64;
constexpr NTSTATUS kInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004);

long SystemHandleCount(DWORD pid) {
  auto query = NtRoutine<QuerySystem>("NtQuerySystemInformation");
  if (!query) return -1;
  std::vector<char> buffer(1 << 20);
  for (;;) {
    ULONG needed = 0;
    NTSTATUS status = query(kSystemExtendedHandleInformation, buffer.data(), ULONG(buffer.size()), &needed);
    if (status == kInfoLengthMismatch && buffer.size() < (size_t(1) << 28)) {
      buffer.resize(buffer.size() * 2);
      continue;
    }
    if (status != 0) return -1;
    break;
  }
  // The list: a count and a reserved word, then the entries.
  const ULONG_PTR count = *reinterpret_cast<const ULONG_PTR*>(buffer.data());
  const size_t fits = (buffer.size() - 2 * sizeof(ULONG_PTR)) / sizeof(SystemHandleEntry);
  const auto* entries = reinterpret_cast<const SystemHandleEntry*>(buffer.data() + 2 * sizeof(ULONG_PTR));
  long owned = 0;
  for (ULONG_PTR i = 0; i < count && i < fits; ++i)
    if (entries[i].process_id == pid) ++owned;
  return owned;
}

struct WindowCount {
  DWORD pid;
  long windows;
};

BOOL CALLBACK CountChild(HWND w, LPARAM p) {
  auto* c = reinterpret_cast<WindowCount*>(p);
  DWORD owner = 0;
  GetWindowThreadProcessId(w, &owner);
  if (owner == c->pid) ++c->windows;
  return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND w, LPARAM p) {
  CountChild(w, p);
  EnumChildWindows(w, CountChild, p);
  return TRUE;
}

// Top-level, child and message-only windows of the process.
long WindowsOf(DWORD pid) {
  WindowCount c{pid, 0};
  EnumWindows(CountTopLevel, LPARAM(&c));
  for (HWND w = FindWindowExA(HWND_MESSAGE, nullptr, nullptr, nullptr); w;
       w = FindWindowExA(HWND_MESSAGE, w, nullptr, nullptr))
    CountTopLevel(w, LPARAM(&c));
  return c.windows;
}

}  // namespace

ProcessObjects CountProcessObjects(HANDLE process, DWORD pid) {
  ProcessObjects o;
  const DWORD gdi = GetGuiResources(process, GR_GDIOBJECTS);
  const DWORD user = GetGuiResources(process, GR_USEROBJECTS);
  o.gdi = gdi ? long(gdi) : GdiTableCount(process);
  if (user) {
    o.user = long(user);
  } else {
    o.user = WindowsOf(pid);
    o.user_are_windows = true;
  }
  DWORD handles = 0;
  o.handles = GetProcessHandleCount(process, &handles) && handles ? long(handles) : SystemHandleCount(pid);
  return o;
}

}  // namespace bench
