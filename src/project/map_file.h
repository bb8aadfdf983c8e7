#pragma once
// The ".map" file: the colour map as a one-frame GIF whose colour table holds every colour of
// the map exactly, so that reading it back gives every pixel unchanged.

#include "common/raster.h"
#include "common/status.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace project {

// Decodes the first frame of the GIF at `path` into a 24-bit raster of the file's logical
// screen size; pixels outside the frame are black. A transparent index counts as its table
// colour. On failure `map` is unchanged and the message names the file.
common::Status readMapFile(const std::string& path, common::Raster& map);

// The same for a map file's bytes held in memory; `name` names the file in messages.
common::Status readMapBytes(const std::uint8_t* data, std::size_t size, common::Raster& map,
                            std::string_view name = {});

// Writes `map` as a one-frame GIF (byte for byte what giflib writes for it), atomically (the old
// file stays whole on failure). Fails with a message when the map is empty, holds more than 256
// distinct colours or is wider or higher than 65535 pixels.
common::Status writeMapFile(const std::string& path, const common::Raster& map);

} // namespace project
