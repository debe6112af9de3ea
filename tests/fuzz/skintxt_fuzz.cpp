// Fuzz target for the skin description reader: any text must parse without
// fault, report at most 129 matched lines, and leave a layout that writes and
// reads back unchanged; its rectangles must cut and its map geometry fit
// without fault.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "ui/skin_layout.h"
#include "ui/skin_pictures.h"

namespace {

using sylvane::fuzz::Check;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace sylvane;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  SkinLayout layout;
  int matched = ParseSkinText(text, layout);
  Check(matched >= 0 && matched <= kSkinRowCount);
  Check(layout.png_skin == (layout.version >= 3));

  // A layout written out is read back whole when its version has all rows.
  SkinLayout again;
  int rows = ParseSkinText(FormatSkinText(layout), again);
  Check(rows == (layout.version < 1 ? 58 : layout.version < 2 ? 63 : kSkinRowCount));
  if (layout.version >= 2) Check(SkinRowValues(again) == SkinRowValues(layout));

  Surface composite;
  composite.CreateFilled(40, 30, 77);
  for (SkinElementId id : SkinCreationOrder()) {
    const SkinElementInfo& e = SkinElement(id);
    if (!e.rect) continue;
    SkinRect r = layout.*e.rect;
    // Keep allocations small: the reader accepts any 32-bit number.
    if (r.width > 64 || r.height > 64) continue;
    Surface cut;
    CutElementPicture(composite, r, cut);
    Check(cut.empty() == (r.width <= 0 || r.height <= 0));
  }
  MapPicture p = FitCanvasInMap(layout.map_cancel.left, layout.map_cancel.top, layout.map_cancel.width,
                                layout.map_cancel.height);
  if (p.valid) {
    Check(p.width >= 1 && p.height >= 1);
    Check(p.left >= kMapMarginLeftRight && p.top >= kMapMarginTop);
  }
  return 0;
}
