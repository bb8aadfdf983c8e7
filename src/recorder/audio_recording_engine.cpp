#include "recorder/audio_recording_engine.h"

#include "common/audio_devices.h"
#include "common/audio_error.h"
#include "common/audio_output.h"
#include "common/audio_version.h"

namespace recorder {

std::string errorBoxText(const std::string& message, int code) {
    return message + "\n(error code: " + std::to_string(code) + ")";
}

std::string incorrectVersionText() {
    return std::string("An incorrect version of ") + common::kMixerLibraryFileName + " was loaded";
}

RecordingEngine::RecordingEngine(std::size_t bufferLimit) : m_buffer(bufferLimit) {}

RecordingEngine::~RecordingEngine() {
    // The recording thread must be done with this object before it goes.
    if (m_recordChannel != 0) common::stopRecording(m_recordChannel);
    common::freeStream(m_playStream);
}

RecordingEngine::DeviceList RecordingEngine::outputList(int selected) {
    DeviceList list;
    for (const common::AudioDeviceInfo& device : common::listOutputDevices())
        list.names.push_back(device.name);
    list.selected = selected < int(list.names.size()) ? selected : -1;
    return list;
}

RecordingEngine::DeviceList RecordingEngine::inputList(int selected) {
    DeviceList list;
    for (const common::AudioDeviceInfo& device : common::listInputDevices())
        list.names.push_back(device.name);
    list.selected = selected < int(list.names.size()) ? selected : -1;
    return list;
}

RecordingEngine::StartUp RecordingEngine::startUp() {
    StartUp result;
    result.versionMatches = common::mixerVersionMatches();
    // Silent on failure: the output may be up already (another window started it), or there
    // is no device, and then every later call fails on its own.
    if (!common::initOutputDevice(-1, common::kOutputRate))
        common::initOutputDevice(-2, common::kOutputRate);

    // Each enabled device is selected as it comes, so the last one stays selected; the output
    // is not moved there until a device is chosen.
    const std::vector<common::AudioDeviceInfo> outputs = common::listOutputDevices();
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        result.outputs.names.push_back(outputs[i].name);
        if (outputs[i].flags & common::kAudioDeviceEnabled) result.outputs.selected = int(i);
    }
    const std::vector<common::AudioDeviceInfo> inputs = common::listInputDevices();
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        result.inputs.names.push_back(inputs[i].name);
        if (inputs[i].flags & common::kAudioDeviceDefault) m_inputDevice = int(i);
    }
    result.inputs.selected = m_inputDevice;

    common::releaseRecordingDevice();
    common::initRecordingDevice(m_inputDevice); // silent: "Запись" reports it
    return result;
}

RecordingEngine::Begin RecordingEngine::beginRecording() {
    if (m_recordChannel != 0) {
        // Left over from a recording that ran out of memory.
        common::stopRecording(m_recordChannel);
        m_recordChannel = 0;
    }
    m_outOfMemory = false;
    if (m_buffer.exists()) {
        common::freeStream(m_playStream);
        m_playStream = 0;
        m_buffer.discard();
        common::releaseOutput();
    }
    if (!m_buffer.begin(m_recordRate, m_recordChannels)) return Begin::OutOfMemory;
    m_recordChannel = common::startRecording(
        m_recordRate, m_recordChannels,
        [this](std::span<const std::int16_t> samples) { return appendRecordedData(samples); });
    if (m_recordChannel == 0) {
        m_buffer.discard();
        return Begin::CouldNotStart;
    }
    return Begin::Started;
}

bool RecordingEngine::appendRecordedData(std::span<const std::int16_t> samples) {
    if (m_buffer.append(std::as_bytes(samples))) return true;
    m_outOfMemory = true;
    if (m_onOutOfMemory) m_onOutOfMemory();
    return false;
}

bool RecordingEngine::isRecording() const {
    return m_recordChannel != 0 && !m_outOfMemory;
}

bool RecordingEngine::takeOutOfMemory() {
    if (!m_outOfMemory.exchange(false)) return false;
    if (m_recordChannel != 0) common::stopRecording(m_recordChannel);
    m_recordChannel = 0;
    return true;
}

void RecordingEngine::finishRecording() {
    if (m_recordChannel != 0) common::stopRecording(m_recordChannel);
    m_recordChannel = 0;
    // After the stop no block arrives any more, so the sizes are final.
    m_buffer.finish();
}

bool RecordingEngine::applyEffects(const EffectSettings& settings) {
    return m_buffer.applyEffects(settings);
}

RecordingEngine::Playback RecordingEngine::playRecording(int outputPosition) {
    Playback result;
    stopPlayback();
    result.output = selectOutputDevice(outputPosition);
    // The stream decodes the image during the call and keeps its own copy.
    m_playStream = m_buffer.read(
        [](std::span<const std::byte> image) { return common::createMemoryStream(image); });
    if (m_playStream == 0) {
        common::releaseOutput();
        return result;
    }
    common::playStream(m_playStream);
    result.started = true;
    return result;
}

void RecordingEngine::stopPlayback() {
    common::stopStream(m_playStream);
    common::freeStream(m_playStream);
    m_playStream = 0;
}

RecordingEngine::DeviceChoice RecordingEngine::selectInputDevice(int position) {
    if (isRecording()) finishRecording();
    DeviceChoice choice;
    m_inputDevice = position;
    choice.list = inputList(m_inputDevice);
    common::releaseRecordingDevice();
    if (!common::initRecordingDevice(m_inputDevice)) {
        choice.ok = false;
        choice.errorCode = int(common::lastAudioError());
    }
    return choice;
}

RecordingEngine::DeviceChoice RecordingEngine::selectOutputDevice(int position) {
    common::freeStream(m_playStream);
    m_playStream = 0;
    DeviceChoice choice;
    m_outputDevice = position;
    choice.list = outputList(m_outputDevice);
    common::releaseOutput();
    if (!common::initOutputDevice(m_outputDevice, common::kOutputRate)) {
        choice.ok = false;
        choice.errorCode = int(common::lastAudioError());
    }
    return choice;
}

} // namespace recorder
