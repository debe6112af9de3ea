// Internal to the image readers and writers: the message texts they share and
// the hand-over of a decoded picture into the caller's surface.
#pragma once
#include <string>
#include <vector>

#include "canvas/image/surface.h"

namespace sylvane::image_detail {

inline constexpr const char* kCaptionFailure = "失敗";
inline constexpr const char* kCaptionError = "エラー";
inline constexpr const char* kTooLargeText = "画像が大きすぎます。";
inline constexpr const char* kUnsupportedText = "ファイルの読み込みに失敗しました。未対応のファイルです。";

// True when width x height may become a surface (both sides 1..kMaxSurfaceSide).
inline bool FitsSurface(long long width, long long height) { return IsAcceptableSize(width, height); }

// Moves the pixels, size and headers of a freshly decoded picture into out;
// out's path and anything else it carries are left alone.
inline void AdoptPicture(Surface& out, Surface& decoded) {
  out.pixels.swap(decoded.pixels);
  out.info = decoded.info;
  out.file_header = decoded.file_header;
  out.width = decoded.width;
  out.height = decoded.height;
  out.stride = decoded.stride;
}

// Writes bytes atomically for a writer: 0, or the writer's failure code after
// showing open_text when the file cannot be created, write_text when writing
// it fails. An empty `bytes` (the encoder failed) counts as a write failure.
int WriteEncoded(const std::string& path, const std::vector<uint8_t>& bytes, bool encoded, int failure_code,
                 const char* open_text, const char* write_text, const char* caption);

}  // namespace sylvane::image_detail
