// The GIF and raw palette loaders: generated files against giflib's own decoder, the LZW
// corner cases, the rejected variants, and malformed data.
#include <gif_lib.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "assets/data_file.h"
#include "assets/picture_loader.h"
#include "platform/data_path.h"
#include "test_support.h"

namespace {

// Packs LZW codes least significant bit first, choosing each code's width the way a
// GIF decoder grows it, and wraps them in sub-blocks.
class CodeStream {
public:
    explicit CodeStream(int minimumCodeSize) : minimum_(minimumCodeSize) { reset(); }

    int clearCode() const { return 1 << minimum_; }
    int endCode() const { return clearCode() + 1; }

    void clear() {
        put(clearCode());
        reset();
    }
    void end() { put(endCode()); }
    // A data code: after the first one following a clear, each adds a table entry.
    void code(int value) {
        put(value);
        if (!first_ && nextCode_ < 4096) {
            ++nextCode_;
            if (nextCode_ >= (1 << width_) && width_ < 12) ++width_;
        }
        first_ = false;
    }

    std::string blocks() const {
        std::string bytes = bytes_;
        if (bitCount_ > 0) bytes.push_back(char(bits_ & 0xFF));
        std::string out;
        for (size_t i = 0; i < bytes.size(); i += 255) {
            const std::string part = bytes.substr(i, 255);
            out.push_back(char(part.size()));
            out += part;
        }
        out.push_back('\0');
        return out;
    }

private:
    void reset() {
        width_ = minimum_ + 1;
        nextCode_ = clearCode() + 2;
        first_ = true;
    }
    void put(int value) {
        bits_ |= uint64_t(value) << bitCount_;
        bitCount_ += width_;
        while (bitCount_ >= 8) {
            bytes_.push_back(char(bits_ & 0xFF));
            bits_ >>= 8;
            bitCount_ -= 8;
        }
    }

