#pragma once
// The volume rules of the background music window: how its volume box and its slider of
// hundredths (0..100) follow each other, and what the window makes of the three background
// values of the attribute table when a picture is opened and saved again. Pure functions;
// every text uses "." as decimal point whatever the locale.

#include <string>

namespace project {
class RegionAttributes;
}

namespace editors {

inline constexpr int kMusicSliderMax = 100;

// A volume in the volume box's form: general format, "." as decimal point ("1", "0.5", "1E-5").
std::string musicVolumeText(double volume);
// The volume box's text for a slider position: position / 100 ("1", "0.5", "0.07").
std::string musicVolumeTextOf(int position);

// Whole hundredths of a volume in 0..1, truncated toward zero, such that a volume with at most
// two decimals gives exactly its own hundredths (0.29 gives 29, although 0.29 × 100 computes as
// 28.999…).
int musicSliderPositionOf(double volume);

// The volume "Проиграть" applies: 1 for an empty box, else the box read as a number, not limited.
double musicPlayVolume(const std::string& text);

// Leaving the volume box while the slider stands at `position`.
struct MusicVolumeStep {
    std::string text;   // what the box shows afterwards
    int position = 0;   // where the slider stands afterwards
    bool moved = false; // the slider moved, so its own step ran and set the output volume too
    double volume = 0;  // the output volume set last: the read volume limited to 0..1
};
// The box is read as a number (empty and non-numbers read as 0), limited to 0..1 and written
// back in general format; the slider moves to its hundredths. When that moves the slider, the
// box is rewritten from the new position, so 0.555 becomes 0.55, but stays 0.555 when the slider
// already stood at 55.
MusicVolumeStep musicVolumeFromText(const std::string& text, int position);

// The background values as the window leaves them after a picture is opened and saved again in
// a fresh program (slider at 100): the file unchanged, the volume through musicVolumeFromText,
// the loop "1" when it was "1", else "0".
void settleBackgroundMusic(project::RegionAttributes& attrs);

} // namespace editors
