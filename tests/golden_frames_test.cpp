// Golden frames: the show played by the simulated 60 fps clock, with a hash of the frame
// on screen (palette indices and the palette in force) at about a hundred show times:
// every scene, its fades, wipes and dissolves, and the last scene a minute in. Any change
// that alters a frame fails here. A change that alters frames on purpose updates the
// table in the same commit; DORMINAX_PRINT_GOLDEN=1 prints the table as it now is.
//
// The same playing of the show proves that frames allocate nothing: every scene sizes its
// buffers at load time, so no pass of the main loop, including the passes that start a
// scene, reaches the heap.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "core/display.h"
#include "golden_frames.h"
#include "platform/headless/headless.h"
#include "show/simulated_show.h"
#include "show/timeline.h"

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

// Where nothing flashes the gentle show is the show as drawn: checked times in every scene
// but the ring flight, away from the flashing of scenes 2 and 8 (and a second and a half
// on from each, while the softening fades out) and from the white opening of scene 2,
// where the burn that ends the ring flight fades out until about 37 s.
const double kCalmTimes[] = {38.0, 40.0, 50.0, 60.0, 72.0, 90.0, 98.0, 104.0, 118.0, 128.0,
                             150.0, 204.0};

uint64_t goldenHashAt(double seconds) {
    for (const GoldenFrame& golden : kGolden)
        if (golden.showSeconds == seconds) return golden.hash;
    ADD_FAILURE() << "no golden frame at " << seconds << " s";
    return 0;
}

}  // namespace

TEST(Allocation, TheCounterSeesAnAllocation) {
    allocations = 0;
    counting = true;
    void* probe = ::operator new(16);  // a new-expression here could be optimised away
    counting = false;
    ::operator delete(probe);
    EXPECT_EQ(allocations, 1);
    allocations = 0;
}

TEST(GoldenFrames, TheShowDrawsTodaysFramesAtEveryCheckedTime) {
    const bool print = std::getenv("DORMINAX_PRINT_GOLDEN") != nullptr;
    SimulatedShow show(60.0);
    ASSERT_TRUE(show.start());
    allocations = 0;
    for (const GoldenFrame& golden : kGolden) {
        counting = true;
        show.runUntil(golden.showSeconds);
        counting = false;
        const uint64_t hash = hashFrameOnScreen();
        if (print) std::printf("    {%.2f, 0x%016llxull},\n", golden.showSeconds,
                               static_cast<unsigned long long>(hash));
        EXPECT_EQ(hash, golden.hash) << "the frame at " << golden.showSeconds << " s changed";
    }
    // Space after the last scene wraps round to the first row, whose start runs again.
    headless::pushMessage(platform::MessageType::KeyUp, platform::kKeySpace);
    counting = true;
    show.step();
    show.step();
    counting = false;
    EXPECT_EQ(currentScene, 0);
    EXPECT_GT(show.framesRun(), 12000);
    EXPECT_EQ(allocations, 0) << "allocations during " << show.framesRun() << " frames";
    show.finish();
}

TEST(GoldenFrames, TheGentleShowIsTheShowAsDrawnWhereNothingFlashes) {
    SimulatedShow show(60.0);
    DemoOptions gentle;
    gentle.gentle = true;
    ASSERT_TRUE(show.start(gentle));
    allocations = 0;
    for (double seconds : kCalmTimes) {
        counting = true;
        show.runUntil(seconds);
        counting = false;
        EXPECT_EQ(hashFrameOnScreen(), goldenHashAt(seconds)) << "the gentle frame at " << seconds
                                                              << " s differs";
    }
    EXPECT_EQ(allocations, 0) << "the limiter allocated while the show played";
    show.finish();
}
