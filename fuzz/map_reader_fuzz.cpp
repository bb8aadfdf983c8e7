// The ".map" reader on any bytes: a map it accepts holds only palette colours and is written
// and read back unchanged.
#include "common/raster.h"
#include "fuzz_input.h"
#include "project/map_file.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    common::Raster map;
    if (!project::readMapBytes(data, size, map, "fuzz.map")) return 0;
    if (map.isEmpty()) return 0;
    // The written file goes through the file reader, so both entries are covered.
    const std::string path = fuzzing::inputFile(nullptr, 0, ".map");
    if (!project::writeMapFile(path, map)) return 0;
    common::Raster back;
    if (!project::readMapFile(path, back) || !(back == map)) std::abort();
    return 0;
}
