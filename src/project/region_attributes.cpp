#include "project/region_attributes.h"

#include <cassert>

namespace project {

const std::array<Field, kFieldCount> kFileFieldOrder = {
    link,         linkNewWindow, sound,        soundLoop, soundVolume, picture,
    pictureWidth, pictureHeight, pictureFrame, video,     videoLoop,   videoWidth,
    videoHeight,  videoVolume,   videoFrame,   hint,      hintStyle,
};

int RegionAttributes::cellIndex(int c, int e) {
    assert(c >= 0 && c < kColorCount && e >= 0 && e < kEventCount);
    return c * kEventCount + e;
}

void RegionAttributes::clearAll() {
    for (auto& field : fields)
        for (auto& value : field)
            value.clear();
    backgroundMusic.clear();
    backgroundVolume = "1";
    backgroundLoop.clear();
}

void RegionAttributes::clearColor(int c) {
    for (int e = 0; e < kEventCount; ++e)
        clearCell(c, e);
}

void RegionAttributes::clearCell(int c, int e) {
    const int i = cellIndex(c, e);
    for (auto& field : fields)
        field[i].clear();
}

bool RegionAttributes::isInUse(int c) const {
    for (int e = 0; e < kEventCount; ++e) {
        const int i = cellIndex(c, e);
        for (Field f : {link, sound, picture, video, hint})
            if (!fields[f][i].empty()) return true;
    }
    return false;
}

void RegionAttributes::showDefaults(int c, int e) {
    const int i = cellIndex(c, e);
    if (fields[hintStyle][i].empty()) fields[hintStyle][i] = "9";
    if (fields[pictureFrame][i].empty()) fields[pictureFrame][i] = "1";
    if (fields[videoFrame][i].empty()) fields[videoFrame][i] = "1";
}

} // namespace project
