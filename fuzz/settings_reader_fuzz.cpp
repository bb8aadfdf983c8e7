// The export settings file: any bytes give settings within their ranges, and what is written
// back reads back the same.
#include "fuzz_input.h"
#include "publish/export_settings.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = fuzzing::inputFile(data, size, ".ini");
    const publish::ExportSettings read = publish::readSettingsFile(path, "/usr/bin/ffmpeg");
    if (!publish::writeSettingsFile(path, read)) return 0;
    const publish::ExportSettings again = publish::readSettingsFile(path, "");
    if (again.soundRewrite != read.soundRewrite || again.soundChannels != read.soundChannels ||
        again.videoRewrite != read.videoRewrite || again.soundBitrate != read.soundBitrate ||
        again.videoBitrate != read.videoBitrate || again.ffmpegPath != read.ffmpegPath)
        std::abort();
    return 0;
}
