// The latency of this program's playback stream, as PulseAudio (or PipeWire's PulseAudio
// server) reports it for the stream SDL opened: what the stream's buffer holds plus the
// sink's own latency. SDL keeps its stream to itself, so the server is asked about the
// sink input whose client is this process.
#include <pulse/pulseaudio.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "platform/sdl/server_latency.h"

namespace {

constexpr auto kAskEvery = std::chrono::milliseconds(20);
constexpr auto kLoopRest = std::chrono::milliseconds(2);

const std::atomic<int64_t>* countedFrames = nullptr;
const std::atomic<uint32_t>* countGeneration = nullptr;
std::atomic<bool> running{false};
// Never destroyed: a program that exits without stopping it (an error box on the way
// out) must not die of a thread object still running at its end.
std::thread* asker = nullptr;
std::mutex latest;
ServerLatency latestAnswer;
uint32_t askedGeneration = 0;

double steadySeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

bool ours(const pa_sink_input_info* info) {
    const char* pid = pa_proplist_gets(info->proplist, PA_PROP_APPLICATION_PROCESS_ID);
    return pid && std::atol(pid) == long(getpid());
}

void answered(pa_context*, const pa_sink_input_info* info, int eol, void*) {
    if (eol || !info || !ours(info)) return;
    // A restart of the count since the question makes the answer meaningless.
    if (countGeneration->load() != askedGeneration) return;
    ServerLatency answer;
    answer.known = true;
    answer.framesHanded = countedFrames->load();
    answer.seconds = double(info->buffer_usec + info->sink_usec) / 1e6;
    answer.at = steadySeconds();
    answer.generation = askedGeneration;
    std::lock_guard<std::mutex> hold(latest);
    latestAnswer = answer;
}

void ask() {
    pa_mainloop* loop = pa_mainloop_new();
    pa_context* context = pa_context_new(pa_mainloop_get_api(loop), "Dorminax latency");
    if (context && pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0) {
        pa_operation* pending = nullptr;
        auto lastAsked = std::chrono::steady_clock::now() - kAskEvery;
        while (running) {
            const pa_context_state_t state = pa_context_get_state(context);
            if (!PA_CONTEXT_IS_GOOD(state)) break;
            if (pending && pa_operation_get_state(pending) != PA_OPERATION_RUNNING) {
                pa_operation_unref(pending);
                pending = nullptr;
            }
            const auto now = std::chrono::steady_clock::now();
            if (state == PA_CONTEXT_READY && !pending && now - lastAsked >= kAskEvery) {
                askedGeneration = countGeneration->load();
                pending = pa_context_get_sink_input_info_list(context, answered, nullptr);
                lastAsked = now;
            }
            pa_mainloop_iterate(loop, 0, nullptr);
            std::this_thread::sleep_for(kLoopRest);
        }
        if (pending) pa_operation_unref(pending);
        pa_context_disconnect(context);
    }
    if (context) pa_context_unref(context);
    pa_mainloop_free(loop);
}

}  // namespace

void startServerLatency(const std::atomic<int64_t>* mixedFrames,
                        const std::atomic<uint32_t>* generation) {
    if (running) return;
    countedFrames = mixedFrames;
    countGeneration = generation;
    running = true;
    asker = new std::thread(ask);
}

ServerLatency serverLatency() {
    std::lock_guard<std::mutex> hold(latest);
    return latestAnswer;
}

void stopServerLatency() {
    if (!running) return;
    running = false;
    asker->join();
    delete asker;
    asker = nullptr;
    latestAnswer = ServerLatency{};
}
