#include "canvas/image/animation.h"

#include <gif_lib.h>
#include <webp/encode.h>
#include <webp/mux.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <vector>

#include "base/file_io.h"
#include "canvas/image/image_common.h"
#include "canvas/image/resample.h"
#include "platform/platform.h"

namespace sylvane {

using image_detail::kCaptionFailure;

namespace {

// GIF sizes are 16-bit.
constexpr int kMaxGifSide = 65535;

std::string LowerExtension(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  std::string ext = path.substr(dot + 1);
  for (char& c : ext)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return ext;
}

// Milliseconds (WebP) or hundredths (GIF) from the start to frame `index`,
// rounded, so that the delays add up to the right length.
int TimeOfFrame(int index, int fps, int units_per_second) {
  return int((int64_t(index) * units_per_second + fps / 2) / fps);
}

}  // namespace

// A GIF frame's palette of at most 256 colours and the pixels' indices into
// it. giflib's median cut (GifQuantizeBuffer) chooses the colour boxes on 5
// bits a channel; each box's colour is then the mean of the frame's own
// pixels in it, so that a frame of few colours keeps them exactly. With
// dithering, each pixel's error is carried on to its neighbours
// (Floyd-Steinberg, scaled by the dither strength). Integer arithmetic
// throughout, so that the bytes do not depend on the platform.
struct GifPalette {
  static constexpr int kCells = 1 << 15;  // 5-bit red-green-blue cells

  int w = 0, h = 0;                           // the rectangle's size
  std::vector<uint8_t> red, green, blue;      // its pixels, top-down, w * h each
  std::vector<uint8_t> indices;               // their palette indices
  GifColorType colours[256] = {};
  int count = 0;                              // colours in use, 1..256
  std::vector<int16_t> cell_colour;           // the colour of each cell, -1 while not known
  std::vector<int64_t> cell_sums;             // per cell: sums of red, green, blue, and the pixel count
  std::vector<int> occupied;                  // the cells with pixels, ascending
  static constexpr int kRefineRounds = 3;     // k-means rounds after the median cut

  static int CellOf(int r, int g, int b) { return ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3); }

  // Copies the rectangle (left, top, w x h) out of a frame.
  void Take(const Surface& frame, int left, int top, int width, int height) {
    w = width, h = height;
    const size_t n = size_t(w) * size_t(h);
    red.resize(n), green.resize(n), blue.resize(n), indices.resize(n);
    for (int y = 0; y < h; ++y) {
      const uint8_t* src = frame.PixelAt(left, top + y);
      const size_t row = size_t(y) * size_t(w);
      for (int x = 0; x < w; ++x) {
        blue[row + size_t(x)] = src[x * 3];
        green[row + size_t(x)] = src[x * 3 + 1];
        red[row + size_t(x)] = src[x * 3 + 2];
      }
    }
  }

  struct Rgb {
    int r, g, b;
  };

  // The palette entry nearest to a colour (the first of equals).
  int NearestTo(Rgb c) const {
    int best = 0, best_distance = INT32_MAX;
    for (int i = 0; i < count; ++i) {
      const int dr = colours[i].Red - c.r, dg = colours[i].Green - c.g, db = colours[i].Blue - c.b;
      const int d = dr * dr + dg * dg + db * db;
      if (d < best_distance) best = i, best_distance = d;
    }
    return best;
  }

  // The mean of an occupied cell's pixels.
  Rgb CellMean(int cell) const {
    const int64_t* s = cell_sums.data() + size_t(cell) * 4;
    const int64_t n = s[3];
    return Rgb{int((s[0] + n / 2) / n), int((s[1] + n / 2) / n), int((s[2] + n / 2) / n)};
  }

  // The colour of a cell: its own when it has pixels, else (a colour reached
  // by dithering) the entry nearest to its centre.
  int ColourOfCell(int cell) {
    if (cell_colour[size_t(cell)] < 0)
      cell_colour[size_t(cell)] =
          int16_t(NearestTo(Rgb{((cell >> 10) << 3) + 4, (((cell >> 5) & 31) << 3) + 4, ((cell & 31) << 3) + 4}));
    return cell_colour[size_t(cell)];
  }

