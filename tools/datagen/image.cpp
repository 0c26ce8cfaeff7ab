// Picture making for the data set: canvas operations, noise, text and quantisation.
#include "image.h"

#include <algorithm>
#include <cmath>

#include "core/numeric.h"
Rgb operator+(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
Rgb operator*(Rgb a, float s) { return {a.r * s, a.g * s, a.b * s}; }
Rgb mix(Rgb a, Rgb b, float t) { return a * (1.0f - t) + b * t; }
Rgb rgbFrom(const Colour& c) { return {c.r / 255.0f, c.g / 255.0f, c.b / 255.0f}; }

namespace {

uint8_t toByte(float v) {
    const float clamped = std::min(1.0f, std::max(0.0f, v));
    return static_cast<uint8_t>(std::lround(clamped * 255.0f));
}

}  // namespace

Colour colourFrom(Rgb c) { return {toByte(c.r), toByte(c.g), toByte(c.b)}; }

// ---- Noise ----

float hashNoise(int x, int y, uint32_t seed) {
    uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (h & 0xFFFFFF) / float(0xFFFFFF);
}

float valueNoise(float x, float y, uint32_t seed, int period) {
    const int x0 = truncToInt(std::floor(x));
    const int y0 = truncToInt(std::floor(y));
    const float fx = x - x0;
    const float fy = y - y0;
    auto wrap = [period](int v) { return period > 0 ? ((v % period) + period) % period : v; };
    auto corner = [&](int dx, int dy) { return hashNoise(wrap(x0 + dx), wrap(y0 + dy), seed); };
    const float sx = fx * fx * (3 - 2 * fx);  // smoothstep: no creases between cells
    const float sy = fy * fy * (3 - 2 * fy);
    const float top = corner(0, 0) + (corner(1, 0) - corner(0, 0)) * sx;
    const float bottom = corner(0, 1) + (corner(1, 1) - corner(0, 1)) * sx;
    return top + (bottom - top) * sy;
}

float fractalNoise(float x, float y, int octaves, uint32_t seed, int period) {
    float sum = 0, amplitude = 0.5f, total = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += amplitude * valueNoise(x, y, seed + i * 101, period);
        total += amplitude;
        x *= 2;
        y *= 2;
        period *= 2;
        amplitude *= 0.5f;
    }
    return sum / total;
}

uint32_t Random::next() {
    state_ = state_ * 1664525u + 1013904223u;
    return state_ >> 8;
}

float Random::uniform() { return (next() & 0xFFFFFF) / float(0x1000000); }

// ---- Drawing ----

void addGlow(RgbImage& image, float cx, float cy, float radius, Rgb colour) {
    const int x0 = std::max(0, truncToInt(cx - radius * 3));
    const int x1 = std::min(image.width - 1, truncToInt(cx + radius * 3));
    const int y0 = std::max(0, truncToInt(cy - radius * 3));
    const int y1 = std::min(image.height - 1, truncToInt(cy + radius * 3));
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            const float d2 = ((x - cx) * (x - cx) + (y - cy) * (y - cy)) / (radius * radius);
            image.at(x, y) = image.at(x, y) + colour * std::exp(-d2);
        }
    }
}

TextCoverage renderText(int width, int height, const std::string& text, Font font,
                        int pixelSize, int x, int baselineY) {
    TextCoverage coverage{width, height, std::vector<float>(size_t(width) * height, 0.0f)};
    int penX = x;
    for (char ch : text) {
        const Glyph& glyph = findGlyph(font, pixelSize, ch);
        for (int row = 0; row < glyph.rows; ++row) {
            for (int col = 0; col < glyph.width; ++col) {
                const int px = penX + glyph.left + col;
                const int py = baselineY - glyph.top + row;
                if (px < 0 || py < 0 || px >= width || py >= height) continue;
                const float a = glyphCoverage(glyph, col, row) / 255.0f;
                float& cell = coverage.alpha[size_t(py) * width + px];
                cell = std::max(cell, a);  // where neighbours overlap, the stronger one
            }
        }
        penX += glyph.advance;
    }
    return coverage;
}

int textWidth(const std::string& text, Font font, int pixelSize) {
    int width = 0;
    for (char ch : text) width += findGlyph(font, pixelSize, ch).advance;
    return width;
}

void paintCoverage(RgbImage& image, const TextCoverage& text, Rgb colour, float opacity) {
    for (int y = 0; y < image.height && y < text.height; ++y) {
        for (int x = 0; x < image.width && x < text.width; ++x) {
            const float a = text.alpha[size_t(y) * text.width + x] * opacity;
            if (a > 0) image.at(x, y) = mix(image.at(x, y), colour, a);
        }
    }
}

// ---- Quantisation ----

namespace {

struct Box {
    std::vector<Colour> colours;

