// Each method is one WINMM call on the device opened by open; a result
// other than MMSYSERR_NOERROR is reported as false.
#include "win32/win32_audio_output.h"

// The sizes the calls are given: a 32-byte header and a 12-byte time record
// in the 32-bit program.
static_assert(sizeof(void*) != 4 || sizeof(WAVEHDR) == 32, "WAVEHDR is 32 bytes");
static_assert(sizeof(void*) != 4 || sizeof(MMTIME) == 12, "MMTIME is 12 bytes");

bool Win32AudioOutput::open(const PcmFormat& format) {
    WAVEFORMATEX platformFormat = {};
    platformFormat.wFormatTag = format.formatTag;
    platformFormat.nChannels = format.channels;
    platformFormat.nSamplesPerSec = format.samplesPerSec;
    platformFormat.nAvgBytesPerSec = format.avgBytesPerSec;
    platformFormat.nBlockAlign = format.blockAlign;
    platformFormat.wBitsPerSample = format.bitsPerSample;
    platformFormat.cbSize = format.extraSize;
    HWAVEOUT device = nullptr;
    if (waveOutOpen(&device, WAVE_MAPPER, &platformFormat, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) {
        return false;
    }
    device_ = device;
    return true;
}

WAVEHDR* Win32AudioOutput::header(std::uint32_t slot) {
    return slot < kBufferSlots ? &headers_[slot] : nullptr;
}

bool Win32AudioOutput::prepare(std::uint32_t slot, std::uint8_t* data, std::uint32_t length) {
    WAVEHDR* h = header(slot);
    if (!h) return false;
    *h = WAVEHDR{};
    h->lpData = reinterpret_cast<LPSTR>(data);
    h->dwBufferLength = length;
    return waveOutPrepareHeader(device_, h, sizeof(WAVEHDR)) == MMSYSERR_NOERROR;
}

bool Win32AudioOutput::write(std::uint32_t slot) {
    WAVEHDR* h = header(slot);
    return h && waveOutWrite(device_, h, sizeof(WAVEHDR)) == MMSYSERR_NOERROR;
}

bool Win32AudioOutput::pause() { return waveOutPause(device_) == MMSYSERR_NOERROR; }

bool Win32AudioOutput::reset() { return waveOutReset(device_) == MMSYSERR_NOERROR; }

bool Win32AudioOutput::restart() { return waveOutRestart(device_) == MMSYSERR_NOERROR; }

bool Win32AudioOutput::getPosition(DevicePosition& position) {
    MMTIME time = {};
    time.wType = TIME_SAMPLES;
    if (waveOutGetPosition(device_, &time, sizeof(MMTIME)) != MMSYSERR_NOERROR) return false;
    switch (time.wType) {
        case TIME_SAMPLES: position = {PositionUnit::Samples, time.u.sample}; break;
        case TIME_BYTES: position = {PositionUnit::Bytes, time.u.cb}; break;
        case TIME_MS: position = {PositionUnit::Milliseconds, time.u.ms}; break;
        default: position = {PositionUnit::Other, 0}; break;
    }
    return true;
}

bool Win32AudioOutput::unprepare(std::uint32_t slot) {
    WAVEHDR* h = header(slot);
    return h && waveOutUnprepareHeader(device_, h, sizeof(WAVEHDR)) == MMSYSERR_NOERROR;
}

bool Win32AudioOutput::close() {
    const MMRESULT result = waveOutClose(device_);
    device_ = nullptr;
    return result == MMSYSERR_NOERROR;
}
