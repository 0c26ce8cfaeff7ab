// A whole data file in memory: the loaders read each file once, then parse the bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Far above any file the demo could use (a picture of the largest size the GIF reader
// takes, a model with the most vertices and faces a 3DS file can count): a file beyond
// it is refused rather than read.
constexpr size_t kMaxDataFileBytes = size_t{64} << 20;

// The file's bytes. False when it cannot be opened or read, or is larger than
// kMaxDataFileBytes.
bool readDataFile(const char* name, std::vector<uint8_t>& bytes);
