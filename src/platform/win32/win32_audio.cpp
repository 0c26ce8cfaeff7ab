// The music on Windows: an Ogg Vorbis file decoded by stb_vorbis and streamed through
// waveOut. A feeder thread refills the device's buffers as it returns them, as an audio
// library would on its own, so the show's loop never waits for sound. No device, or no
// file: the show plays silent.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#define STB_VORBIS_HEADER_ONLY
#include <stb/stb_vorbis.h>

#include "platform/data_path.h"
#include "platform/platform.h"

namespace {

constexpr int kBufferCount = 8;
constexpr int kBufferFrames = 8192;  // about 0.19 s at 44.1 kHz: 1.5 s queued in all

struct Music {
    stb_vorbis* decoder = nullptr;
    int channels = 0;                // as played: the file's, at most two
    double sampleRate = 0.0;
    double firstSample = 0.0;        // where the device's count of samples began
    bool playing = false;
    HWAVEOUT device = nullptr;
    HANDLE bufferDone = nullptr;     // set by waveOut whenever it returns a buffer
    HANDLE feeder = nullptr;         // the thread that refills them
    volatile LONG stopping = 0;
    WAVEHDR headers[kBufferCount] = {};
    std::vector<short> samples[kBufferCount];
};

Music music;

// Decodes the next stretch of music into buffer i and queues it; false at the end.
bool queueBuffer(int i) {
    WAVEHDR& header = music.headers[i];
    if (header.dwFlags & WHDR_PREPARED)
        waveOutUnprepareHeader(music.device, &header, sizeof header);
    short* data = music.samples[i].data();
    const int frames = stb_vorbis_get_samples_short_interleaved(
        music.decoder, music.channels, data, kBufferFrames * music.channels);
    if (frames <= 0) return false;
    header = {};
    header.lpData = reinterpret_cast<LPSTR>(data);
    header.dwBufferLength = DWORD(frames) * music.channels * sizeof(short);
    waveOutPrepareHeader(music.device, &header, sizeof header);
    waveOutWrite(music.device, &header, sizeof header);
    return true;
}

DWORD WINAPI feedDevice(void*) {
    bool more = true;
    while (more) {
        WaitForSingleObject(music.bufferDone, INFINITE);
        if (music.stopping) break;
        for (int i = 0; i < kBufferCount && more; ++i) {
            if (music.headers[i].dwFlags & WHDR_DONE) more = queueBuffer(i);
        }
    }
    return 0;
}

void stopFeeder() {
    if (!music.feeder) return;
    InterlockedExchange(&music.stopping, 1);
    SetEvent(music.bufferDone);
    WaitForSingleObject(music.feeder, INFINITE);
    CloseHandle(music.feeder);
    music.feeder = nullptr;
}

// The feeder stopped and every queued buffer handed back: the device is silent, ready to
// be fed from anywhere in the music.
void stopPlaying() {
    stopFeeder();
    music.playing = false;
    if (!music.device) return;
    waveOutReset(music.device);  // hands every queued buffer back, and counts from 0 again
    for (WAVEHDR& header : music.headers) {
        if (header.dwFlags & WHDR_PREPARED)
            waveOutUnprepareHeader(music.device, &header, sizeof header);
        header = {};
    }
}

void closeMusic() {
    stopPlaying();
    if (music.device) waveOutClose(music.device);
    if (music.bufferDone) CloseHandle(music.bufferDone);
    if (music.decoder) stb_vorbis_close(music.decoder);  // closes the file too
    music = Music{};
}

bool openDevice(const stb_vorbis_info& info) {
    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = WORD(music.channels);
    format.nSamplesPerSec = info.sample_rate;
    format.wBitsPerSample = 16;
    format.nBlockAlign = WORD(music.channels * sizeof(short));
    format.nAvgBytesPerSec = info.sample_rate * format.nBlockAlign;
    music.bufferDone = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!music.bufferDone) return false;
    return waveOutOpen(&music.device, WAVE_MAPPER, &format,
                       reinterpret_cast<DWORD_PTR>(music.bufferDone), 0,
                       CALLBACK_EVENT) == MMSYSERR_NOERROR;
}

}  // namespace

namespace platform {

bool audioInit() {
    if (waveOutGetNumDevs() > 0) return true;
    std::fputs("no audio device: playing silent\n", stderr);
    return false;
}

void audioStart() {}

uint32_t audioStreamCreateFile(const char* fileName) {
    closeMusic();
    std::FILE* file = openDataFile(fileName);
    if (!file) return 0;
    int error = 0;
    music.decoder = stb_vorbis_open_file(file, 1, &error, nullptr);  // owns the file now
    if (!music.decoder) return 0;
    const stb_vorbis_info info = stb_vorbis_get_info(music.decoder);
    music.channels = std::min(info.channels, 2);  // more are mixed down
    music.sampleRate = info.sample_rate;
    if (!openDevice(info)) {
        music.device = nullptr;
        closeMusic();
        return 0;
    }
    for (std::vector<short>& samples : music.samples)
        samples.assign(size_t(kBufferFrames) * music.channels, 0);
    return 1;
}

void audioStreamPlay(uint32_t, double fromSeconds) {
    if (!music.device) return;
    stopPlaying();  // playing already: from the new place
    const double firstSample = std::max(0.0, fromSeconds) * music.sampleRate;
    const double length = stb_vorbis_stream_length_in_samples(music.decoder);
    if (!(firstSample < length)) return;  // the show is past the music's end
    stb_vorbis_seek(music.decoder, static_cast<unsigned>(firstSample));
    music.firstSample = firstSample;
    music.playing = true;
    for (int i = 0; i < kBufferCount; ++i) {
        if (!queueBuffer(i)) return;  // the whole rest fits the first buffers
    }
    InterlockedExchange(&music.stopping, 0);
    music.feeder = CreateThread(nullptr, 0, feedDevice, nullptr, 0, nullptr);
}

void audioStreamPause(uint32_t) { stopPlaying(); }

uint32_t audioStreamCreateClicks() { return 0; }

// The device's own count of samples played. Nothing is added for latency: waveOut
// reports none, and since Vista it plays through the audio engine, whose clock counts the
// samples that have reached the endpoint, so what the engine still holds is out of the
// count already (adding the engine's stream latency, a WASAPI figure, would count it
// twice). What lies beyond the endpoint (Bluetooth, a TV) is --audio-offset's.
double audioStreamPosition(uint32_t) {
    if (!music.device || !music.playing) return -1.0;
    MMTIME time = {};
    time.wType = TIME_SAMPLES;
    if (waveOutGetPosition(music.device, &time, sizeof time) != MMSYSERR_NOERROR ||
        time.wType != TIME_SAMPLES)
        return -1.0;
    return (music.firstSample + time.u.sample) / music.sampleRate;
}

double audioStreamLength(uint32_t) {
    if (!music.decoder) return 0.0;
    return stb_vorbis_stream_length_in_seconds(music.decoder);
}

void audioStreamFree(uint32_t) { closeMusic(); }

void audioStop() {}

void audioFree() {}

}  // namespace platform