  // Each colour in use becomes the mean of the pixels of its cells.
  void Means() {
    int64_t sums[256][4] = {};
    for (int c : occupied) {
      const int64_t* s = cell_sums.data() + size_t(c) * 4;
      int64_t* to = sums[cell_colour[size_t(c)]];
      for (int j = 0; j < 4; ++j) to[j] += s[j];
    }
    for (int k = 0; k < count; ++k) {
      const int64_t n = sums[k][3];
      if (n == 0) continue;
      colours[k].Red = uint8_t((sums[k][0] + n / 2) / n);
      colours[k].Green = uint8_t((sums[k][1] + n / 2) / n);
      colours[k].Blue = uint8_t((sums[k][2] + n / 2) / n);
    }
  }

  // Makes the palette and the indices of the rectangle taken; false when the
  // quantizer fails (out of memory).
  bool Quantize(float dither) {
    count = 256;
    {
      // The quantizer keeps its sort axis in a global variable.
      static std::mutex quantizer_lock;
      std::lock_guard<std::mutex> hold(quantizer_lock);
      if (GifQuantizeBuffer(unsigned(w), unsigned(h), &count, red.data(), green.data(), blue.data(), indices.data(),
                            colours) != GIF_OK)
        return false;
    }
    // The pixels by cell: their sums and counts, for the means below.
    cell_sums.assign(size_t(kCells) * 4, 0);
    occupied.clear();
    const size_t n = indices.size();
    for (size_t i = 0; i < n; ++i) {
      const size_t c = size_t(CellOf(red[i], green[i], blue[i])) * 4;
      if (cell_sums[c + 3] == 0) occupied.push_back(int(c / 4));
      cell_sums[c] += red[i], cell_sums[c + 1] += green[i], cell_sums[c + 2] += blue[i];
      ++cell_sums[c + 3];
    }
    std::sort(occupied.begin(), occupied.end());
    cell_colour.assign(kCells, -1);
    for (size_t i = 0; i < n; ++i) cell_colour[size_t(CellOf(red[i], green[i], blue[i]))] = int16_t(indices[i]);
    // The boxes' colours as the means of their pixels, then a few rounds of
    // moving each cell to its nearest colour and the colours to their cells'
    // means (k-means), which the boxes of the median cut leave room for.
    for (int round = 0; round <= kRefineRounds; ++round) {
      if (round > 0)
        for (int c : occupied) cell_colour[size_t(c)] = int16_t(NearestTo(CellMean(c)));
      Means();
    }
    for (size_t i = 0; i < n; ++i) indices[i] = uint8_t(cell_colour[size_t(CellOf(red[i], green[i], blue[i]))]);
    const int strength = int(std::lround(std::clamp(dither, 0.0f, 1.0f) * 256));
    if (strength > 0) Dither(strength);
    return true;
  }

  // Floyd-Steinberg over the rectangle; errors in 1/16 units of a channel
  // step times strength/256.
  void Dither(int strength) {
    const size_t row_cells = size_t(w) + 2;
    std::vector<int> this_row(row_cells * 3, 0), next_row(row_cells * 3, 0);
    for (int y = 0; y < h; ++y) {
      std::fill(next_row.begin(), next_row.end(), 0);
      for (int x = 0; x < w; ++x) {
        const size_t i = size_t(y) * size_t(w) + size_t(x);
        const size_t e = (size_t(x) + 1) * 3;
        const int want[3] = {red[i] + this_row[e] / 16, green[i] + this_row[e + 1] / 16,
                             blue[i] + this_row[e + 2] / 16};
        const int r = std::clamp(want[0], 0, 255), g = std::clamp(want[1], 0, 255), b = std::clamp(want[2], 0, 255);
        const int k = ColourOfCell(CellOf(r, g, b));
        indices[i] = uint8_t(k);
        const int got[3] = {colours[k].Red, colours[k].Green, colours[k].Blue};
        const int have[3] = {r, g, b};
        for (int c = 0; c < 3; ++c) {
          const int error = (have[c] - got[c]) * strength / 256;
          this_row[e + 3 + size_t(c)] += error * 7;
          next_row[e - 3 + size_t(c)] += error * 3;
          next_row[e + size_t(c)] += error * 5;
          next_row[e + 3 + size_t(c)] += error;
        }
      }
      std::swap(this_row, next_row);
    }
  }
};

