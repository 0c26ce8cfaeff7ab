// The window procedure and the screenshot writer.
#include "demo/window_proc.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "core/display.h"
#include "demo/timeline.h"
#include "platform/data_path.h"

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

// The next free name from the counter on, created at once: a file already there (from an
// earlier run, or anything else by that name, a link too) is never written over.
std::FILE* createScreenshotFile(char* name, size_t size) {
    for (;;) {
        std::snprintf(name, size, "screenshot%3.3d.bmp", screenshotCounter);
        if (screenshotCounter == INT_MAX) return nullptr;  // no number left to try
        ++screenshotCounter;
        std::FILE* file = createNewFile(name);
        if (file || errno != EEXIST) return file;
    }
}

bool writeBmp(std::FILE* file) {
    uint8_t header[kBmpHeaderSize];
    fillBmpHeader(header);
    bool written = std::fwrite(header, 1, sizeof header, file) == sizeof header;

    const Palette& palette = paletteOnScreen();
    for (int i = 0; i < 256; ++i) {
        const uint8_t entry[4] = {palette.rgb[i * 3 + 2], palette.rgb[i * 3 + 1],
                                  palette.rgb[i * 3], 0};
        written = written && std::fwrite(entry, 1, 4, file) == 4;
    }
    // What the user sees: scenes 3 to 6 present the ScratchFrame, so the FrameBuffer may
    // hold an older picture.
    const uint8_t* frame = frameOnScreen();
    for (int row = kFrameHeight - 1; row >= 0; --row) {
        written = written &&
                  std::fwrite(frame + row * kFrameWidth, 1, kFrameWidth, file) == kFrameWidth;
    }
    return written;
}

}  // namespace

bool writeScreenshot() {
    char name[32];
    std::FILE* file = createScreenshotFile(name, sizeof name);
    if (!file) {
        std::fprintf(stderr, "screenshot failed: cannot create %s: %s\n", name,
                     std::strerror(errno));
        return false;
    }
    const bool written = writeBmp(file);
    const int writeError = errno;
    if (std::fclose(file) != 0 || !written) {
        std::fprintf(stderr, "screenshot failed: cannot write %s: %s\n", name,
                     std::strerror(written ? errno : writeError));
        std::remove(name);  // ours, and not a picture
        return false;
    }
    platform::offerFile(name);
    return true;
}
