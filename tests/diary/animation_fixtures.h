// Frames for the animation tests and readers of the written files through the
// libraries' own decoders (WebPAnimDecoder, DGifSlurp).
#pragma once
#include <gif_lib.h>
#include <gtest/gtest.h>
#include <webp/demux.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/file_io.h"
#include "canvas/image/surface.h"

namespace sylvane::testing {

// A frame of few colours: a background of colour (r, g, b) with a 10 x 10
// white square whose left edge is at x.
inline Surface PatternFrame(int w, int h, uint8_t r, uint8_t g, uint8_t b, int x) {
  Surface s;
  s.Create(w, h);
  for (int y = 0; y < h; ++y) {
    for (int c = 0; c < w; ++c) {
      uint8_t* p = s.PixelAt(c, y);
      const bool square = c >= x && c < x + 10 && y >= 5 && y < 15;
      p[0] = square ? 255 : b;
      p[1] = square ? 255 : g;
      p[2] = square ? 255 : r;
    }
  }
  s.RefreshHeaders();
  return s;
}

// A decoded animation: whole frames as red-green-blue-alpha rows, top-down.
struct DecodedAnimation {
  int width = 0;
  int height = 0;
  int loop_count = -1;
  std::vector<std::vector<uint8_t>> frames;
  std::vector<int> end_times;  // WebP: milliseconds; GIF: hundredths (sum of delays)

  const uint8_t* Pixel(size_t frame, int x, int y) const {
    return frames[frame].data() + (size_t(y) * size_t(width) + size_t(x)) * 4;
  }
};

inline bool DecodeWebpAnimation(const std::string& path, DecodedAnimation& out) {
  std::vector<uint8_t> bytes;
  if (ReadWholeFile(path, bytes) != ReadFileStatus::kOk) return false;
  WebPData data{bytes.data(), bytes.size()};
  WebPAnimDecoderOptions options;
  WebPAnimDecoderOptionsInit(&options);
  options.color_mode = MODE_RGBA;
  WebPAnimDecoder* decoder = WebPAnimDecoderNew(&data, &options);
  if (!decoder) return false;
  WebPAnimInfo info;
  WebPAnimDecoderGetInfo(decoder, &info);
  out.width = int(info.canvas_width);
  out.height = int(info.canvas_height);
  out.loop_count = int(info.loop_count);
  while (WebPAnimDecoderHasMoreFrames(decoder)) {
    uint8_t* rgba = nullptr;
    int timestamp = 0;
    if (!WebPAnimDecoderGetNext(decoder, &rgba, &timestamp)) break;
    out.frames.emplace_back(rgba, rgba + size_t(out.width) * size_t(out.height) * 4);
    out.end_times.push_back(timestamp);
  }
  WebPAnimDecoderDelete(decoder);
  return true;
}

// Paints every GIF image over the last (the writer disposes of nothing).
inline bool DecodeGifAnimation(const std::string& path, DecodedAnimation& out) {
  int error = 0;
  GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
  if (!gif) return false;
  if (DGifSlurp(gif) != GIF_OK) {
    DGifCloseFile(gif, &error);
    return false;
  }
  out.width = gif->SWidth;
  out.height = gif->SHeight;
  std::vector<uint8_t> canvas(size_t(out.width) * size_t(out.height) * 4, 0);
  int time = 0;
  for (int i = 0; i < gif->ImageCount; ++i) {
    const SavedImage& image = gif->SavedImages[i];
    GraphicsControlBlock control;
    if (DGifSavedExtensionToGCB(gif, i, &control) == GIF_OK) time += control.DelayTime;
    const ColorMapObject* map = image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
    if (!map) break;
    const GifImageDesc& d = image.ImageDesc;
    for (int y = 0; y < d.Height; ++y) {
      for (int x = 0; x < d.Width; ++x) {
        const GifColorType c = map->Colors[image.RasterBits[size_t(y) * size_t(d.Width) + size_t(x)]];
        uint8_t* p = canvas.data() + (size_t(d.Top + y) * size_t(out.width) + size_t(d.Left + x)) * 4;
        p[0] = c.Red, p[1] = c.Green, p[2] = c.Blue, p[3] = 255;
      }
    }
    out.frames.push_back(canvas);
    out.end_times.push_back(time);
  }
  // The looping application extension comes before the first image, so
  // giflib hands it over with that image's extensions.
  if (gif->ImageCount > 0) {
    const SavedImage& first = gif->SavedImages[0];
    for (int e = 0; e + 1 < first.ExtensionBlockCount; ++e) {
      const ExtensionBlock& b = first.ExtensionBlocks[e];
      if (b.Function == APPLICATION_EXT_FUNC_CODE && b.ByteCount == 11 &&
          std::string(reinterpret_cast<const char*>(b.Bytes), 11) == "NETSCAPE2.0") {
        const ExtensionBlock& n = first.ExtensionBlocks[e + 1];
        if (n.ByteCount >= 3) out.loop_count = n.Bytes[1] | (n.Bytes[2] << 8);
      }
    }
  }
  DGifCloseFile(gif, &error);
  return true;
}

// Largest difference of one colour channel between a decoded pixel (RGBA)
// and a surface pixel (BGR).
inline int ChannelDifference(const uint8_t* rgba, const uint8_t* bgr) {
  return std::max({std::abs(rgba[0] - bgr[2]), std::abs(rgba[1] - bgr[1]), std::abs(rgba[2] - bgr[0])});
}

}  // namespace sylvane::testing