struct AnimationWriter::State {
  AnimationFormat format = AnimationFormat::kWebp;
  int width = 0;
  int height = 0;
  int fps = 0;
  int frames = 0;
  AnimationSettings settings;
  AtomicFile file;

  // WebP
  WebPAnimEncoder* encoder = nullptr;
  WebPConfig config;
  WebPPicture picture;
  bool picture_ready = false;

  // GIF
  GifFileType* gif = nullptr;
  std::vector<uint8_t> previous;  // the last frame's blue-green-red rows, top-down, width * 3 bytes each
  GifPalette palette;             // the changed rectangle of the frame being added, with its palette

  const char* OpenText() const {
    return format == AnimationFormat::kWebp ? "ファイルオープンに失敗しました。WRITE_WEBP"
                                            : "ファイルオープンに失敗しました。WRITE_GIF";
  }
  const char* WriteText() const {
    return format == AnimationFormat::kWebp ? "ファイルの書き込みに失敗しました。WRITE_WEBP"
                                            : "ファイルの書き込みに失敗しました。WRITE_GIF";
  }

  ~State() {
    if (encoder) WebPAnimEncoderDelete(encoder);
    if (picture_ready) WebPPictureFree(&picture);
    if (gif) EGifCloseFile(gif, nullptr);
    file.Abandon();
  }

  int OpenWebp();
  int AddWebp(const Surface& frame);
  int FinishWebp();
  int OpenGif();
  int AddGif(const Surface& frame);
  int FinishGif();
};

namespace {

int GifOutput(GifFileType* gif, const GifByteType* data, int length) {
  auto* file = static_cast<AtomicFile*>(gif->UserData);
  return length >= 0 && file->Write(data, size_t(length)) ? length : 0;
}

}  // namespace

int AnimationWriter::State::OpenWebp() {
  if (!WebPConfigInit(&config) || !WebPPictureInit(&picture)) return kAnimationEncodeFailed;
  config.quality = float(std::clamp(settings.webp_quality, 0, 100));
  config.method = std::clamp(settings.webp_method, 0, 6);
  config.thread_level = 1;
  WebPAnimEncoderOptions options;
  if (!WebPAnimEncoderOptionsInit(&options)) return kAnimationEncodeFailed;
  options.anim_params.loop_count = 0;  // forever
  options.allow_mixed = 0;
  encoder = WebPAnimEncoderNew(width, height, &options);
  if (!encoder) return kAnimationEncodeFailed;
  picture.width = width;
  picture.height = height;
  picture.use_argb = 1;
  if (!WebPPictureAlloc(&picture)) return kAnimationEncodeFailed;
  picture_ready = true;
  return kAnimationOk;
}

int AnimationWriter::State::AddWebp(const Surface& frame) {
  // The surface's rows are bottom-up: start at the top row and step backwards.
  const uint8_t* top = frame.BufferRow(frame.height - 1);
  if (!WebPPictureImportBGR(&picture, top, -frame.stride)) return kAnimationEncodeFailed;
  if (!WebPAnimEncoderAdd(encoder, &picture, TimeOfFrame(frames, fps, 1000), &config))
    return kAnimationEncodeFailed;
  return kAnimationOk;
}

