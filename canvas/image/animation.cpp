#include "canvas/image/animation.h"

#include <gif_lib.h>
#include <libimagequant.h>
#include <webp/encode.h>
#include <webp/mux.h>

#include <algorithm>
#include <cmath>
#include <cstring>
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
  liq_attr* quantizer = nullptr;
  std::vector<uint8_t> previous;  // the last frame's blue-green-red rows, top-down, width * 3 bytes each
  std::vector<liq_color> rgba;    // the changed rectangle, top-down
  std::vector<uint8_t> indices;   // its palette indices

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
    if (quantizer) liq_attr_destroy(quantizer);
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
  quantizer = liq_attr_create();
  if (!quantizer) return kAnimationEncodeFailed;
  liq_set_max_colors(quantizer, 256);
  liq_set_speed(quantizer, std::clamp(settings.gif_speed, 1, 10));
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
  rgba.resize(size_t(w) * size_t(h));
  for (int y = 0; y < h; ++y) {
    const uint8_t* src = frame.PixelAt(left, top + y);
    liq_color* dst = rgba.data() + size_t(y) * size_t(w);
    for (int x = 0; x < w; ++x) dst[x] = liq_color{src[x * 3 + 2], src[x * 3 + 1], src[x * 3], 255};
  }
  for (int y = top; y <= bottom; ++y)
    std::memcpy(previous.data() + size_t(y) * row_bytes, frame.PixelAt(0, y), row_bytes);

  liq_image* image = liq_image_create_rgba(quantizer, rgba.data(), w, h, 0);
  if (!image) return kAnimationEncodeFailed;
  liq_result* result = nullptr;
  if (liq_image_quantize(image, quantizer, &result) != LIQ_OK) {
    liq_image_destroy(image);
    return kAnimationEncodeFailed;
  }
  liq_set_dithering_level(result, std::clamp(settings.gif_dither, 0.0f, 1.0f));
  indices.resize(size_t(w) * size_t(h));
  const bool remapped = liq_write_remapped_image(result, image, indices.data(), indices.size()) == LIQ_OK;
  const liq_palette* palette = liq_get_palette(result);
  // GIF colour tables hold a power of two entries.
  int table_size = 2;
  while (table_size < int(palette->count)) table_size *= 2;
  ColorMapObject* map = GifMakeMapObject(table_size, nullptr);
  if (map) {
    for (unsigned i = 0; i < palette->count; ++i)
      map->Colors[i] = GifColorType{palette->entries[i].r, palette->entries[i].g, palette->entries[i].b};
  }
  liq_result_destroy(result);
  liq_image_destroy(image);
  if (!remapped || !map) {
    GifFreeMapObject(map);
    return kAnimationEncodeFailed;
  }

  GraphicsControlBlock control{};
  control.DisposalMode = DISPOSE_DO_NOT;  // later frames paint over this one
  control.DelayTime = TimeOfFrame(frames + 1, fps, 100) - TimeOfFrame(frames, fps, 100);
  control.TransparentColor = NO_TRANSPARENT_COLOR;
  GifByteType extension[4];
  const size_t extension_size = EGifGCBToExtension(&control, extension);
  bool ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(extension_size), extension) == GIF_OK &&
            EGifPutImageDesc(gif, left, top, w, h, false, map) == GIF_OK;
  GifFreeMapObject(map);
  for (int y = 0; ok && y < h; ++y) ok = EGifPutLine(gif, indices.data() + size_t(y) * size_t(w), w) == GIF_OK;
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
