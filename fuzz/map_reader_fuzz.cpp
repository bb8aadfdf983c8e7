// The ".map" reader on any bytes: a map it accepts holds only palette colours and is written
// and read back unchanged.
#include "common/raster.h"
#include "fuzz_input.h"
#include "project/map_file.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = fuzzing::inputFile(data, size, ".map");
    common::Raster map;
    if (!project::readMapFile(path, map)) return 0;
    if (map.isEmpty()) return 0;
    if (!project::writeMapFile(path, map)) return 0;
    common::Raster back;
    if (!project::readMapFile(path, back) || !(back == map)) std::abort();
    return 0;
}
