#include "editors/music_volume.h"

#include "common/helpers.h"
#include "editors/field_values.h"
#include "project/region_attributes.h"

#include <algorithm>
#include <cmath>

namespace editors {

std::string musicVolumeText(double volume) {
    return common::replaceAll(formatGeneral(volume), ",", ".");
}

std::string musicVolumeTextOf(int position) {
    return musicVolumeText(position / double(kMusicSliderMax));
}

int musicSliderPositionOf(double volume) {
    if (!(volume > 0.0)) return 0;
    if (volume >= 1.0) return kMusicSliderMax;
    int n = int(std::trunc(volume * kMusicSliderMax));
    // volume × 100 may fall just below a whole number that the volume stands for exactly;
    // n + 1 hundredths count when their nearest double is not above the volume.
    if (n + 1 <= kMusicSliderMax && (n + 1) / double(kMusicSliderMax) <= volume) ++n;
    return std::clamp(n, 0, kMusicSliderMax);
}

double musicPlayVolume(const std::string& text) {
    return text.empty() ? 1.0 : readVolume(text);
}

MusicVolumeStep musicVolumeFromText(const std::string& text, int position) {
    MusicVolumeStep step;
    step.volume = std::clamp(readVolume(text), 0.0, 1.0);
    step.text = musicVolumeText(step.volume);
    step.position = musicSliderPositionOf(step.volume);
    step.moved = step.position != position;
    if (step.moved) step.text = musicVolumeTextOf(step.position);
    return step;
}

void settleBackgroundMusic(project::RegionAttributes& attrs) {
    MusicVolumeStep step = musicVolumeFromText(attrs.backgroundVolume, kMusicSliderMax);
    attrs.backgroundVolume.swap(step.text);
    const bool loop = attrs.backgroundLoop == "1";
    attrs.backgroundLoop.assign(1, loop ? '1' : '0');
}

} // namespace editors
