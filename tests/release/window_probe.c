/* Watches the Wine desktop for message boxes for a while, as a user would see
 * them: every visible top-level dialog (class "#32770") that appears is
 * written to OUTFILE as one UTF-8 line "caption|text" and answered with OK.
 * Usage: window_probe OUTFILE SECONDS
 * Built by tests/release/release_test with the MinGW-w64 compiler. */
#include <windows.h>
#include <stdio.h>

#define MAX_SEEN 64

static HWND seen[MAX_SEEN];
static int seen_count;
static FILE *out;

static void write_utf8(const wchar_t *text) {
  char buffer[8192];
  int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, buffer, sizeof buffer, NULL, NULL);
  if (n > 0) fputs(buffer, out);
}

/* The message of a message box: its static text (control id 0xFFFF). */
static void message_text(HWND box, wchar_t *text, int size) {
  text[0] = 0;
  GetDlgItemTextW(box, 0xFFFF, text, size);
  /* Newlines would split the line: the test looks for words, not layout. */
  for (wchar_t *c = text; *c; ++c)
    if (*c == L'\r' || *c == L'\n') *c = L' ';
}

static BOOL CALLBACK visit(HWND window, LPARAM unused) {
  (void)unused;
  wchar_t class_name[64], caption[512], text[4096];
  if (!IsWindowVisible(window)) return TRUE;
  if (!GetClassNameW(window, class_name, 64) || lstrcmpW(class_name, L"#32770") != 0) return TRUE;
  for (int i = 0; i < seen_count; ++i)
    if (seen[i] == window) return TRUE;
  if (seen_count < MAX_SEEN) seen[seen_count++] = window;
  GetWindowTextW(window, caption, 512);
  message_text(window, text, 4096);
  write_utf8(caption);
  fputs("|", out);
  write_utf8(text);
  fputs("\n", out);
  fflush(out);
  PostMessageW(window, WM_COMMAND, IDOK, 0);
  return TRUE;
}

int wmain(int argc, wchar_t **argv) {
  if (argc != 3) {
    fputs("usage: window_probe OUTFILE SECONDS\n", stderr);
    return 2;
  }
  out = _wfopen(argv[1], L"wb");
  if (!out) return 1;
  DWORD end = GetTickCount() + (DWORD)_wtoi(argv[2]) * 1000;
  while ((LONG)(end - GetTickCount()) > 0) {
    EnumWindows(visit, 0);
    Sleep(200);
  }
  fputs("end\n", out);
  fclose(out);
  return 0;
}