int AnimationWriter::State::FinishWebp() {
  if (!WebPAnimEncoderAdd(encoder, nullptr, TimeOfFrame(frames, fps, 1000), nullptr)) return kAnimationEncodeFailed;
  WebPData data;
  WebPDataInit(&data);
  if (!WebPAnimEncoderAssemble(encoder, &data)) return kAnimationEncodeFailed;
  // The encoded frames are no longer needed once assembled.
  WebPAnimEncoderDelete(encoder);
  encoder = nullptr;
  const bool written = file.Write(data.bytes, data.size);
  WebPDataClear(&data);
  return written ? kAnimationOk : kAnimationWriteFailed;
}

int AnimationWriter::State::OpenGif() {
  int error = 0;
  gif = EGifOpen(&file, GifOutput, &error);
  if (!gif) return kAnimationWriteFailed;
  EGifSetGifVersion(gif, true);
  if (EGifPutScreenDesc(gif, width, height, 8, 0, nullptr) != GIF_OK) return kAnimationWriteFailed;
  // The application extension that makes players loop forever.
  static const uint8_t kNetscape[] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
  static const uint8_t kLoopForever[] = {1, 0, 0};
  if (EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) != GIF_OK ||
      EGifPutExtensionBlock(gif, sizeof kNetscape, kNetscape) != GIF_OK ||
      EGifPutExtensionBlock(gif, sizeof kLoopForever, kLoopForever) != GIF_OK ||
      EGifPutExtensionTrailer(gif) != GIF_OK)
    return kAnimationWriteFailed;
  previous.assign(size_t(width) * size_t(height) * 3, 0);
  return kAnimationOk;
}

int AnimationWriter::State::AddGif(const Surface& frame) {
  const size_t row_bytes = size_t(width) * 3;
  // The rectangle that differs from the last frame; the first frame is whole.
  int left = 0, top = 0, right = width - 1, bottom = height - 1;
  if (frames > 0) {
    left = width, top = height, right = -1, bottom = -1;
    for (int y = 0; y < height; ++y) {
      const uint8_t* now = frame.PixelAt(0, y);
      const uint8_t* was = previous.data() + size_t(y) * row_bytes;
      if (std::memcmp(now, was, row_bytes) == 0) continue;
      top = std::min(top, y);
      bottom = y;
      int x0 = 0;
      while (now[x0 * 3] == was[x0 * 3] && now[x0 * 3 + 1] == was[x0 * 3 + 1] && now[x0 * 3 + 2] == was[x0 * 3 + 2])
        ++x0;
      int x1 = width - 1;
      while (now[x1 * 3] == was[x1 * 3] && now[x1 * 3 + 1] == was[x1 * 3 + 1] && now[x1 * 3 + 2] == was[x1 * 3 + 2])
        --x1;
      left = std::min(left, x0);
      right = std::max(right, x1);
    }
    // An unchanged frame still needs an image for its delay: one pixel that
    // repeats itself.
    if (right < 0) left = right = top = bottom = 0;
  }
  const int w = right - left + 1;
  const int h = bottom - top + 1;
  palette.Take(frame, left, top, w, h);
  for (int y = top; y <= bottom; ++y)
    std::memcpy(previous.data() + size_t(y) * row_bytes, frame.PixelAt(0, y), row_bytes);
  if (!palette.Quantize(settings.gif_dither)) return kAnimationEncodeFailed;
  // GIF colour tables hold a power of two entries, at least two.
  int table_size = 2;
  while (table_size < palette.count) table_size *= 2;
  ColorMapObject* map = GifMakeMapObject(table_size, nullptr);
  if (!map) return kAnimationEncodeFailed;
  std::copy(palette.colours, palette.colours + palette.count, map->Colors);

  GraphicsControlBlock control{};
  control.DisposalMode = DISPOSE_DO_NOT;  // later frames paint over this one
  control.DelayTime = TimeOfFrame(frames + 1, fps, 100) - TimeOfFrame(frames, fps, 100);
  control.TransparentColor = NO_TRANSPARENT_COLOR;
  GifByteType extension[4];
  const size_t extension_size = EGifGCBToExtension(&control, extension);
  bool ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(extension_size), extension) == GIF_OK &&
            EGifPutImageDesc(gif, left, top, w, h, false, map) == GIF_OK;
  GifFreeMapObject(map);
  for (int y = 0; ok && y < h; ++y)
    ok = EGifPutLine(gif, palette.indices.data() + size_t(y) * size_t(w), w) == GIF_OK;
  return ok ? kAnimationOk : kAnimationWriteFailed;
}

