// Native readers for the Windows build's tests: what dorminax.exe and its frame tool write
// under Wine, read back by code that is not the demo's.
//   wine_checks bmp FILE                  "WIDTHxHEIGHT BITS", as SDL reads the BMP
//   wine_checks frames A.png B.png        the share of identical pixels, in percent
//   wine_checks music CAPTURE.wav SONG.ogg
//       "SECONDS LARGEST SILENCE": how much of the song the capture holds in order from its
//       first sound, the largest difference of a sample from the song as stb_vorbis
//       decodes it, and the seconds of silence the device played between (underruns)
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

size_t frameCount(const Sound& sound) { return sound.samples.size() / sound.channels; }

bool isSilent(const Sound& sound, size_t frame) {
    for (int c = 0; c < sound.channels; ++c) {
        if (sound.samples[frame * sound.channels + c] != 0) return false;
    }
    return true;
}

size_t firstSound(const Sound& sound) {
    size_t frame = 0;
    while (frame < frameCount(sound) && isSilent(sound, frame)) ++frame;
    return frame;
}

// The largest difference between a sample of the capture's frame and the song's.
int frameDifference(const Sound& capture, size_t frame, const Sound& song, size_t songFrame) {
    int largest = 0;
    for (int c = 0; c < capture.channels; ++c) {
        largest = std::max(largest, std::abs(capture.samples[frame * capture.channels + c] -
                                             song.samples[songFrame * song.channels + c]));
    }
    return largest;
}

// Where the song goes on in the capture after the device played silence for want of
// sound: the smallest offset (capture frame - song frame), from the one in force and at
// most a second later, at which the next frames match; -1 when there is none.
long resumedOffset(const Sound& capture, const Sound& song, size_t frame, long offset) {
    const size_t window = std::min<size_t>(256, frameCount(capture) - frame);
    for (long candidate = offset; candidate <= offset + song.rate; ++candidate) {
        size_t matched = 0;
        for (size_t k = frame; matched < window; ++k, ++matched) {
            const long songFrame = long(k) - candidate;
            if (songFrame < 0 || size_t(songFrame) >= frameCount(song) ||
                frameDifference(capture, k, song, size_t(songFrame)) > 1)
                break;
        }
        if (matched == window) return candidate;
    }
    return -1;
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
    long offset = long(firstSound(capture)) - long(firstSound(song));
    long inserted = 0;
    int largest = 0;
    size_t frame = firstSound(capture);
    for (; frame < frameCount(capture) && size_t(long(frame) - offset) < frameCount(song);) {
        const int difference = frameDifference(capture, frame, song, size_t(long(frame) - offset));
        if (difference <= 1) {
            largest = std::max(largest, difference);
            ++frame;
            continue;
        }
        size_t resume = frame;
        while (resume < frameCount(capture) && isSilent(capture, resume)) ++resume;
        if (resume == frameCount(capture)) break;  // silence to the end
        const long resumed = resumedOffset(capture, song, resume, offset);
        if (resumed < 0) {
            largest = difference;  // another sound
            break;
        }
        inserted += resumed - offset;
        offset = resumed;
        frame = resume;
    }
    const double songSeconds = double(long(frame) - offset - long(firstSound(song))) / song.rate;
    std::printf("%.2f %d %.2f\n", songSeconds, largest, double(inserted) / song.rate);
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
