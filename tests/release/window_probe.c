/* Plays the user in the Wine desktop for a while. Every visible top-level
 * dialog (class "#32770") is looked at every 200 ms:
 *  - a message box (it has the static text control 0xFFFF) is written to
 *    OUTFILE once, as one UTF-8 line "caption|text", and answered with the
 *    button ANSWER when it has one (e.g. 6 Yes, 7 No), with OK otherwise;
 *  - any other dialog (a setup wizard) gets its default button (id 1: Next,
 *    Install, Uninstall, Close) pressed about once a second while enabled.
 * Usage: window_probe OUTFILE SECONDS [ANSWER]
 * Built by tests/release/release_test with the MinGW-w64 compiler. */
#include <windows.h>
#include <stdio.h>

#define MAX_SEEN 64
#define MESSAGE_TEXT_ID 0xFFFF

static HWND seen[MAX_SEEN];
static int seen_count;
static FILE *out;
static int answer = IDOK;
static int tick;

static void write_utf8(const wchar_t *text) {
  char buffer[8192];
  int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, buffer, sizeof buffer, NULL, NULL);
  if (n > 0) fputs(buffer, out);
}

static int already_seen(HWND window) {
  for (int i = 0; i < seen_count; ++i)
    if (seen[i] == window) return 1;
  if (seen_count < MAX_SEEN) seen[seen_count++] = window;
  return 0;
}

static void press(HWND dialog, int id) {
  HWND button = GetDlgItem(dialog, id);
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)button);
}

static BOOL CALLBACK visit(HWND window, LPARAM unused) {
  (void)unused;
  wchar_t class_name[64], caption[512], text[4096];
  if (!IsWindowVisible(window)) return TRUE;
  if (!GetClassNameW(window, class_name, 64) || lstrcmpW(class_name, L"#32770") != 0) return TRUE;
  HWND message = GetDlgItem(window, MESSAGE_TEXT_ID);
  if (!message) {
    HWND next = GetDlgItem(window, IDOK);
    if (next && IsWindowEnabled(next) && IsWindowVisible(next) && tick % 5 == 0) press(window, IDOK);
    return TRUE;
  }
  if (already_seen(window)) return TRUE;
  GetWindowTextW(window, caption, 512);
  GetWindowTextW(message, text, 4096);
  /* Newlines would split the line: the test looks for words, not layout. */
  for (wchar_t *c = text; *c; ++c)
    if (*c == L'\r' || *c == L'\n') *c = L' ';
  write_utf8(caption);
  fputs("|", out);
  write_utf8(text);
  fputs("\n", out);
  fflush(out);
  press(window, GetDlgItem(window, answer) ? answer : IDOK);
  return TRUE;
}

int wmain(int argc, wchar_t **argv) {
  if (argc != 3 && argc != 4) {
    fputs("usage: window_probe OUTFILE SECONDS [ANSWER]\n", stderr);
    return 2;
  }
  out = _wfopen(argv[1], L"wb");
  if (!out) return 1;
  if (argc == 4) answer = _wtoi(argv[3]);
  DWORD end = GetTickCount() + (DWORD)_wtoi(argv[2]) * 1000;
  for (; (LONG)(end - GetTickCount()) > 0; ++tick) {
    EnumWindows(visit, 0);
    Sleep(200);
  }
  fputs("end\n", out);
  fclose(out);
  return 0;
}
