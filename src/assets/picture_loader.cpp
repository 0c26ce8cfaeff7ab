// The GIF and raw palette readers. The GIF reader takes one non-interlaced image right
// after the global colour table, with no extension blocks: exactly what the demo's files
// are. Malformed image data never makes it read or write outside its buffers: decoding
// stops at the first code that cannot be decoded (or where the data runs out), and stops
// once the picture is full. A picture left short, or a file that ends before its trailer,
// is refused: shown, it would be a picture the file does not hold. Each file is read into
// memory once and parsed there.
#include "assets/picture_loader.h"

#include <cstring>
#include <string>
#include <vector>

#include "assets/data_file.h"

namespace {

constexpr int kMaxCodes = 4096;  // GIF codes are at most 12 bits wide
constexpr int kEnd = -1;         // what a read past the last byte gives

// The reader's store: the last colour table and the last decoded pixels. A colour table
// of fewer than 256 entries leaves the later entries black (not as an earlier load left
// them, which would make a picture's colours depend on the files read before it).
Palette paletteStore;
std::unique_ptr<uint8_t[]> pixelStore;
int imageWidth = 0;
int imageHeight = 0;

// The LZW string table: each code is its prefix code plus one suffix byte.
int prefix[kMaxCodes];
uint8_t suffix[kMaxCodes];
uint8_t stringScratch[kMaxCodes];  // a string is at most as long as the table

// Why the last read failed, in plain words.
const char* readFault = "";

bool fault(const char* reason) {
    readFault = reason;
    return false;
}

// The bytes of a file, read front to back; nothing is read past the last.
struct ByteCursor {
    const uint8_t* bytes;
    size_t size;
    size_t position = 0;

    int next() { return position < size ? bytes[position++] : kEnd; }
    bool skip(size_t count) {
        if (count > size - position) return false;
        position += count;
        return true;
    }
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
    int blockRemaining = 0;   // bytes left in the current sub-block
    bool terminated = false;  // the zero-length block that ends the data was met
    bool exhausted = false;   // no more data: terminated, or the file ended
    uint32_t bitBuffer = 0;
    int bitCount = 0;

    // The next sub-block's length byte; 0 or kEnd ends the data.
    void startBlock() {
        const int length = cursor.next();
        if (length == 0) terminated = true;
        if (length == kEnd || length == 0) exhausted = true;
        else blockRemaining = length;
    }