int AnimationWriter::State::FinishGif() {
  int error = 0;
  const int closed = EGifCloseFile(gif, &error);
  gif = nullptr;
  return closed == GIF_OK ? kAnimationOk : kAnimationWriteFailed;
}

bool AnimationFormatForPath(const std::string& path, AnimationFormat& format) {
  const std::string ext = LowerExtension(path);
  if (ext == "webp") {
    format = AnimationFormat::kWebp;
    return true;
  }
  if (ext == "gif") {
    format = AnimationFormat::kGif;
    return true;
  }
  return false;
}

int FitFrame(const Surface& src, int w, int h, Surface& dst) {
  if (src.empty()) return -1;
  if (w <= src.width && h <= src.height) return SmoothShrink(src, dst, w, h);
  return NearestScale(src, dst, w, h);
}

AnimationWriter::AnimationWriter() = default;
AnimationWriter::~AnimationWriter() = default;

int AnimationWriter::Open(const std::string& path, int width, int height, int fps,
                          const AnimationSettings& settings) {
  Abandon();
  AnimationFormat format;
  if (!AnimationFormatForPath(path, format)) return kAnimationBadName;
  const int max_side = format == AnimationFormat::kGif ? std::min(kMaxGifSide, kMaxSurfaceSide) : kMaxSurfaceSide;
  if (width < 1 || height < 1 || width > max_side || height > max_side || fps < 1 || fps > kMaxAnimationFps)
    return kAnimationBadSize;
  auto state = std::make_unique<State>();
  state->format = format;
  state->width = width;
  state->height = height;
  state->fps = fps;
  state->settings = settings;
  if (!state->file.Open(path)) {
    ShowMessage(state->OpenText(), kCaptionFailure);
    return kAnimationWriteFailed;
  }
  const int result = format == AnimationFormat::kWebp ? state->OpenWebp() : state->OpenGif();
  if (result == kAnimationWriteFailed) ShowMessage(state->WriteText(), kCaptionFailure);
  if (result != kAnimationOk) return result;
  state_ = std::move(state);
  return kAnimationOk;
}

int AnimationWriter::AddFrame(const Surface& frame) {
  if (!state_) return kAnimationNotOpen;
  if (frame.width != state_->width || frame.height != state_->height || frame.empty()) return kAnimationBadSize;
  const int result = state_->format == AnimationFormat::kWebp ? state_->AddWebp(frame) : state_->AddGif(frame);
  if (result == kAnimationOk) {
    ++state_->frames;
    return kAnimationOk;
  }
  if (result == kAnimationWriteFailed) ShowMessage(state_->WriteText(), kCaptionFailure);
  Abandon();
  return result;
}

int AnimationWriter::Finish() {
  if (!state_) return kAnimationNotOpen;
  std::unique_ptr<State> state = std::move(state_);
  if (state->frames == 0) return kAnimationNoFrames;
  int result = state->format == AnimationFormat::kWebp ? state->FinishWebp() : state->FinishGif();
  if (result == kAnimationOk && !state->file.Commit()) result = kAnimationWriteFailed;
  if (result == kAnimationWriteFailed) ShowMessage(state->WriteText(), kCaptionFailure);
  return result;  // the state goes now; an uncommitted file goes with it
}

void AnimationWriter::Abandon() { state_.reset(); }

bool AnimationWriter::is_open() const { return state_ != nullptr; }

int AnimationWriter::frame_count() const { return state_ ? state_->frames : 0; }

}  // namespace sylvane
