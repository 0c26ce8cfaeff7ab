// Writing the GIF through giflib's encoder.
#include "gif_file.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <iterator>

#include "scaled_frame.h"

namespace {

constexpr int kGifFrameRates[] = {1, 2, 4, 5, 10, 20, 25, 50};
constexpr int kColourBits = 8;  // every table holds all 256 entries: indices stay as drawn
constexpr int kColourCount = 1 << kColourBits;
constexpr int kHundredthsPerSecond = 100;

uint32_t colourOf(const Palette& palette, uint8_t index) {
    const uint8_t* c = &palette.rgb[index * 3];
    return (uint32_t(c[0]) << 16) | (uint32_t(c[1]) << 8) | c[2];
}

void fillColourMap(ColorMapObject* map, const Palette& palette) {
    for (int i = 0; i < kColourCount; ++i) {
        map->Colors[i].Red = palette.rgb[i * 3];
        map->Colors[i].Green = palette.rgb[i * 3 + 1];
        map->Colors[i].Blue = palette.rgb[i * 3 + 2];
    }
}

}  // namespace

bool isGifFrameRate(int fps) {
    return std::find(std::begin(kGifFrameRates), std::end(kGifFrameRates), fps) !=
           std::end(kGifFrameRates);
}

std::string gifFrameRates() {
    std::string list;
    const size_t count = std::size(kGifFrameRates);
    for (size_t i = 0; i < count; ++i) {
        if (i > 0) list += i + 1 < count ? ", " : " or ";
        list += std::to_string(kGifFrameRates[i]);
    }
    return list;
}

GifFile::~GifFile() {
    if (gif_) EGifCloseFile(gif_, nullptr);
    GifFreeMapObject(colourMap_);
}

bool GifFile::fail(const std::string& what, int code) {
    const char* reason = GifErrorString(code);
    error_ = !what.empty() ? what : reason ? reason : "giflib error " + std::to_string(code);
    return false;
}

bool GifFile::open(const std::string& path, int scale, int fps) {
    scale_ = scale;
    delay_ = kHundredthsPerSecond / fps;
    shown_.assign(kFrameSize, 0);
    changed_.assign(kFrameSize, 0);
    frameRow_.resize(kFrameWidth);
    line_.resize(size_t(kFrameWidth) * scale);
    colourMap_ = GifMakeMapObject(kColourCount, nullptr);
    if (!colourMap_) return fail("out of memory", 0);
    int code = 0;
    gif_ = EGifOpenFileName(path.c_str(), false, &code);
    if (!gif_) return fail("", code);
    EGifSetGifVersion(gif_, true);  // GIF89a: frame delays and the loop
    return true;
}

// The screen, its global colour table (the first frame's palette) and the loop for ever.
bool GifFile::writeHeader(const Palette& palette) {
    global_ = palette;
    fillColourMap(colourMap_, palette);
    static const GifByteType kLoopApplication[] = "NETSCAPE2.0";
    static const GifByteType kLoopForEver[] = {1, 0, 0};  // sub-block 1: loop count 0
    if (EGifPutScreenDesc(gif_, kFrameWidth * scale_, kFrameHeight * scale_, kColourBits, 0,
                          colourMap_) == GIF_ERROR ||
        EGifPutExtensionLeader(gif_, APPLICATION_EXT_FUNC_CODE) == GIF_ERROR ||
        EGifPutExtensionBlock(gif_, 11, kLoopApplication) == GIF_ERROR ||
        EGifPutExtensionBlock(gif_, sizeof kLoopForEver, kLoopForEver) == GIF_ERROR ||
        EGifPutExtensionTrailer(gif_) == GIF_ERROR)
        return fail("", gif_->Error);
    started_ = true;
    return true;
}

