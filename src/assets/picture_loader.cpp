// The GIF and raw palette readers. The GIF reader takes one non-interlaced image right
// after the global colour table, with no extension blocks: exactly what the demo's files
// are. Malformed image data never makes it read or write outside its buffers: decoding
// stops at the first code that cannot be decoded (or where the data runs out), keeping
// the pixels decoded so far; the rest of the picture stays 0. It also stops once the
// picture is full. Each file is read into memory once and parsed there.
#include "assets/picture_loader.h"

#include <cstring>
#include <vector>

#include "assets/data_file.h"
#include "core/fatal.h"

namespace {

constexpr int kMaxCodes = 4096;  // GIF codes are at most 12 bits wide
constexpr int kEnd = -1;         // what a read past the last byte gives

// The reader's store: the last colour table and the last decoded pixels. A colour table
// of fewer than 256 entries leaves the later entries as an earlier load left them.
Palette paletteStore;
std::unique_ptr<uint8_t[]> pixelStore;
int imageWidth = 0;
int imageHeight = 0;

// The LZW string table: each code is its prefix code plus one suffix byte.
int prefix[kMaxCodes];
uint8_t suffix[kMaxCodes];
uint8_t stringScratch[kMaxCodes];  // a string is at most as long as the table

// The bytes of a file, read front to back; nothing is read past the last.
struct ByteCursor {
    const uint8_t* bytes;
    size_t size;
    size_t position = 0;

    int next() { return position < size ? bytes[position++] : kEnd; }
    bool take(void* out, size_t count) {
        if (count > size - position) return false;
        std::memcpy(out, bytes + position, count);
        position += count;
        return true;
    }
};

// Reads LZW codes least significant bit first from a chain of data sub-blocks.
struct CodeReader {
    ByteCursor& cursor;
    int blockRemaining = 0;  // bytes left in the current sub-block
    bool exhausted = false;  // a zero-length block, or the end of the file, was met
    uint32_t bitBuffer = 0;
    int bitCount = 0;

    int nextByte() {
        if (blockRemaining == 0) {
            const int length = exhausted ? kEnd : cursor.next();
            if (length == kEnd || length == 0) {
                exhausted = true;
                return kEnd;
            }
            blockRemaining = length;
        }
        const int byte = cursor.next();
        if (byte == kEnd) {
            exhausted = true;
            return kEnd;
        }
        --blockRemaining;
        return byte;
    }

    // The next code of the given width, or -1 when the data runs out.
    int read(int width) {
        while (bitCount < width) {
            const int byte = nextByte();
            if (byte == kEnd) return -1;
            bitBuffer |= uint32_t(byte) << bitCount;
            bitCount += 8;
        }
        const int code = int(bitBuffer & ((1u << width) - 1));
        bitBuffer >>= width;
        bitCount -= width;
        return code;
    }
};

// Appends pixels to the picture, dropping any beyond its end.
struct PixelWriter {
    uint8_t* pixels;
    size_t size;
    size_t position = 0;

    void put(uint8_t value) {
        if (position < size) pixels[position] = value;
        ++position;
    }
    bool full() const { return position >= size; }
};

// Writes the string of a code (a literal or a defined table entry); returns its first byte.
uint8_t writeString(int code, int clearCode, PixelWriter& out) {
    int length = 0;
    while (code >= clearCode && length < kMaxCodes - 1) {
        stringScratch[length++] = suffix[code];
        code = prefix[code];
    }
    const uint8_t first = static_cast<uint8_t>(code);
    out.put(first);
    while (length > 0) out.put(stringScratch[--length]);
    return first;
}

void decodeLzw(ByteCursor& cursor, int minimumCodeSize, PixelWriter& out) {
    const int clearCode = 1 << minimumCodeSize;
    const int endCode = clearCode + 1;
    int nextCode = clearCode + 2;
    int codeWidth = minimumCodeSize + 1;
    int codeLimit = 1 << codeWidth;
    int previous = -1;  // none yet: a stream that does not start with a clear code starts cleared

    CodeReader reader{cursor};
    for (int code = reader.read(codeWidth); code != endCode; code = reader.read(codeWidth)) {
        if (code < 0) return;  // the data ended before the end code
        // Whatever follows would be dropped; expanding it anyway costs up to 4095 pixels
        // per 12-bit code, minutes for a large file of long strings.
        if (out.full()) return;
        if (code == clearCode) {
            codeWidth = minimumCodeSize + 1;
            codeLimit = 1 << codeWidth;
            nextCode = clearCode + 2;
            previous = -1;
            continue;
        }
        if (previous < 0) {
            if (code > clearCode) return;  // a table code in an empty table
            out.put(static_cast<uint8_t>(code));
            previous = code;
            continue;
        }
        uint8_t first;
        if (code < nextCode) {
            first = writeString(code, clearCode, out);
        } else if (code == nextCode) {
            // The string repeats its own first byte: previous string plus that byte.
            first = writeString(previous, clearCode, out);
            out.put(first);
        } else {
            return;  // a code beyond the table: corrupt data
        }
        if (nextCode < kMaxCodes) {
            prefix[nextCode] = previous;
            suffix[nextCode] = first;
            ++nextCode;
            if (nextCode >= codeLimit && codeWidth < 12) {
                ++codeWidth;
                codeLimit <<= 1;
            }
        }
        previous = code;
    }
}

int readU16(const uint8_t* bytes) { return bytes[0] | (bytes[1] << 8); }

[[noreturn]] void failLoading(const char* fileName) {
    exitWithErrorBox("Error loading file", fileName);
}

}  // namespace

