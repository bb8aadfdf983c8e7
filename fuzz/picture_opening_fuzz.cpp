// Opening a picture as the editor does: our code around Qt's readers (format by content and
// extension, size limits, conversion to 24 bits, transparency over white).
#include "common/raster.h"
#include "fuzz_input.h"
#include "project/picture_decoder_qt.h"

#include <QCoreApplication>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // Qt's image plugins (JPEG, GIF) are found through the application object.
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The first byte picks the name's extension: the editor opens by name as well as content.
    static const char* const kSuffixes[] = {".png", ".jpg", ".gif", ".JPEG", ""};
    const char* suffix = size > 0 ? kSuffixes[data[0] % 5] : ".png";
    const std::string path = fuzzing::inputFile(data + (size > 0), size - (size > 0), suffix);
    common::Raster picture;
    if (!project::decodePicture(path, picture)) return 0;
    if (picture.isEmpty()) std::abort();
    return 0;
}
