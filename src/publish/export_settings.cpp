#include "publish/export_settings.h"

#include "common/file_io.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <unistd.h>

namespace publish {

int atoiLike(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > 1LL + INT_MAX) value = 1LL + INT_MAX;
    }
    if (negative) value = -value;
    if (value > INT_MAX) value = INT_MAX;
    return int(value);
}

ExportSettings readSettingsFile(const std::string& path, const std::string& defaultFfmpeg) {
    ExportSettings s;
    s.ffmpegPath = defaultFfmpeg;
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!file) return s;
    // A 200-character buffer: longer lines arrive in pieces of at most 199 characters, each
    // treated as a line of its own.
    char buffer[200];
    while (std::fgets(buffer, sizeof buffer, file.get())) {
        std::string line(buffer);
        while (line.size() > 1 && (line.back() == '\r' || line.back() == '\n'))
            line.pop_back();
        auto value = [&](const char* key, std::string& out) {
            const std::string k(key);
            if (line.compare(0, k.size(), k) == 0) out = line.substr(k.size());
        };
        auto number = [&](const char* key, int& out) {
            const std::string k(key);
            if (line.compare(0, k.size(), k) == 0) out = atoiLike(line.substr(k.size()));
        };
        value("FFMPEG=", s.ffmpegPath);
        number("SOUND_REWRITE=", s.soundRewrite);
        number("SOUND_CHANNELS=", s.soundChannels);
        number("VIDEO_REWRITE=", s.videoRewrite);
        value("SOUND_BITRATE=", s.soundBitrate);
        value("VIDEO_BITRATE=", s.videoBitrate);
    }
    return s;
}

bool writeSettingsFile(const std::string& path, const ExportSettings& s) {
    const std::string text = "FFMPEG=" + s.ffmpegPath + "\r\n" +
                             "SOUND_REWRITE=" + std::to_string(s.soundRewrite) + "\r\n" +
                             "SOUND_CHANNELS=" + std::to_string(s.soundChannels) + "\r\n" +
                             "SOUND_BITRATE=" + s.soundBitrate + "\r\n" +
                             "VIDEO_REWRITE=" + std::to_string(s.videoRewrite) + "\r\n" +
                             "VIDEO_BITRATE=" + s.videoBitrate + "\r\n";
    return common::writeFileAtomically(path, text).ok();
}

std::string findOnPath(const std::string& name) {
    const char* env = std::getenv("PATH");
    if (!env) return {};
    const std::string paths(env);
    std::size_t start = 0;
    while (start <= paths.size()) {
        std::size_t end = paths.find(':', start);
        if (end == std::string::npos) end = paths.size();
        std::string dir = paths.substr(start, end - start);
        if (dir.empty()) dir = ".";
        const std::string candidate = dir + "/" + name;
        if (common::fileExists(candidate) && ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return {};
}

} // namespace publish