bool readGifBytes(const uint8_t* bytes, size_t size) {
    ByteCursor cursor{bytes, size};
    uint8_t header[13];  // signature and logical screen descriptor
    if (!cursor.take(header, sizeof header)) return false;
    if (std::memcmp(header, "GIF87a", 6) != 0 && std::memcmp(header, "GIF89a", 6) != 0)
        return false;
    if (header[12] != 0) return false;  // pixel aspect ratio

    // A global colour table is always expected; its presence bit is not consulted.
    const int colourCount = 2 << (header[10] & 7);
    if (!cursor.take(paletteStore.rgb, size_t(colourCount) * 3)) return false;

    uint8_t descriptor[10];
    if (!cursor.take(descriptor, sizeof descriptor)) return false;
    if (descriptor[0] != 0x2C) return false;             // an extension block or the trailer
    if ((descriptor[9] & 0xC0) != 0) return false;       // local colour table or interlaced
    const int minimumCodeSize = cursor.next();
    if (minimumCodeSize < 2 || minimumCodeSize > 8) return false;

    // A picture larger than any the program can use is refused before anything is
    // allocated for it: the header alone could otherwise ask for four gigabytes.
    const int width = readU16(descriptor + 5);
    const int height = readU16(descriptor + 7);
    if (width > kMaxPictureSide || height > kMaxPictureSide) return false;

    imageWidth = width;
    imageHeight = height;
    const size_t pixelCount = size_t(width) * size_t(height);
    pixelStore.reset(new uint8_t[pixelCount > 0 ? pixelCount : 1]());
    PixelWriter out{pixelStore.get(), pixelCount};
    decodeLzw(cursor, minimumCodeSize, out);
    return true;
}

bool readRawPaletteBytes(const uint8_t* bytes, size_t size) {
    if (size != 768) return false;
    // 6-bit components to 8 bits; a byte above 63 keeps only its low bits after the shift.
    for (int i = 0; i < 768; ++i) paletteStore.rgb[i] = static_cast<uint8_t>(bytes[i] << 2);
    pixelStore.reset(new uint8_t[1]());
    return true;
}

bool readGif(const char* fileName) {
    std::vector<uint8_t> bytes;
    return readDataFile(fileName, bytes) && readGifBytes(bytes.data(), bytes.size());
}

bool readRawPalette(const char* fileName) {
    std::vector<uint8_t> bytes;
    return readDataFile(fileName, bytes) && readRawPaletteBytes(bytes.data(), bytes.size());
}

std::unique_ptr<Palette> loadPalette(const char* fileName) {
    if (!readGif(fileName) && !readRawPalette(fileName)) failLoading(fileName);
    pixelStore.reset();
    return std::make_unique<Palette>(paletteStore);
}

std::unique_ptr<uint8_t[]> loadPicture(const char* fileName, int* width, int* height) {
    if (!readGif(fileName)) failLoading(fileName);
    if (width) *width = imageWidth;
    if (height) *height = imageHeight;
    return std::move(pixelStore);
}

std::unique_ptr<uint8_t[]> loadPictureOfSize(const char* fileName, int width, int height) {
    int actualWidth = 0;
    int actualHeight = 0;
    std::unique_ptr<uint8_t[]> pixels = loadPicture(fileName, &actualWidth, &actualHeight);
    if (actualWidth != width || actualHeight != height) failLoading(fileName);
    return pixels;
}
