// The glyphs the data set's texts are drawn with: DejaVu's coverage as FreeType drew it,
// kept in glyphs.inc (made by scripts/make-glyphs), so that neither the host's fonts nor
// its FreeType can change a picture.
#pragma once

#include <vector>

// DejaVu Sans, Sans Bold and Sans Mono.
enum Font { kFontSans, kFontSansBold, kFontMono };

struct Glyph {
    Font font;
    int pixelSize;
    char character;
    int left;     // the bitmap's left column, right of the pen
    int top;      // the bitmap's top row, above the baseline
    int advance;  // the pen's step to the next glyph
    int width;
    int rows;
    const char* coverage;  // rows of width pixels, two hex digits each, ".." for none
};

// The glyph of a character in a font at a pixel size. The generator stops with a message
// when the table lacks it: scripts/make-glyphs must draw the text's glyphs first.
const Glyph& findGlyph(Font font, int pixelSize, char character);

// The coverage of the glyph's pixel (x, y), 0..255; x < width, y < rows.
int glyphCoverage(const Glyph& glyph, int x, int y);

// The table's glyphs that no look-up has found since the program started: once every
// text is drawn, a table made for the texts has none left.
std::vector<const Glyph*> glyphsNotLookedUp();
