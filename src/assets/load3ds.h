// Loading one triangle object of an Autodesk 3DS file into a Mesh.
#pragma once

#include <cstddef>
#include <cstdint>

#include "assets/mesh.h"

// Fills the mesh with the first object that has a triangle mesh, or with the first such
// object whose name matches objectName (ignoring case, first 64 characters) when it is
// not null. File axes become the demo's: (x, y, z) -> (x, -z, y), (u, v) -> (u, -v).
// On return the faces point at the vertices and all normals are computed. Any failure,
// including a damaged file, shows an error box captioned with the file name and ends
// the program with exit code 1.
void load3ds(Mesh& mesh, const char* fileName, const char* objectName);

// The same over a file's bytes in memory (load3ds reads the whole file and hands it
// here); the file name only captions the error box.
void load3dsBytes(Mesh& mesh, const uint8_t* bytes, size_t size, const char* fileName,
                  const char* objectName);
