// Frames allocate nothing: every scene sizes its buffers at load time, so a pass of the
// main loop, including the pass that starts a scene, never reaches the heap.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "demo/demo.h"
#include "demo/timeline.h"
#include "platform/headless/headless.h"
#include "scenes/scene_table.h"

namespace {
bool counting = false;
long allocations = 0;
}  // namespace

// The replacements pair malloc with free; the compiler cannot see that they belong
// together and would warn about every delete.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size) {
    if (counting) ++allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
// std::stable_sort takes its buffer with the nothrow form and gives it back to the plain
// delete, so that form must come from malloc too.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    if (counting) ++allocations;
    return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
    return operator new(size, tag);
}
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace {

constexpr uint32_t kBootTicks = 200000;
constexpr uint32_t kFrameMs = 50;  // 20 frames a second

TEST(Allocation, TheCounterSeesAnAllocation) {
    allocations = 0;
    counting = true;
    void* probe = ::operator new(16);  // a new-expression here could be optimised away
    counting = false;
    ::operator delete(probe);
    EXPECT_EQ(allocations, 1);
    allocations = 0;
}

TEST(Allocation, NoPassOfTheShowAllocates) {
    allocations = 0;
    headless::setYesNoAnswer(false);
    headless::setTicks(kBootTicks);
    DemoRun run;
    ASSERT_TRUE(startDemo(run));
    beginShow(run);

    // Every row for its whole duration (the last for twenty seconds), then Space wraps
    // round to the first row, whose start runs a second time.
    uint32_t showMs = 0;
    auto pass = [&] {
        showMs += kFrameMs;
        headless::setTicks(kBootTicks + showMs);
        counting = true;
        const bool running = runMainLoopPass(run);
        counting = false;
        return running;
    };
    int frames = 0;
    while (!(currentScene == kSceneCount - 1 &&
             (kBootTicks + showMs) * 0.001f - sceneStartTime > 20.0f)) {
        ASSERT_TRUE(pass());
        ++frames;
    }
    headless::pushMessage(platform::MessageType::KeyUp, platform::kKeySpace);
    ASSERT_TRUE(pass());
    ASSERT_TRUE(pass());
    EXPECT_EQ(currentScene, 0);
    EXPECT_GT(frames, 2500);
    EXPECT_EQ(allocations, 0) << "allocations during " << frames << " frames";

    headless::pushMessage(platform::MessageType::KeyUp, platform::kKeyEscape);
    pass();
    EXPECT_FALSE(pass());
    finishDemo(run);
}

}  // namespace
