// Picture making for the data set: a float RGB canvas, deterministic noise, text from
// stored glyphs, and quantisation to an 8-bit palette.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data_files.h"
#include "glyphs.h"

// Linear RGB in 0..1 per component (values may stray outside; they are clamped on output).
struct Rgb {
    float r = 0, g = 0, b = 0;
};

Rgb operator+(Rgb a, Rgb b);
Rgb operator*(Rgb a, float s);
Rgb mix(Rgb a, Rgb b, float t);
Rgb rgbFrom(const Colour& c);
Colour colourFrom(Rgb c);

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels;

    RgbImage(int w, int h) : width(w), height(h), pixels(size_t(w) * h) {}
    Rgb& at(int x, int y) { return pixels[size_t(y) * width + x]; }
    const Rgb& at(int x, int y) const { return pixels[size_t(y) * width + x]; }
};

// ---- Noise: the same values on every run ----

// A hash of integer coordinates to 0..1.
float hashNoise(int x, int y, uint32_t seed);
// Smooth value noise at (x, y), repeating every `period` units (0: no repeat).
float valueNoise(float x, float y, uint32_t seed, int period = 0);
// Fractal sum of value noise octaves, about 0..1; tileable when period > 0.
float fractalNoise(float x, float y, int octaves, uint32_t seed, int period = 0);

// A small deterministic random source for placing things. Not the program's RandomSource
// (core/random.h): the pictures' placements come from this sequence, and its uniform
// draws have 24 bits where the program's have 15.
class Random {
public:
    explicit Random(uint32_t seed) : state_(seed) {}
    uint32_t next();
    float uniform();  // 0..1
    float range(float low, float high) { return low + (high - low) * uniform(); }

private:
    uint32_t state_;
};

// ---- Drawing ----

// Adds a soft round glow: colour x intensity x falloff of the distance.
void addGlow(RgbImage& image, float cx, float cy, float radius, Rgb colour);

// Text coverage (0..1 per pixel) of a string drawn with a DejaVu font at a pixel size,
// its baseline starting at (x, y); each glyph at the pen, which steps by its advance.
struct TextCoverage {
    int width = 0;
    int height = 0;
    std::vector<float> alpha;
};
TextCoverage renderText(int width, int height, const std::string& text, Font font,
                        int pixelSize, int x, int baselineY);
// The advance width of a string in pixels (for centring).
int textWidth(const std::string& text, Font font, int pixelSize);
// Paints the coverage onto the image in a colour.
void paintCoverage(RgbImage& image, const TextCoverage& text, Rgb colour, float opacity = 1.0f);

// ---- Quantisation ----

// `count` representative colours of the image by median cut.
std::vector<Colour> medianCut(const RgbImage& image, int count);

// The image's pixels as indices of the nearest colours among palette entries
// first..last, with Floyd-Steinberg error diffusion when `dither` is set.
std::vector<uint8_t> mapToPalette(const RgbImage& image, const std::vector<Colour>& palette,
                                  int first, int last, bool dither);

// The image as a picture in the given colours, drawn only with entries first..last.
IndexedPicture indexImage(const RgbImage& image, std::vector<Colour> colours, int first,
                          int last, bool dither);

// A smooth ramp of `count` colours from one colour to another (both included).
std::vector<Colour> colourRamp(Rgb from, Rgb to, int count);

// A smooth run of `count` colours through evenly spaced stops (first and last included).
std::vector<Colour> colourGradient(const std::vector<Rgb>& stops, int count);
// The colour at position t (0..1) along evenly spaced stops.
Rgb gradientAt(const std::vector<Rgb>& stops, float t);
