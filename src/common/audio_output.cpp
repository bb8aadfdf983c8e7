#include "common/audio_output.h"

#include "common/audio_mixer.h"

namespace common {

using audio_detail::AudioMixer;

bool initOutputDevice(int device, int rate) {
    return AudioMixer::instance().open(device, rate);
}
bool startOutput() {
    return AudioMixer::instance().start();
}
void releaseOutput() {
    AudioMixer::instance().close();
}
bool isOutputInitialised() {
    return AudioMixer::instance().isOpen();
}
bool setOutputVolume(double volume) {
    return AudioMixer::instance().setVolume(volume);
}
double outputVolume() {
    return AudioMixer::instance().volume();
}

void initAudioOutput() {
    // Results are ignored on purpose: without a usable device the program runs silent.
    if (!initOutputDevice(-1, kOutputRate)) initOutputDevice(-2, kOutputRate);
    startOutput();
}

} // namespace common
