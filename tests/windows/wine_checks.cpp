// Native readers for the Windows build's tests: what dorminax.exe and its frame tool write
// under Wine, read back by code that is not the demo's.
//   wine_checks bmp FILE                  "WIDTHxHEIGHT BITS", as SDL reads the BMP
//   wine_checks frames A.png B.png        the share of identical pixels, in percent
//   wine_checks music CAPTURE.wav SONG.ogg
//       "SECONDS LARGEST": how much of the song the capture holds from its first sound,
//       and the largest difference of a sample from the song as stb_vorbis decodes it
#include <SDL.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#include <stb/stb_image.h>
#include <stb/stb_vorbis.h>

namespace {

int bmpInfo(const char* path) {
    SDL_Surface* surface = SDL_LoadBMP(path);
    if (!surface) {
        std::fprintf(stderr, "wine_checks: %s: %s\n", path, SDL_GetError());
        return 1;
    }
    std::printf("%dx%d %d\n", surface->w, surface->h, surface->format->BitsPerPixel);
    SDL_FreeSurface(surface);
    return 0;
}

int compareFrames(const char* a, const char* b) {
    int widthA, heightA, widthB, heightB, channels;
    unsigned char* pixelsA = stbi_load(a, &widthA, &heightA, &channels, 3);
    unsigned char* pixelsB = stbi_load(b, &widthB, &heightB, &channels, 3);
    const bool sameShape = pixelsA && pixelsB && widthA == widthB && heightA == heightB;
    if (sameShape) {
        const long count = long(widthA) * heightA;
        long identical = 0;
        for (long i = 0; i < count; ++i)
            identical += std::memcmp(pixelsA + i * 3, pixelsB + i * 3, 3) == 0;
        std::printf("%.3f\n", 100.0 * double(identical) / double(count));
    } else {
        std::fprintf(stderr, "wine_checks: %s and %s are not two frames of one size\n", a, b);
    }
    stbi_image_free(pixelsA);
    stbi_image_free(pixelsB);
    return sameShape ? 0 : 1;
}

struct Sound {
    int channels = 0;
    int rate = 0;
    std::vector<int16_t> samples;  // interleaved
};

uint32_t littleEndian(const std::string& bytes, size_t at, int size) {
    uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = (value << 8) | uint8_t(bytes[at + i]);
    return value;
}

// A 16-bit PCM WAV file, chunk by chunk.
bool readWav(const char* path, Sound& sound) {
    std::ifstream file(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), {});
    if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") || bytes.compare(8, 4, "WAVE"))
        return false;
    for (size_t at = 12; at + 8 <= bytes.size();) {
        const std::string id = bytes.substr(at, 4);
        // A capture cut short may claim more data than it holds.
        const size_t size = std::min<size_t>(littleEndian(bytes, at + 4, 4), bytes.size() - at - 8);
        if (id == "fmt " && size >= 16) {
            if (littleEndian(bytes, at + 8, 2) != 1 || littleEndian(bytes, at + 22, 2) != 16)
                return false;
            sound.channels = int(littleEndian(bytes, at + 10, 2));
            sound.rate = int(littleEndian(bytes, at + 12, 4));
        } else if (id == "data" && sound.channels > 0) {
            sound.samples.resize(size / 2);
            for (size_t i = 0; i < sound.samples.size(); ++i)
                sound.samples[i] = int16_t(littleEndian(bytes, at + 8 + i * 2, 2));
            return true;
        }
        at += 8 + size + (size & 1);
    }
    return false;
}

bool decodeOgg(const char* path, Sound& sound) {
    short* samples = nullptr;
    const int frames = stb_vorbis_decode_filename(path, &sound.channels, &sound.rate, &samples);
    if (frames <= 0) return false;
    sound.samples.assign(samples, samples + size_t(frames) * sound.channels);
    std::free(samples);
    return true;
}

size_t firstSound(const Sound& sound) {
    const auto at = std::find_if(sound.samples.begin(), sound.samples.end(),
                                 [](int16_t s) { return s != 0; });
    return size_t(at - sound.samples.begin()) / sound.channels * sound.channels;
}

int compareMusic(const char* capturePath, const char* songPath) {
    Sound capture, song;
    if (!readWav(capturePath, capture) || !decodeOgg(songPath, song) ||
        capture.channels != song.channels || capture.rate != song.rate) {
        std::fprintf(stderr, "wine_checks: %s is no 16-bit capture of %s\n", capturePath,
                     songPath);
        return 1;
    }
    // Both from their first sound: the device may have played silence before the song.
    const size_t from = firstSound(capture);
    const size_t songFrom = firstSound(song);
    const size_t count = std::min(capture.samples.size() - from, song.samples.size() - songFrom);
    int largest = 0;
    for (size_t i = 0; i < count; ++i)
        largest = std::max(
            largest, std::abs(capture.samples[from + i] - song.samples[songFrom + i]));
    std::printf("%.2f %d\n", double(count) / song.channels / song.rate, largest);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string what = argc > 1 ? argv[1] : "";
    if (what == "bmp" && argc == 3) return bmpInfo(argv[2]);
    if (what == "frames" && argc == 4) return compareFrames(argv[2], argv[3]);
    if (what == "music" && argc == 4) return compareMusic(argv[2], argv[3]);
    std::fprintf(stderr, "usage: wine_checks bmp FILE | frames A.png B.png | "
                         "music CAPTURE.wav SONG.ogg\n");
    return 2;
}
