// Where the music is heard, from the frames mixed and the server's latency.
#include "platform/sdl/heard_position.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <vector>

#include "platform/sdl/server_latency.h"

namespace {

// An answer older than this (the server stopped answering) is not used.
constexpr double kStaleSeconds = 0.5;
// Each answer says where the music was at its moment. The count moves a buffer at a time
// and the server's report by its own steps, so single answers scatter over a buffer's
// length around the truth: the median of the latest two seconds' is taken.
constexpr size_t kAnswersKept = 101;  // asked every 20 ms

int frameRate = 44100;
int frameBytes = 4;       // 16-bit samples, stereo unless the device asked otherwise
int deviceFrames = 1024;  // SDL's buffer as the device took it (the latest mix's)
std::atomic<int64_t> mixedFrames{0};
std::atomic<uint32_t> generation{0};
// The latest mix: the count before it and when it ran (audio thread; read under the lock).
int64_t framesBeforeMix = 0;
double mixedAt = 0.0;
double musicFrom = 0.0;
// The latest answers of this generation, as the music's second less the steady clock's.
std::vector<double> answers;
double lastAnswerAt = 0.0;
uint32_t answersGeneration = 0;

double steadySeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

void countMix(void*, Uint8*, int bytes) {
    framesBeforeMix = mixedFrames.load();
    mixedAt = steadySeconds();
    deviceFrames = bytes / frameBytes;
    mixedFrames += deviceFrames;
}

// The median of the answers kept, taking in the latest answer when it is new.
double musicLessClock(const ServerLatency& server) {
    if (server.generation != answersGeneration) {
        answers.clear();
        answersGeneration = server.generation;
    }
    if (server.at != lastAnswerAt) {
        lastAnswerAt = server.at;
        if (answers.size() == kAnswersKept) answers.erase(answers.begin());
        answers.push_back(musicFrom + double(server.framesHanded) / frameRate - server.seconds -
                          server.at);
    }
    std::vector<double> sorted = answers;
    std::nth_element(sorted.begin(), sorted.begin() + long(sorted.size() / 2), sorted.end());
    return sorted[sorted.size() / 2];
}

}  // namespace

void startHeardPosition(int rate, int channels, int bufferFrames) {
    frameRate = rate;
    frameBytes = 2 * channels;
    deviceFrames = bufferFrames;
    Mix_SetPostMix(countMix, nullptr);
    const char* driver = SDL_GetCurrentAudioDriver();
    if (driver && (std::strcmp(driver, "pulseaudio") == 0 || std::strcmp(driver, "pipewire") == 0))
        startServerLatency(&mixedFrames, &generation);
}

void stopHeardPosition() {
    stopServerLatency();
    Mix_SetPostMix(nullptr, nullptr);
}

void restartHeardPosition(double fromSeconds) {
    mixedFrames = 0;
    framesBeforeMix = 0;
    mixedAt = steadySeconds();
    musicFrom = fromSeconds;
    ++generation;
}


double heardPosition() {
    const double now = steadySeconds();
    const ServerLatency server = serverLatency();
    if (server.known && server.generation == generation.load() && now - server.at < kStaleSeconds)
        return musicLessClock(server) + now;
    // No report: the latest mix is heard once the device has played a buffer ahead of it.
    SDL_LockAudio();
    const int64_t before = framesBeforeMix;
    const double at = mixedAt;
    const double bufferSeconds = double(deviceFrames) / frameRate;
    SDL_UnlockAudio();
    return musicFrom + double(before) / frameRate - bufferSeconds +
           std::min(now - at, bufferSeconds);
}