    int longestAxis() const {
        int low[3] = {255, 255, 255}, high[3] = {0, 0, 0};
        for (const Colour& c : colours) {
            const int v[3] = {c.r, c.g, c.b};
            for (int k = 0; k < 3; ++k) {
                low[k] = std::min(low[k], v[k]);
                high[k] = std::max(high[k], v[k]);
            }
        }
        int axis = 0;
        for (int k = 1; k < 3; ++k) {
            if (high[k] - low[k] > high[axis] - low[axis]) axis = k;
        }
        return high[axis] > low[axis] ? axis : -1;
    }

    Colour average() const {
        long sum[3] = {0, 0, 0};
        for (const Colour& c : colours) {
            sum[0] += c.r;
            sum[1] += c.g;
            sum[2] += c.b;
        }
        const long n = long(colours.size());
        return {uint8_t(sum[0] / n), uint8_t(sum[1] / n), uint8_t(sum[2] / n)};
    }
};

int component(const Colour& c, int axis) { return axis == 0 ? c.r : axis == 1 ? c.g : c.b; }

}  // namespace

std::vector<Colour> medianCut(const RgbImage& image, int count) {
    std::vector<Box> boxes(1);
    for (const Rgb& p : image.pixels) boxes[0].colours.push_back(colourFrom(p));
    while (int(boxes.size()) < count) {
        // Split the box with the most pixels that still has a spread.
        int chosen = -1;
        for (int i = 0; i < int(boxes.size()); ++i) {
            if (boxes[i].colours.size() < 2 || boxes[i].longestAxis() < 0) continue;
            if (chosen < 0 || boxes[i].colours.size() > boxes[chosen].colours.size()) chosen = i;
        }
        if (chosen < 0) break;
        const int axis = boxes[chosen].longestAxis();
        std::vector<Colour>& colours = boxes[chosen].colours;
        std::stable_sort(colours.begin(), colours.end(), [axis](const Colour& a, const Colour& b) {
            return component(a, axis) < component(b, axis);
        });
        Box upper;
        upper.colours.assign(colours.begin() + colours.size() / 2, colours.end());
        colours.resize(colours.size() / 2);
        boxes.push_back(std::move(upper));
    }
    std::vector<Colour> result;
    for (const Box& box : boxes) result.push_back(box.average());
    while (int(result.size()) < count) result.push_back(result.back());
    return result;
}

std::vector<uint8_t> mapToPalette(const RgbImage& image, const std::vector<Colour>& palette,
                                  int first, int last, bool dither) {
    std::vector<Rgb> work = image.pixels;
    std::vector<uint8_t> indices(work.size());
    auto spread = [&](int x, int y, Rgb error, float weight) {
        if (x >= 0 && x < image.width && y < image.height)
            work[size_t(y) * image.width + x] = work[size_t(y) * image.width + x] + error * weight;
    };
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const Colour want = colourFrom(work[size_t(y) * image.width + x]);
            int best = first;
            long bestDistance = -1;
            for (int i = first; i <= last; ++i) {
                const long dr = palette[i].r - want.r, dg = palette[i].g - want.g,
                           db = palette[i].b - want.b;
                const long distance = dr * dr * 3 + dg * dg * 4 + db * db * 2;
                if (bestDistance < 0 || distance < bestDistance) {
                    bestDistance = distance;
                    best = i;
                }
            }
            indices[size_t(y) * image.width + x] = uint8_t(best);
            if (!dither) continue;
            const Rgb got = rgbFrom(palette[best]);
            const Rgb error = work[size_t(y) * image.width + x] + got * -1.0f;
            spread(x + 1, y, error, 7 / 16.0f);
            spread(x - 1, y + 1, error, 3 / 16.0f);
            spread(x, y + 1, error, 5 / 16.0f);
            spread(x + 1, y + 1, error, 1 / 16.0f);
        }
    }
    return indices;
}

IndexedPicture indexImage(const RgbImage& image, std::vector<Colour> colours, int first,
                          int last, bool dither) {
    IndexedPicture picture;
    picture.width = image.width;
    picture.height = image.height;
    picture.pixels = mapToPalette(image, colours, first, last, dither);
    picture.colours = std::move(colours);
    return picture;
}

std::vector<Colour> colourRamp(Rgb from, Rgb to, int count) {
    std::vector<Colour> ramp;
    for (int i = 0; i < count; ++i) ramp.push_back(colourFrom(mix(from, to, count > 1 ? float(i) / (count - 1) : 0.0f)));
    return ramp;
}

Rgb gradientAt(const std::vector<Rgb>& stops, float t) {
    if (stops.size() == 1) return stops[0];
    const float position = std::min(1.0f, std::max(0.0f, t)) * float(stops.size() - 1);
    const size_t segment = std::min(stops.size() - 2, static_cast<size_t>(truncToInt(position)));
    return mix(stops[segment], stops[segment + 1], position - float(segment));
}

std::vector<Colour> colourGradient(const std::vector<Rgb>& stops, int count) {
    std::vector<Colour> ramp;
    for (int i = 0; i < count; ++i)
        ramp.push_back(colourFrom(gradientAt(stops, count > 1 ? float(i) / (count - 1) : 0.0f)));
    return ramp;
}
