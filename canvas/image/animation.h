// Writing animated pictures, frame by frame: animated WebP (libwebp's
// animation encoder, lossy) and GIF (giflib, with a palette of its own for
// every frame made by giflib's median-cut quantizer). Frames are handed over one at a time and
// encoded at once, so memory holds a few frames plus the compressed result,
// however long the animation.
//
//   AnimationWriter w;
//   if (w.Open("garden.webp", 1280, 720, 10) != kAnimationOk) ...;
//   for (...) if (w.AddFrame(surface) != kAnimationOk) ...;
//   if (w.Finish() != kAnimationOk) ...;
//
// GIF output depends on the frames and settings alone: the same frames give
// the same bytes on every platform (integer arithmetic throughout; the
// quantizer sorts distinct colours only).
//
// The file is written as the picture writers write theirs: into a temporary
// file beside the target that replaces it only when all went well; a writer
// that is abandoned or destroyed before Finish leaves no file behind. When the
// file cannot be created or written, the message of the picture writers is
// shown ("ファイルオープンに失敗しました。WRITE_WEBP" or
// "ファイルの書き込みに失敗しました。WRITE_GIF", caption "失敗").
#pragma once
#include <memory>
#include <string>

#include "canvas/image/surface.h"

namespace sylvane {

enum class AnimationFormat { kWebp, kGif };

// The format named by the path's extension, ".webp" or ".gif" in any case.
// False for any other name.
bool AnimationFormatForPath(const std::string& path, AnimationFormat& format);

// Results of the writer.
constexpr int kAnimationOk = 0;
constexpr int kAnimationBadName = -1;      // Open: the name ends neither in .webp nor .gif
constexpr int kAnimationBadSize = -2;      // Open: size not 1..kMaxSurfaceSide (GIF: 1..65535) or fps not 1..50;
                                           // AddFrame: the frame is not the animation's size
constexpr int kAnimationWriteFailed = -3;  // the file could not be created or written (message shown)
constexpr int kAnimationEncodeFailed = -4; // the encoder failed (out of memory); nothing written
constexpr int kAnimationNotOpen = -5;      // AddFrame or Finish without a successful Open
constexpr int kAnimationNoFrames = -6;     // Finish: no frame was added; nothing written

// Highest frame rate: GIF counts delays in hundredths of a second and players
// slow down delays under two of them.
constexpr int kMaxAnimationFps = 50;

// Encoder settings.
struct AnimationSettings {
  int webp_quality = 80;  // lossy WebP quality, 0..100
  int webp_method = 1;    // WebP effort, 0 (fastest) .. 6 (smallest)
  float gif_dither = 0.5f;  // error diffusion of the GIF palettes, 0 (none) .. 1 (full)
};

// Brings a picture to an animation's size: a bilinear shrink when it is not
// larger on either side (an exact copy at the same size), else nearest
// neighbour. 0, or -1 when src is empty or w x h cannot be created.
int FitFrame(const Surface& src, int w, int h, Surface& dst);

class AnimationWriter {
 public:
  AnimationWriter();
  ~AnimationWriter();
  AnimationWriter(const AnimationWriter&) = delete;
  AnimationWriter& operator=(const AnimationWriter&) = delete;

  // Starts an animation of width x height pixels at fps frames a second,
  // looping forever, in the format of the path's extension. Creates the
  // temporary file now, so that an output that cannot be written is known
  // before any frame is made.
  int Open(const std::string& path, int width, int height, int fps,
           const AnimationSettings& settings = AnimationSettings());
  // Encodes the next frame (the animation's size).
  int AddFrame(const Surface& frame);
  // Ends the animation and puts the file in place. The writer is closed
  // afterwards whatever the result.
  int Finish();
  // Drops the animation: no file is left.
  void Abandon();

  bool is_open() const;
  int frame_count() const;

  struct State;

 private:
  std::unique_ptr<State> state_;
};

}  // namespace sylvane
