#include "common/audio_recording.h"

#include "common/audio_sdl.h"

#include <SDL.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

namespace common {

namespace {

using audio_detail::fail;
using audio_detail::setLastAudioError;

constexpr int kBlockFrames = 1024;

// What the audio thread sees of a running recording.
struct Capture {
    RecordingCallback callback;
    std::atomic<bool> ended{false};
};

// Audio thread: hands the block to the callback until it asks to end.
void SDLCALL deliverBlock(void* arg, Uint8* stream, int len) {
    auto* capture = static_cast<Capture*>(arg);
    if (capture->ended.load(std::memory_order_acquire)) return;
    bool goOn = false;
    try {
        goOn = capture->callback(std::span<const std::int16_t>(
            reinterpret_cast<const std::int16_t*>(stream), static_cast<std::size_t>(len) / 2));
    } catch (...) {
        // An exception cannot cross SDL's C thread; it ends the recording instead.
    }
    if (!goOn) capture->ended.store(true, std::memory_order_release);
}

class RecordingDevice {
  public:
    static RecordingDevice& instance() {
        static RecordingDevice device;
        return device;
    }
    ~RecordingDevice() { release(); }

    bool init(int device) {
        std::lock_guard lock(m_mutex);
        if (m_initialised) return fail(AudioError::AlreadyInitialised, false);
        if (device < -1) return fail(AudioError::NoDevice, false);
        if (!audio_detail::ensureAudioSubsystem()) return fail(AudioError::NoDriver, false);
        std::optional<std::string> name;
        if (device >= 0) {
            const std::vector<std::string> names = audio_detail::audioDeviceNames(true);
            if (device >= static_cast<int>(names.size())) return fail(AudioError::NoDevice, false);
            name = names[static_cast<std::size_t>(device)];
        }
        SDL_AudioSpec wanted{};
        wanted.freq = 44100;
        wanted.format = AUDIO_S16SYS;
        wanted.channels = 2;
        wanted.samples = kBlockFrames;
        const SDL_AudioDeviceID probe =
            SDL_OpenAudioDevice(name ? name->c_str() : nullptr, 1, &wanted, nullptr, 0);
        if (probe == 0) return fail(AudioError::DeviceFailed, false);
        SDL_CloseAudioDevice(probe);
        m_name = std::move(name);
        m_initialised = true;
        setLastAudioError(AudioError::Ok);
        return true;
    }

    void release() {
        std::unique_lock lock(m_mutex);
        Running running = takeRunning();
        m_initialised = false;
        m_name.reset();
        lock.unlock();
        closeRunning(running);
    }

    bool initialised() {
        std::lock_guard lock(m_mutex);
        return m_initialised;
    }

    RecordingHandle start(int rate, int channels, RecordingCallback callback) {
        std::unique_lock lock(m_mutex);
        if (!m_initialised) return fail(AudioError::NotInitialised, RecordingHandle{0});
        if (rate < 1000 || rate > 384000 || channels < 1 || channels > 8 || !callback) {
            return fail(AudioError::BadParameter, RecordingHandle{0});
        }
        if (m_running.device != 0 && !m_running.capture->ended.load()) {
            return fail(AudioError::Busy, RecordingHandle{0});
        }
        // A recording that its callback ended still holds the device; close it first.
        Running finished = takeRunning();
        closeRunning(finished);

        auto capture = std::make_unique<Capture>();
        capture->callback = std::move(callback);
        SDL_AudioSpec wanted{};
        wanted.freq = rate;
        wanted.format = AUDIO_S16SYS;
        wanted.channels = static_cast<Uint8>(channels);
        wanted.samples = kBlockFrames;
        wanted.callback = deliverBlock;
        wanted.userdata = capture.get();
        // No allowed changes: SDL converts whatever the device delivers to this exact format.
        const SDL_AudioDeviceID device =
            SDL_OpenAudioDevice(m_name ? m_name->c_str() : nullptr, 1, &wanted, nullptr, 0);
        if (device == 0) return fail(AudioError::DeviceFailed, RecordingHandle{0});
        m_running = {device, audio_detail::nextAudioHandle(), std::move(capture)};
        SDL_PauseAudioDevice(device, 0);
        setLastAudioError(AudioError::Ok);
        return m_running.handle;
    }

    bool stop(RecordingHandle handle) {
        std::unique_lock lock(m_mutex);
        if (handle == 0 || handle != m_running.handle) return fail(AudioError::BadHandle, false);
        Running running = takeRunning();
        lock.unlock();
        // Outside the lock: closing waits for the audio thread, which may be in the callback.
        closeRunning(running);
        setLastAudioError(AudioError::Ok);
        return true;
    }

    bool running(RecordingHandle handle) {
        std::lock_guard lock(m_mutex);
        if (handle == 0 || handle != m_running.handle) return fail(AudioError::BadHandle, false);
        setLastAudioError(AudioError::Ok);
        return !m_running.capture->ended.load();
    }

  private:
    struct Running {
        SDL_AudioDeviceID device = 0;
        RecordingHandle handle = 0;
        std::unique_ptr<Capture> capture;
    };

    RecordingDevice() = default;

    Running takeRunning() { return std::exchange(m_running, Running{}); }

    static void closeRunning(Running& running) {
        if (running.device != 0) SDL_CloseAudioDevice(running.device);
        running.capture.reset();
    }

    std::mutex m_mutex;
    bool m_initialised = false;
    std::optional<std::string> m_name; // nullopt: the system's default input
    Running m_running;
};

} // namespace

bool initRecordingDevice(int device) {
    return RecordingDevice::instance().init(device);
}
void releaseRecordingDevice() {
    RecordingDevice::instance().release();
}
bool isRecordingDeviceInitialised() {
    return RecordingDevice::instance().initialised();
}

RecordingHandle startRecording(int rate, int channels, RecordingCallback callback) {
    return RecordingDevice::instance().start(rate, channels, std::move(callback));
}

bool stopRecording(RecordingHandle recording) {
    return RecordingDevice::instance().stop(recording);
}
bool isRecording(RecordingHandle recording) {
    return RecordingDevice::instance().running(recording);
}

} // namespace common
