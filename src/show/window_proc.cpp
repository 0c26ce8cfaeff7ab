// The window procedure and the screenshot writer.
#include "show/window_proc.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/display.h"
#include "platform/output_file.h"
#include "show/timeline.h"

int screenshotCounter = 0;
bool screenshotFailed = false;
PlayerRequest playerRequest;

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
            if (message.key == platform::kKeyEscape) {
                postQuitMessage();
            } else if (message.key == platform::kKeySpace) {
                advanceRequested = true;
            } else if (message.key == platform::kKeyS) {
                if (!writeScreenshot()) screenshotFailed = true;
            } else {
                playerRequest = {PlayerRequest::Kind::Key, message.key, 0.0};
            }
            break;
        case platform::MessageType::SeekTo:
            playerRequest = {PlayerRequest::Kind::SeekTo, 0, message.seconds};
            break;
        case platform::MessageType::Returned:
            playerRequest = {PlayerRequest::Kind::Resync, 0, 0.0};
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

namespace {

// The picture as a BMP file's bytes: header, colour table, rows bottom first.
std::vector<uint8_t> bmpBytes() {
    std::vector<uint8_t> bytes(kBmpFileSize);
    fillBmpHeader(bytes.data());
    const Palette& palette = paletteOnScreen();
    uint8_t* entry = bytes.data() + kBmpHeaderSize;
    for (int i = 0; i < 256; ++i, entry += 4) {
        entry[0] = palette.rgb[i * 3 + 2];
        entry[1] = palette.rgb[i * 3 + 1];
        entry[2] = palette.rgb[i * 3];
        entry[3] = 0;
    }
    // What the user sees: scenes 3 to 6 present the ScratchFrame, so the FrameBuffer may
    // hold an older picture.
    const uint8_t* frame = frameOnScreen();
    uint8_t* row = bytes.data() + kBmpPixelOffset;
    for (int y = kFrameHeight - 1; y >= 0; --y, row += kFrameWidth)
        std::memcpy(row, frame + y * kFrameWidth, kFrameWidth);
    return bytes;
}

}  // namespace

bool writeScreenshot() {
    const std::vector<uint8_t> bytes = bmpBytes();
    // The next free name from the counter on: a file already there (from an earlier run,
    // or anything else by that name, a link too) is never written over.
    char name[32];
    for (;;) {
        std::snprintf(name, sizeof name, "screenshot%3.3d.bmp", screenshotCounter);
        if (screenshotCounter == INT_MAX) {
            std::fprintf(stderr, "screenshot failed: no number left for %s\n", name);
            return false;
        }
        ++screenshotCounter;
        std::string error;
        OutputFailure failure;
        if (writeOutputFile(name, bytes.data(), bytes.size(), error, OutputReplace::Never,
                            &failure))
            break;
        if (failure.code != EEXIST) {
            std::fprintf(stderr, "screenshot failed: cannot %s %s: %s\n",
                         failure.created ? "write" : "create", name, error.c_str());
            return false;
        }
    }
    platform::offerFile(name);
    return true;
}
