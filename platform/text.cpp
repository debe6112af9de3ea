#include "platform/text.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <iconv.h>
#endif

#include <vector>

namespace sylvane {

#ifdef _WIN32
namespace {
std::string Convert(std::string_view in, UINT from, UINT to) {
  if (in.empty()) return {};
  int wlen = MultiByteToWideChar(from, 0, in.data(), int(in.size()), nullptr, 0);
  std::wstring w(size_t(wlen), L'\0');
  MultiByteToWideChar(from, 0, in.data(), int(in.size()), w.data(), wlen);
  int len = WideCharToMultiByte(to, 0, w.data(), wlen, nullptr, 0, nullptr, nullptr);
  std::string out(size_t(len), '\0');
  WideCharToMultiByte(to, 0, w.data(), wlen, out.data(), len, nullptr, nullptr);
  return out;
}
}  // namespace
std::string SjisToUtf8(std::string_view sjis) { return Convert(sjis, 932, CP_UTF8); }
std::string Utf8ToSjis(std::string_view utf8) { return Convert(utf8, CP_UTF8, 932); }
#else
namespace {
std::string Convert(std::string_view in, const char* from, const char* to, const char* replacement) {
  iconv_t cd = iconv_open(to, from);
  if (cd == iconv_t(-1)) return std::string(in);
  std::string out;
  std::vector<char> buf(in.size() * 4 + 16);
  char* src = const_cast<char*>(in.data());
  size_t src_left = in.size();
  while (src_left > 0) {
    char* dst = buf.data();
    size_t dst_left = buf.size();
    size_t r = iconv(cd, &src, &src_left, &dst, &dst_left);
    out.append(buf.data(), size_t(dst - buf.data()));
    if (r == size_t(-1)) {
      if (errno == E2BIG) continue;
      // An invalid or incomplete sequence: replace one byte and go on.
      out += replacement;
      ++src;
      --src_left;
    }
  }
  iconv_close(cd);
  return out;
}
}  // namespace
std::string SjisToUtf8(std::string_view sjis) { return Convert(sjis, "CP932", "UTF-8", "\xEF\xBF\xBD"); }
std::string Utf8ToSjis(std::string_view utf8) { return Convert(utf8, "UTF-8", "CP932", "?"); }
#endif

size_t LastPathSeparator(std::string_view path) {
  size_t last = std::string_view::npos;
  for (size_t i = 0; i < path.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(path[i]);
    if (IsSjisLeadByte(c) && i + 1 < path.size()) {
      ++i;  // skip the trail byte, which may be 0x5C
      continue;
    }
    if (c == '\\' || c == '/') last = i;
  }
  return last;
}

std::string FileNamePart(std::string_view path) {
  size_t sep = LastPathSeparator(path);
  return std::string(sep == std::string_view::npos ? path : path.substr(sep + 1));
}

std::string FolderPart(std::string_view path) {
  size_t sep = LastPathSeparator(path);
  return sep == std::string_view::npos ? std::string() : std::string(path.substr(0, sep));
}

std::string JoinPath(std::string_view folder, std::string_view name) {
  if (folder.empty()) return std::string(name);
  std::string out(folder);
  if (LastPathSeparator(out) != out.size() - 1) {
#ifdef _WIN32
    out += '\\';
#else
    out += '/';
#endif
  }
  out += name;
  return out;
}

}  // namespace sylvane