    int nextByte() {
        if (!exhausted && blockRemaining == 0) startBlock();
        if (exhausted) return kEnd;
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

    // Skips the rest of the data, past its terminator; false when the file ends first.
    bool skipToTerminator() {
        while (!exhausted) {
            if (size_t(blockRemaining) > cursor.size - cursor.position) {
                exhausted = true;
                break;
            }
            cursor.position += size_t(blockRemaining);
            blockRemaining = 0;
            startBlock();
        }
        return terminated;
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

void decodeLzw(CodeReader& reader, int minimumCodeSize, PixelWriter& out) {
    const int clearCode = 1 << minimumCodeSize;
    const int endCode = clearCode + 1;
    int nextCode = clearCode + 2;
    int codeWidth = minimumCodeSize + 1;
    int codeLimit = 1 << codeWidth;
    int previous = -1;  // none yet: a stream that does not start with a clear code starts cleared

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

// After the image: whatever blocks follow it (extensions, images the demo does not show),
// up to the trailer that ends every GIF. False when the file ends first, or a byte
// begins no block.
bool reachesTrailer(ByteCursor& cursor) {
    for (;;) {
        const int introducer = cursor.next();
        if (introducer == 0x3B) return true;
        if (introducer == 0x21) {
            if (cursor.next() == kEnd) return false;  // the extension's label
        } else if (introducer == 0x2C) {
            uint8_t descriptor[9];
            if (!cursor.take(descriptor, sizeof descriptor)) return false;
            const bool localTable = (descriptor[8] & 0x80) != 0;
            if (localTable && !cursor.skip(size_t(3) << ((descriptor[8] & 7) + 1))) return false;
            if (cursor.next() == kEnd) return false;  // the LZW minimum code size
        } else {
            return false;
        }
        CodeReader blocks{cursor};
        if (!blocks.skipToTerminator()) return false;
    }
}

[[noreturn]] void failLoading(const char* fileName, const std::string& reason) {
    failDataFile("Error loading file", fileName, reason);
}

// Why a file is no picture or palette: the GIF reader's reason for a file that begins as
// a GIF, the raw palette reader's for one of a palette's size, else both.
std::string paletteFault(const std::vector<uint8_t>& bytes, const std::string& gifFault,
                         const std::string& rawFault) {
    if (bytes.size() >= 4 && std::memcmp(bytes.data(), "GIF8", 4) == 0) return gifFault;
    if (bytes.size() == 768) return rawFault;
    return "neither a GIF nor a palette of 768 bytes (" + std::to_string(bytes.size()) +
           " bytes)";
}

}  // namespace

bool readGifBytes(const uint8_t* bytes, size_t size) {
    ByteCursor cursor{bytes, size};
    uint8_t header[13];  // signature and logical screen descriptor
    if (!cursor.take(header, sizeof header)) return fault("truncated (no whole GIF header)");
    if (std::memcmp(header, "GIF87a", 6) != 0 && std::memcmp(header, "GIF89a", 6) != 0)
        return fault("not a GIF");
    if (header[12] != 0) return fault("not a GIF the demo reads: a pixel aspect ratio is set");

    // A global colour table is always expected; its presence bit is not consulted.
    const int colourCount = 2 << (header[10] & 7);
    std::memset(paletteStore.rgb, 0, sizeof paletteStore.rgb);
    if (!cursor.take(paletteStore.rgb, size_t(colourCount) * 3))
        return fault("truncated (in the colour table)");

    uint8_t descriptor[10];
    if (!cursor.take(descriptor, sizeof descriptor)) return fault("truncated (no image)");
    if (descriptor[0] == 0x21)
        return fault("not a GIF the demo reads: an extension block before the image");
    if (descriptor[0] != 0x2C) return fault("not a GIF the demo reads: no image after the colours");
    if ((descriptor[9] & 0x80) != 0) return fault("not a GIF the demo reads: a local colour table");
    if ((descriptor[9] & 0x40) != 0) return fault("not a GIF the demo reads: interlaced");
    const int minimumCodeSize = cursor.next();
    if (minimumCodeSize < 2 || minimumCodeSize > 8) return fault("damaged (no LZW code size)");

    // A picture larger than any the program can use is refused before anything is
    // allocated for it: the header alone could otherwise ask for four gigabytes.
    const int width = readU16(descriptor + 5);
    const int height = readU16(descriptor + 7);
    if (width > kMaxPictureSide || height > kMaxPictureSide)
        return fault("too large (more than 4096 pixels on a side)");

    imageWidth = width;
    imageHeight = height;
    const size_t pixelCount = size_t(width) * size_t(height);
    pixelStore.reset(new uint8_t[pixelCount > 0 ? pixelCount : 1]());
    PixelWriter out{pixelStore.get(), pixelCount};
    CodeReader reader{cursor};
    decodeLzw(reader, minimumCodeSize, out);
    const bool fileEnded = reader.exhausted && !reader.terminated;
    if (!out.full()) {
        pixelStore.reset();
        return fault(fileEnded ? "truncated (the file ends inside the picture)"
                               : "damaged (the image data ends before the picture is full)");
    }
    if (!reader.skipToTerminator() || !reachesTrailer(cursor)) {
        pixelStore.reset();
        return fault("truncated (no trailer after the picture)");
    }
    return true;
}

bool readRawPaletteBytes(const uint8_t* bytes, size_t size) {
    if (size != 768) return fault("not a palette of 768 bytes");
    // 6-bit components: a byte above 63 is no component (shifted, it would wrap).
    for (int i = 0; i < 768; ++i) {
        if (bytes[i] > 63) return fault("not a palette of 6-bit colours (a byte above 63)");
    }
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
    // The file is read once and tried both ways.
    std::vector<uint8_t> bytes;
    std::string whyNot;
    if (!readDataFile(fileName, bytes, &whyNot)) failLoading(fileName, whyNot);
    if (!readGifBytes(bytes.data(), bytes.size())) {
        const std::string gifFault = readFault;
        if (!readRawPaletteBytes(bytes.data(), bytes.size()))
            failLoading(fileName, paletteFault(bytes, gifFault, readFault));
    }
    pixelStore.reset();
    return std::make_unique<Palette>(paletteStore);
}

std::unique_ptr<uint8_t[]> loadPicture(const char* fileName, int* width, int* height) {
    std::vector<uint8_t> bytes;
    std::string whyNot;
    if (!readDataFile(fileName, bytes, &whyNot)) failLoading(fileName, whyNot);
    if (!readGifBytes(bytes.data(), bytes.size())) failLoading(fileName, readFault);
    if (width) *width = imageWidth;
    if (height) *height = imageHeight;
    return std::move(pixelStore);
}

std::unique_ptr<uint8_t[]> loadPictureOfSize(const char* fileName, int width, int height) {
    int actualWidth = 0;
    int actualHeight = 0;
    std::unique_ptr<uint8_t[]> pixels = loadPicture(fileName, &actualWidth, &actualHeight);
    if (actualWidth != width || actualHeight != height) {
        failLoading(fileName, "a picture of " + std::to_string(actualWidth) + "x" +
                                  std::to_string(actualHeight) + " where one of " +
                                  std::to_string(width) + "x" + std::to_string(height) +
                                  " is needed");
    }
    return pixels;
}
