// The generator's steps: each writes a group of data files into the folder.
#pragma once

#include <string>

#include "data_files.h"

// The loading picture and the reveal scene's map and picture.
void writeFoundationPictures(const DataFolder& folder);

// The 3D models: rings, logo, spheres and the knot.
void writeModels(const DataFolder& folder);

// The art of the rings, the sphere and the knot: the rings' palette, the sphere's overlay
// and shading ramp, the knot's environment map and the pond behind it.
void writeRingSphereKnotArt(const DataFolder& folder);

// The soundtrack, "demotuin.ogg": synthesized, sequenced and encoded as Ogg Vorbis.
void writeSoundtrack(const DataFolder& folder);

// The swirl scene's texture and the credits scene's picture, credits and dissolve map.
void writeSwirlCreditsPictures(const DataFolder& folder);

// The chrome environment map of the metaballs and the supertoroid, and the particle
// trails' palette.
void writeChromeMapAndTrailPalette(const DataFolder& folder);

// The desktop icon, not part of the data set: the showpiece's garden in a rounded square,
// size x size pixels (16 to 512), as an RGBA PNG.
void writeIcon(const std::string& path, int size);