    int minimum_;
    int width_ = 0;
    int nextCode_ = 0;
    bool first_ = true;
    uint64_t bits_ = 0;
    int bitCount_ = 0;
    std::string bytes_;
};

std::string u16(int v) { return std::string{char(v & 0xFF), char(v >> 8)}; }

struct GifParts {
    std::string signature = "GIF87a";
    int colourBits = 7;  // 2^(7+1) = 256 entries
    int aspect = 0;
    std::string beforeImage;  // e.g. an extension block
    int imagePacked = 0;
    int width = 4;
    int height = 1;
    int minimumCodeSize = 8;
    std::string data;
};

// The colour table holds colour i = (i, 255 - i, i / 2).
std::string makeGif(const GifParts& p) {
    std::string gif = p.signature + u16(p.width) + u16(p.height);
    gif.push_back(char(0x80 | 0x70 | p.colourBits));
    gif.push_back('\0');
    gif.push_back(char(p.aspect));
    for (int i = 0; i < (2 << p.colourBits); ++i) {
        gif.push_back(char(i));
        gif.push_back(char(255 - i));
        gif.push_back(char(i / 2));
    }
    gif += p.beforeImage;
    gif += ',' + u16(0) + u16(0) + u16(p.width) + u16(p.height);
    gif.push_back(char(p.imagePacked));
    gif.push_back(char(p.minimumCodeSize));
    gif += p.data;
    gif.push_back(';');
    return gif;
}

std::vector<uint8_t> pixelsOf(const std::unique_ptr<uint8_t[]>& pixels, int count) {
    return std::vector<uint8_t>(pixels.get(), pixels.get() + count);
}

std::vector<uint8_t> loadPixels(const GifParts& parts) {
    writeFileBytes("test.gif", makeGif(parts));
    int width = 0, height = 0;
    const auto pixels = loadPicture("test.gif", &width, &height);
    EXPECT_EQ(width, parts.width);
    EXPECT_EQ(height, parts.height);
    return pixelsOf(pixels, width * height);
}

class GifLoaderTest : public ::testing::Test {
protected:
    TemporaryDirectory directory;
};

TEST_F(GifLoaderTest, LiteralsAndTableCodesDecode) {
    CodeStream codes(8);
    codes.clear();
    codes.code(7);
    codes.code(9);
    codes.code(258);  // "7 9"
    codes.end();
    GifParts parts;
    parts.data = codes.blocks();
    EXPECT_EQ(loadPixels(parts), (std::vector<uint8_t>{7, 9, 7, 9}));
}

TEST_F(GifLoaderTest, CodeEqualToNextCodeRepeatsItsFirstByte) {
    CodeStream codes(8);
    codes.clear();
    codes.code(5);
    codes.code(258);  // not yet defined: "5" + "5"
    codes.code(259);  // not yet defined: "5 5" + "5"
    codes.end();
    GifParts parts;
    parts.width = 6;
    parts.data = codes.blocks();
    EXPECT_EQ(loadPixels(parts), (std::vector<uint8_t>(6, 5)));
}

TEST_F(GifLoaderTest, FullTableKeepsTwelveBitCodesUntilClear) {
    // 3,839 literals fill entries 258..4095; then a 12-bit reference to entry 4095 and
    // a literal (still 12 bits wide), then a clear and literals at 9 bits again.
    CodeStream codes(8);
    codes.clear();
    std::vector<uint8_t> expected;
    for (int i = 0; i < 3839; ++i) {
        codes.code(i % 200);
        expected.push_back(uint8_t(i % 200));
    }
    codes.code(4095);  // entry 4095 = literal 3837 % 200 followed by literal 3838 % 200
    expected.push_back(uint8_t(3837 % 200));
    expected.push_back(uint8_t(3838 % 200));
    codes.code(42);
    expected.push_back(42);
    codes.clear();
    codes.code(1);
    codes.code(2);
    codes.code(258);
    codes.end();
    for (uint8_t v : {1, 2, 1, 2}) expected.push_back(v);
    GifParts parts;
    parts.width = int(expected.size());
    parts.data = codes.blocks();
    EXPECT_EQ(loadPixels(parts), expected);
}

TEST_F(GifLoaderTest, ClearCodeMidStreamRestartsTheTable) {
    CodeStream codes(2);  // four colours, 3-bit codes at the start
    codes.clear();
    codes.code(1);
    codes.code(2);
    codes.code(6);  // "1 2"
    codes.clear();
    codes.code(3);
    codes.code(6);  // 6 is undefined again after the clear: "3 3"
    codes.end();
    GifParts parts;
    parts.colourBits = 1;
    parts.minimumCodeSize = 2;
    parts.width = 7;
    parts.data = codes.blocks();
    EXPECT_EQ(loadPixels(parts), (std::vector<uint8_t>{1, 2, 1, 2, 3, 3, 3}));
}

TEST_F(GifLoaderTest, EndCodeInFirstSubBlockStopsBeforeLaterBlocks) {
    CodeStream codes(8);
    codes.clear();
    codes.code(3);
    codes.end();
    GifParts parts;
    parts.width = 1;
    // A second sub-block of junk after the end code is never read.
    parts.data = codes.blocks();
    parts.data.pop_back();
    parts.data += std::string("\x03\xFF\xFF\xFF", 4) + '\0';
    EXPECT_EQ(loadPixels(parts), (std::vector<uint8_t>{3}));
}

TEST_F(GifLoaderTest, SmallColourTableLeavesLaterEntriesBlack) {
    CodeStream codes(8);
    codes.clear();
    codes.code(0);
    codes.end();
    GifParts full;
    full.width = 1;
    full.data = codes.blocks();
    writeFileBytes("full.gif", makeGif(full));
    loadPalette("full.gif");

    GifParts small = full;
    small.colourBits = 3;  // 16 entries
    std::string bytes = makeGif(small);
    for (int i = 0; i < 16 * 3; ++i) bytes[13 + i] = char(200);  // all entries (200, 200, 200)
    writeFileBytes("small.gif", bytes);
    const auto palette = loadPalette("small.gif");
    EXPECT_EQ(palette->rgb[15 * 3], 200);
    // Not as the full table left them: entry 16 was (16, 239, 8) there.
    for (int i = 16 * 3; i < 768; ++i) ASSERT_EQ(palette->rgb[i], 0) << "component " << i;
}

TEST_F(GifLoaderTest, PictureAndPaletteComeFromTheSameFile) {
    CodeStream codes(8);
    codes.clear();
    codes.code(200);
    codes.end();
    GifParts parts;
    parts.width = 1;
    parts.data = codes.blocks();
    writeFileBytes("one.gif", makeGif(parts));
    const auto palette = loadPalette("one.gif");
    EXPECT_EQ(palette->rgb[200 * 3 + 1], 55);
    const auto pixels = loadPicture("one.gif");  // no size pointers
    EXPECT_EQ(pixels[0], 200);
}

// ---- Rejected variants ----

struct RejectedCase {
    const char* name;
    GifParts parts;
};

// Names the case in test listings (instead of a dump of its bytes).
void PrintTo(const RejectedCase& c, std::ostream* out) { *out << c.name; }

class RejectedGifTest : public ::testing::TestWithParam<RejectedCase> {
protected:
    TemporaryDirectory directory;
};

GifParts validParts() {
    CodeStream codes(8);
    codes.clear();
    codes.code(1);
    codes.end();
    GifParts parts;
    parts.width = 1;
    parts.data = codes.blocks();
    return parts;
}

TEST_P(RejectedGifTest, IsNotReadAndEndsTheProgramWhenLoaded) {
    writeFileBytes("bad.gif", makeGif(GetParam().parts));
    EXPECT_FALSE(readGif("bad.gif"));
    EXPECT_EXIT(loadPicture("bad.gif"), ::testing::ExitedWithCode(1), "Error loading file");
}

RejectedCase with(const char* name, void (*change)(GifParts&)) {
    GifParts parts = validParts();
    change(parts);
    return {name, parts};
}

INSTANTIATE_TEST_SUITE_P(
    Variants, RejectedGifTest,
    ::testing::Values(
        with("ExtensionBlock",
             [](GifParts& p) { p.beforeImage = std::string("!\xF9\x04\x00\x00\x00\x00\x00", 8); }),
        with("Interlaced", [](GifParts& p) { p.imagePacked = 0x40; }),
        with("LocalColourTable", [](GifParts& p) { p.imagePacked = 0x80; }),
        with("UnknownVersion", [](GifParts& p) { p.signature = "GIF88a"; }),
        with("LowerCaseSignature", [](GifParts& p) { p.signature = "gif87a"; }),
        with("AspectByte", [](GifParts& p) { p.aspect = 49; }),
        with("WiderThanTheBound", [](GifParts& p) { p.width = kMaxPictureSide + 1; }),
        with("TallerThanTheBound", [](GifParts& p) { p.height = kMaxPictureSide + 1; })),
    [](const ::testing::TestParamInfo<RejectedCase>& info) { return std::string(info.param.name); });

TEST_F(GifLoaderTest, Gif89aSignatureIsAccepted) {
    GifParts parts = validParts();
    parts.signature = "GIF89a";
    EXPECT_EQ(loadPixels(parts), (std::vector<uint8_t>{1}));
}

TEST_F(GifLoaderTest, MissingFileEndsTheProgramWithItsNameAsCaption) {
    EXPECT_EXIT(loadPicture("gfx\\nothing.gif"), ::testing::ExitedWithCode(1),
                "gfx.nothing\\.gif: Error loading file");
    EXPECT_EXIT(loadPalette("gfx\\nothing.pal"), ::testing::ExitedWithCode(1),
                "Error loading file");
}

TEST_F(GifLoaderTest, PictureOfTheWrongSizeEndsTheProgram) {
    writeFileBytes("one.gif", makeGif(validParts()));
    EXPECT_EXIT(loadPictureOfSize("one.gif", 320, 240), ::testing::ExitedWithCode(1),
                "Error loading file");
    EXPECT_EQ(loadPictureOfSize("one.gif", 1, 1)[0], 1);
}

// ---- Size bounds ----

TEST_F(GifLoaderTest, APictureAsLargeAsTheBoundIsRead) {
    // 16 M pixels of colour 1: runs one longer each until the table is full, then the
    // longest run again and again.
    CodeStream codes(8);
    codes.clear();
    codes.code(1);
    size_t count = 1;
    for (int next = 258; next < 4096; ++next) {
        codes.code(next);
        count += size_t(next - 256);
    }
    for (; count < size_t(kMaxPictureSide) * kMaxPictureSide; count += 3839) codes.code(4095);
    codes.end();
    GifParts parts;
    parts.data = codes.blocks();
    parts.width = kMaxPictureSide;
    parts.height = kMaxPictureSide;
    writeFileBytes("large.gif", makeGif(parts));
    int width = 0, height = 0;
    const auto pixels = loadPicture("large.gif", &width, &height);
    EXPECT_EQ(width, kMaxPictureSide);
    EXPECT_EQ(height, kMaxPictureSide);
    EXPECT_EQ(pixels[0], 1);
    EXPECT_EQ(pixels[size_t(width) * height - 1], 1);
}

TEST_F(GifLoaderTest, TheFuzzersPictureOfFourGigabytesIsRefused) {
    // Found by the fuzzer: a 65216 x 63503 image descriptor, 4,141,411,648 bytes asked for.
    const std::string bytes = readFileBytes(std::string(testsSourceDir()) +
                                            "/fuzz/regressions/fuzz_gif/asks-for-4-gigabytes.gif");
    ASSERT_EQ(bytes.size(), 2962u);
    EXPECT_FALSE(readGifBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
    writeFileBytes("huge.gif", bytes);
    EXPECT_EXIT(loadPicture("huge.gif"), ::testing::ExitedWithCode(1),
                "huge.gif: Error loading file");
}

TEST_F(GifLoaderTest, AFileBeyondTheDataFileBoundIsNotRead) {
    // A valid picture followed by junk, larger than any data file could be.
    writeFileBytes("padded.gif", makeGif(validParts()));
    std::filesystem::resize_file("padded.gif", kMaxDataFileBytes + 1);
    EXPECT_FALSE(readGif("padded.gif"));
    std::filesystem::resize_file("padded.gif", kMaxDataFileBytes);
    EXPECT_TRUE(readGif("padded.gif"));
}

// ---- Malformed data: decoding stops; a picture left short is refused ----

TEST_F(GifLoaderTest, StreamWithoutLeadingClearCodeDecodesAsIfCleared) {
    CodeStream codes(8);
    codes.code(4);
    codes.code(5);
    codes.code(258);
    codes.end();
    GifParts parts;
    parts.data = codes.blocks();
    EXPECT_EQ(loadPixels(parts), (std::vector<uint8_t>{4, 5, 4, 5}));
}

TEST_F(GifLoaderTest, CodeBeyondTheTableStopsDecodingAndThePictureIsRefused) {
    CodeStream codes(8);
    codes.clear();
    codes.code(9);
    codes.code(9);
    codes.code(300);  // only 258 is defined and 259 is next
    codes.code(9);
    codes.end();
    GifParts parts;
    parts.data = codes.blocks();
    writeFileBytes("bad.gif", makeGif(parts));
    EXPECT_FALSE(readGif("bad.gif"));
    EXPECT_EXIT(loadPicture("bad.gif"), ::testing::ExitedWithCode(1),
                "bad.gif: damaged \\(the image data ends before the picture is full\\)");
}

TEST_F(GifLoaderTest, StreamWithoutItsEndCodeIsReadOnlyWhenThePictureIsFull) {
    CodeStream codes(8);
    codes.clear();
    codes.code(6);
    codes.code(7);
    GifParts parts;
    parts.width = 2;
    parts.data = codes.blocks();  // no end code; the zero block ends the data
    EXPECT_EQ(loadPixels(parts), (std::vector<uint8_t>{6, 7}));
    parts.width = 4;
    writeFileBytes("short.gif", makeGif(parts));
    EXPECT_FALSE(readGif("short.gif"));
}

TEST_F(GifLoaderTest, MorePixelsThanTheImageHoldsAreDropped) {
    CodeStream codes(8);
    codes.clear();
    for (int i = 0; i < 50; ++i) codes.code(8);
    codes.end();
    GifParts parts;
    parts.width = 2;
    parts.height = 2;
    parts.data = codes.blocks();
    EXPECT_EQ(loadPixels(parts), (std::vector<uint8_t>(4, 8)));
}

TEST_F(GifLoaderTest, DecodingStopsOnceThePictureIsFull) {
    // A 1 x 1 picture, then the table grown to strings of up to 4095 bytes and the longest
    // code over and over: each code expanded into dropped pixels took 17 s a megabyte.
    // The kept fuzzing input is this file at 7 kB; here it is 8 MB, where expanding it
    // would take minutes (hours under the sanitizers) and the alarm ends the run.
    const std::string kept = readFileBytes(
        std::string(testsSourceDir()) +
        "/fuzz/regressions/fuzz_gif/longest-strings-past-a-full-picture.gif");
    CodeStream codes(8);
    codes.clear();
    codes.code(0);
    for (int next = 258; next < 4096; ++next) codes.code(next);  // each one byte longer
    for (int i = 0; i < 5'500'000; ++i) codes.code(4095);
    GifParts parts;
    parts.width = 1;
    parts.data = codes.blocks();
    const std::string large = makeGif(parts);
    const auto read = [](const std::string& gif) {
        return readGifBytes(reinterpret_cast<const uint8_t*>(gif.data()), gif.size());
    };
    EXPECT_EXIT(
        {
            alarm(60);
            std::exit(read(kept) && read(large) ? 0 : 2);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(GifLoaderTest, TruncatedFilesAreRefused) {
    // Every prefix of a real file, down to the one without its trailer, is refused, not
    // shown with its lower part in colour 0. Under the sanitizers this also proves the
    // bounds.
    const std::string whole = readFileBytes(std::string(dataDir()) + "/gfx/cool.gif");
    ASSERT_GT(whole.size(), 1000u);
    for (size_t length = 0; length < whole.size(); length += 97) {
        writeFileBytes("cut.gif", whole.substr(0, length));
        ASSERT_FALSE(readGif("cut.gif")) << length << " of " << whole.size() << " bytes";
    }
    writeFileBytes("cut.gif", whole.substr(0, whole.size() - 1));
    EXPECT_FALSE(readGif("cut.gif"));
    writeFileBytes("cut.gif", whole.substr(0, whole.size() / 2));
    EXPECT_EXIT(loadPicture("cut.gif"), ::testing::ExitedWithCode(1),
                "cut.gif: truncated \\(the file ends inside the picture\\)");
    // What may follow an image: a comment, another image, then the trailer.
    const std::string comment = std::string("!\xFE\x02hi", 5) + '\0';
    writeFileBytes("more.gif", whole.substr(0, whole.size() - 1) + comment + ";");
    EXPECT_TRUE(readGif("more.gif"));
}

TEST_F(GifLoaderTest, FileThatIsNotRegularIsRefusedWithoutWaiting) {
    // A FIFO with no writer: opening it for reading would wait for ever.
    ASSERT_EQ(mkfifo("fifo.gif", 0644), 0);
    EXPECT_EXIT(
        {
            alarm(20);
            loadPicture("fifo.gif");
        },
        ::testing::ExitedWithCode(1), "fifo.gif: not a regular file");
    std::filesystem::create_directory("folder.pal");
    EXPECT_EXIT(loadPalette("folder.pal"), ::testing::ExitedWithCode(1),
                "folder.pal: not a regular file");
}

// Standard error names the file as the host writes it, and why; when the folder does not
// hold the data set at all, how to name the one that does.
TEST_F(GifLoaderTest, MessagesGiveTheHostPathTheReasonAndTheDataHint) {
    std::filesystem::create_directories("set/gfx");
    writeFileBytes("set/gfx/zzz-warning-bloody-dead-cat-is-exactly-what-you-get.gif",
                   makeGif(validParts()));
    setDataFolder("set");
    EXPECT_EXIT(loadPicture("gfx\\cool.gif"), ::testing::ExitedWithCode(1),
                "^set/gfx/cool\\.gif: missing\ngfx.cool\\.gif: Error loading file\n$");
    setDataFolder("elsewhere");
    EXPECT_EXIT(loadPicture("gfx\\cool.gif"), ::testing::ExitedWithCode(1),
                "^elsewhere/gfx/cool\\.gif: missing\n'elsewhere' does not hold the data set: "
                "name its folder with --data DIR\n");
    setDataFolder("");
}

// ---- Raw palettes ----

TEST_F(GifLoaderTest, RawPaletteShiftsSixBitComponentsAndRefusesLargerBytes) {
    std::string bytes(768, '\0');
    bytes[0] = 63;
    bytes[1] = 1;
    writeFileBytes("colours.pal", bytes);
    const auto palette = loadPalette("colours.pal");
    EXPECT_EQ(palette->rgb[0], 252);
    EXPECT_EQ(palette->rgb[1], 4);
    bytes[767] = char(64);  // an 8-bit component: shifted, it would wrap to 0
    writeFileBytes("eight-bit.pal", bytes);
    EXPECT_FALSE(readRawPalette("eight-bit.pal"));
    EXPECT_EXIT(loadPalette("eight-bit.pal"), ::testing::ExitedWithCode(1),
                "eight-bit.pal: not a palette of 6-bit colours");
}

TEST_F(GifLoaderTest, RawPaletteOfAnyOtherSizeIsRejected) {
    writeFileBytes("short.pal", std::string(767, '\1'));
    writeFileBytes("long.pal", std::string(769, '\1'));
    EXPECT_FALSE(readRawPalette("short.pal"));
    EXPECT_FALSE(readRawPalette("long.pal"));
    EXPECT_EXIT(loadPalette("short.pal"), ::testing::ExitedWithCode(1), "Error loading file");
}

TEST_F(GifLoaderTest, RawPaletteIsNoPicture) {
    writeFileBytes("colours.pal", std::string(768, '\1'));
    EXPECT_EXIT(loadPicture("colours.pal"), ::testing::ExitedWithCode(1), "Error loading file");
}

// ---- Every generated GIF against giflib's decoder ----

TEST(GeneratedGifs, DecodeLikeGiflib) {
    int checked = 0;
    for (const auto& entry : std::filesystem::directory_iterator(std::string(dataDir()) + "/gfx")) {
        if (entry.path().extension() != ".gif") continue;
        const std::string path = entry.path().string();
        SCOPED_TRACE(path);
        int error = 0;
        GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
        ASSERT_NE(gif, nullptr);
        ASSERT_EQ(DGifSlurp(gif), GIF_OK);
        ASSERT_EQ(gif->ImageCount, 1);
        const SavedImage& image = gif->SavedImages[0];

        int width = 0, height = 0;
        const auto pixels = loadPicture(path.c_str(), &width, &height);
        const auto palette = loadPalette(path.c_str());
        ASSERT_EQ(width, image.ImageDesc.Width);
        ASSERT_EQ(height, image.ImageDesc.Height);
        EXPECT_EQ(pixelsOf(pixels, width * height),
                  std::vector<uint8_t>(image.RasterBits, image.RasterBits + width * height));
        const ColorMapObject* map = gif->SColorMap;
        for (int i = 0; i < map->ColorCount; ++i) {
            EXPECT_EQ(palette->rgb[i * 3], map->Colors[i].Red);
            EXPECT_EQ(palette->rgb[i * 3 + 1], map->Colors[i].Green);
            EXPECT_EQ(palette->rgb[i * 3 + 2], map->Colors[i].Blue);
        }
        DGifCloseFile(gif, &error);
        ++checked;
    }
    EXPECT_GE(checked, 3);
}

}  // namespace
