#pragma once
// The media export settings and their file "Qiv_Zarim_Editor.ini" beside the executable: six
// KEY=value lines, read once at start and written once at exit. UTF-8 text.

#include <string>

namespace publish {

struct ExportSettings {
    std::string ffmpegPath;
    int soundRewrite = 0;
    int soundChannels = 2;
    std::string soundBitrate = "128k";
    int videoRewrite = 0;
    std::string videoBitrate = "512k";
};

// Start values, with `defaultFfmpeg` (the ffmpeg found on PATH, or empty) as the converter path;
// then every matching line of the file, the last one of a key winning. A missing or unreadable
// file leaves the start values.
ExportSettings readSettingsFile(const std::string& path, const std::string& defaultFfmpeg);

// The six lines in their fixed order, each ended by CR LF. False when the file cannot be
// written (the caller stays silent about it).
bool writeSettingsFile(const std::string& path, const ExportSettings& settings);

// atoi: leading white space, an optional sign, decimal digits up to the first other character;
// 0 without digits. Out-of-range values are clamped.
int atoiLike(const std::string& text);

// Full path of the first executable `name` on PATH; empty when there is none.
std::string findOnPath(const std::string& name);

} // namespace publish
