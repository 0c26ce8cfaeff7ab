// The window procedure and the screenshot writer.
#include "demo/window_proc.h"

#include <cstdint>
#include <cstdio>

#include "core/display.h"
#include "demo/timeline.h"

int screenshotCounter = 0;

namespace {

bool quitPosted = false;

// BMP layout of a 320x240 8-bit picture with a 256-colour table.
constexpr uint32_t kBmpHeaderSize = 54;
constexpr uint32_t kBmpColourTableSize = 256 * 4;
constexpr uint32_t kBmpPixelOffset = kBmpHeaderSize + kBmpColourTableSize;  // 1,078
constexpr uint32_t kBmpFileSize = kBmpPixelOffset + kFrameSize;             // 77,878

void putU16(uint8_t* at, uint16_t value) {
    at[0] = value & 0xFF;
    at[1] = value >> 8;
}

void putU32(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = (value >> (8 * i)) & 0xFF;
}

void fillBmpHeader(uint8_t* header) {
    header[0] = 'B';
    header[1] = 'M';
    putU32(header + 2, kBmpFileSize);
    putU32(header + 6, 0);  // two reserved words
    putU32(header + 10, kBmpPixelOffset);
    putU32(header + 14, 40);  // info header size
    putU32(header + 18, kFrameWidth);
    putU32(header + 22, kFrameHeight);  // positive: rows stored bottom first
    putU16(header + 26, 1);             // planes
    putU16(header + 28, 8);             // bits per pixel
    putU32(header + 30, 0);             // no compression
    putU32(header + 34, kFrameSize);
    putU32(header + 38, 100);  // pixels per metre, both ways
    putU32(header + 42, 100);
    putU32(header + 46, 256);  // colours used
    putU32(header + 50, 256);  // important colours
}

}  // namespace

void postQuitMessage() { quitPosted = true; }

void windowProc(const platform::Message& message) {
    switch (message.type) {
        case platform::MessageType::Close:
        case platform::MessageType::Destroy:
            postQuitMessage();
            break;
        case platform::MessageType::KeyUp:
            if (message.key == platform::kKeyEscape) postQuitMessage();
            if (message.key == platform::kKeySpace) advanceRequested = true;
            if (message.key == platform::kKeyS) writeScreenshot();
            break;
    }
}

bool pumpOneMessage() {
    if (quitPosted) {
        quitPosted = false;
        return false;
    }
    platform::Message message;
    if (platform::pollMessage(message)) windowProc(message);
    return true;
}

void writeScreenshot() {
    char name[32];
    std::snprintf(name, sizeof name, "screenshot%3.3d.bmp", screenshotCounter);
    ++screenshotCounter;
    std::FILE* file = std::fopen(name, "wb");
    if (!file) return;  // skipped silently; the counter has moved on

    uint8_t header[kBmpHeaderSize];
    fillBmpHeader(header);
    std::fwrite(header, 1, sizeof header, file);

    const Palette& palette = paletteOnScreen();
    for (int i = 0; i < 256; ++i) {
        const uint8_t entry[4] = {palette.rgb[i * 3 + 2], palette.rgb[i * 3 + 1],
                                  palette.rgb[i * 3], 0};
        std::fwrite(entry, 1, 4, file);
    }
    // What the user sees: scenes 3 to 6 present the ScratchFrame, so the FrameBuffer may
    // hold an older picture.
    const uint8_t* frame = frameOnScreen();
    for (int row = kFrameHeight - 1; row >= 0; --row)
        std::fwrite(frame + row * kFrameWidth, 1, kFrameWidth, file);
    std::fclose(file);
    platform::offerFile(name);
}
