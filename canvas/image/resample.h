// Resampling of surfaces and alpha planes: nearest neighbour at any ratio and
// bilinear shrinking. Both surfaces are bottom-up, so row indices apply to
// buffer rows directly. Source and target may be the same object.
#pragma once
#include <string>

#include "canvas/image/surface.h"

namespace sylvane {

// Re-creates dst at w x h (headers refreshed) and fills it by nearest
// neighbour: target column j takes source column trunc(float(srcW / w) * j),
// clamped to srcW - 1; rows alike. Returns -1 when the source is empty (dst
// stays created, contents unspecified) or w x h cannot be created, else 0.
int NearestScale(const Surface& src, Surface& dst, int w, int h);

// As NearestScale, but dst is created black and its headers are not
// refreshed; an empty source leaves it black. Returns 0 (-1 only when w x h
// cannot be created).
int NearestScaleIntoBlack(const Surface& src, Surface& dst, int w, int h);

// Bilinear shrink to w x h (dst re-created, headers refreshed). Equal sizes
// copy the source exactly. Returns -1 when the source is empty or smaller than
// the target in either axis (no enlarging), else 0.
int SmoothShrink(const Surface& src, Surface& dst, int w, int h);

// The same for a one-byte-per-pixel plane of src_w x src_h (rows of src_w
// bytes) into dst at w x h. Returns -1 also when src holds fewer than
// src_w * src_h bytes.
int SmoothShrinkPlane(const AlphaPlane& src, int src_w, int src_h, AlphaPlane& dst, int w, int h);

// Loads any picture (LoadImage with messages off: PNG and BMP failures still
// show theirs) and nearest-scales it into dst at w x h; a picture that fails
// to load gives a black dst. Returns the load result (0 or -1). src_w and
// src_h, when given, receive the picture's own size (0 x 0 on failure).
int LoadAndFit(const std::string& path, Surface& dst, int w, int h, int* src_w = nullptr,
               int* src_h = nullptr);

}  // namespace sylvane
