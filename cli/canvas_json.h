// JSON view (fields in file order) of a canvas file as stored, for
// sylvane-cli info: the canvas fields, every tree entry with its record as
// the tree-file view shows it, the label list, and CRC-32 checksums of the
// tree layer (pixel rows in buffer order, padding left out) and of the
// background-weight plane.
#pragma once
#include <nlohmann/json.hpp>

#include "canvas/canvas_file.h"

namespace sylvane::cli {

nlohmann::ordered_json CanvasFileToJson(const ParsedCanvas& canvas);

}  // namespace sylvane::cli
