// Conversions between Shift-JIS (code page 932, the text of files and of the
// Windows ...A calls) and UTF-8 (the console and JSON output), and path
// helpers that respect Shift-JIS trail bytes equal to '\'.
#pragma once
#include <string>
#include <string_view>

namespace sylvane {

// Invalid sequences become U+FFFD (or '?' going to Shift-JIS).
std::string SjisToUtf8(std::string_view sjis);
std::string Utf8ToSjis(std::string_view utf8);

// True when the byte starts a two-byte Shift-JIS character.
inline bool IsSjisLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// Index of the last path separator ('\' or '/') that is a real separator and
// not the trail byte of a Shift-JIS character; npos when there is none.
size_t LastPathSeparator(std::string_view path);
// "C:\a\b.ki" -> "b.ki"
std::string FileNamePart(std::string_view path);
// "C:\a\b.ki" -> "C:\a" (empty when the path has no separator)
std::string FolderPart(std::string_view path);
// Joins a folder and a name with the platform's separator.
std::string JoinPath(std::string_view folder, std::string_view name);

}  // namespace sylvane
