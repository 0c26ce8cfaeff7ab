// No sound server to ask (built without libpulse): the latency is never known.
#include "platform/sdl/server_latency.h"

void startServerLatency(const std::atomic<int64_t>*, const std::atomic<uint32_t>*) {}
ServerLatency serverLatency() { return {}; }
void stopServerLatency() {}