// The smallest rectangle holding every pixel whose colour differs from the canvas, which
// then takes the new colours. A palette change alone changes colours too. When nothing
// changed, one pixel: the frame must still be there, holding its delay.
GifFile::Rectangle GifFile::changedRectangle(const uint8_t* indices, const Palette& palette) {
    Rectangle area{kFrameWidth, kFrameHeight, 0, 0};
    for (int y = 0; y < kFrameHeight; ++y) {
        const uint8_t* row = indices + y * kFrameWidth;
        uint32_t* shown = &shown_[size_t(y) * kFrameWidth];
        uint8_t* changed = &changed_[size_t(y) * kFrameWidth];
        for (int x = 0; x < kFrameWidth; ++x) {
            const uint32_t colour = colourOf(palette, row[x]);
            changed[x] = colour != shown[x];
            if (!changed[x]) continue;
            shown[x] = colour;
            area.left = std::min(area.left, x);
            area.right = std::max(area.right, x + 1);
            area.top = std::min(area.top, y);
            area.bottom = y + 1;
        }
    }
    if (area.right == 0) {
        area = {0, 0, 1, 1};
        changed_[0] = 1;  // drawn again as it is
    }
    return area;
}

// An index that no changed pixel of the rectangle has, for the transparent ones; -1 when
// the changes use all 256.
int GifFile::unusedIndex(const uint8_t* indices, const Rectangle& area) const {
    bool used[kColourCount] = {};
    int count = 0;
    for (int y = area.top; y < area.bottom && count < kColourCount; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            const size_t i = size_t(y) * kFrameWidth + x;
            if (changed_[i] && !used[indices[i]]) {
                used[indices[i]] = true;
                ++count;
            }
        }
    }
    for (int index = 0; index < kColourCount; ++index) {
        if (!used[index]) return index;
    }
    return -1;
}

// The first frame is whole, with no transparent pixels: there is no canvas under it yet.
bool GifFile::writeImage(const uint8_t* indices, const Palette& palette, const Rectangle& area,
                         int transparent) {
    const GraphicsControlBlock control{DISPOSE_DO_NOT, false, delay_, transparent};
    GifByteType extension[4];
    const size_t length = EGifGCBToExtension(&control, extension);
    const bool local = std::memcmp(palette.rgb, global_.rgb, sizeof palette.rgb) != 0;
    if (local) fillColourMap(colourMap_, palette);
    const int width = (area.right - area.left) * scale_;
    if (EGifPutExtension(gif_, GRAPHICS_EXT_FUNC_CODE, int(length), extension) == GIF_ERROR ||
        EGifPutImageDesc(gif_, area.left * scale_, area.top * scale_, width,
                         (area.bottom - area.top) * scale_, false,
                         local ? colourMap_ : nullptr) == GIF_ERROR)
        return fail("", gif_->Error);
    const int count = area.right - area.left;
    for (int y = area.top; y < area.bottom; ++y) {
        const size_t start = size_t(y) * kFrameWidth + area.left;
        for (int x = 0; x < count; ++x) {
            const bool keep = transparent >= 0 && !changed_[start + x];
            frameRow_[x] = keep ? uint8_t(transparent) : indices[start + x];
        }
        expandIndexRow(frameRow_.data(), count, scale_, line_.data());
        for (int copy = 0; copy < scale_; ++copy) {
            if (EGifPutLine(gif_, line_.data(), width) == GIF_ERROR) return fail("", gif_->Error);
        }
    }
    return true;
}

bool GifFile::writeVideoFrame(const uint8_t* indices, const Palette& palette) {
    if (!started_) {
        if (!writeHeader(palette)) return false;
        changedRectangle(indices, palette);  // the canvas takes the first frame whole
        return writeImage(indices, palette, {0, 0, kFrameWidth, kFrameHeight},
                          NO_TRANSPARENT_COLOR);
    }
    const Rectangle area = changedRectangle(indices, palette);
    return writeImage(indices, palette, area, unusedIndex(indices, area));
}

bool GifFile::finish() {
    if (!started_) return fail("no frame to write", 0);
    int code = 0;
    const int result = EGifCloseFile(gif_, &code);  // frees it either way
    gif_ = nullptr;
    return result == GIF_OK ? true : fail("", code);
}
