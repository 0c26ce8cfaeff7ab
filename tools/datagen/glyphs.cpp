// The glyph table of the data set's texts and its look-up.
#include "glyphs.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const Glyph kGlyphs[] = {
#include "glyphs.inc"
};
constexpr int kGlyphCount = sizeof kGlyphs / sizeof kGlyphs[0];

bool lookedUp[kGlyphCount];

const char* fontName(Font font) {
    switch (font) {
    case kFontSans: return "DejaVu Sans";
    case kFontSansBold: return "DejaVu Sans Bold";
    case kFontMono: return "DejaVu Sans Mono";
    }
    return "an unknown font";
}

[[noreturn]] void stop(const char* why, Font font, int pixelSize, char character) {
    std::fprintf(stderr, "datagen: %s '%c' of %s at %d pixels in glyphs.inc; run "
                 "scripts/make-glyphs with the text in its list\n",
                 why, character, fontName(font), pixelSize);
    std::exit(1);
}

int hexDigit(char c) { return c <= '9' ? c - '0' : c - 'a' + 10; }

}  // namespace

const Glyph& findGlyph(Font font, int pixelSize, char character) {
    for (int i = 0; i < kGlyphCount; ++i) {
        const Glyph& glyph = kGlyphs[i];
        if (glyph.font != font || glyph.pixelSize != pixelSize || glyph.character != character)
            continue;
        // An edited record whose rows are short would be read past its end.
        if (std::strlen(glyph.coverage) != size_t(glyph.width) * size_t(glyph.rows) * 2)
            stop("a damaged glyph", font, pixelSize, character);
        lookedUp[i] = true;
        return glyph;
    }
    stop("no glyph", font, pixelSize, character);
}

int glyphCoverage(const Glyph& glyph, int x, int y) {
    const char* pixel = glyph.coverage + (size_t(y) * size_t(glyph.width) + size_t(x)) * 2;
    return pixel[0] == '.' ? 0 : hexDigit(pixel[0]) * 16 + hexDigit(pixel[1]);
}

std::vector<const Glyph*> glyphsNotLookedUp() {
    std::vector<const Glyph*> glyphs;
    for (int i = 0; i < kGlyphCount; ++i) {
        if (!lookedUp[i]) glyphs.push_back(&kGlyphs[i]);
    }
    return glyphs;
}
