// A whole data file in memory: the loaders read each file once, then parse the bytes.
// Also what the user is told when a data file cannot be used.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Far above any file the demo could use (a picture of the largest size the GIF reader
// takes, a model with the most vertices and faces a 3DS file can count): a file beyond
// it is refused rather than read.
constexpr size_t kMaxDataFileBytes = size_t{64} << 20;

// The first file the demo reads, the loading picture: a folder without it does not hold
// the data set.
constexpr const char* kFirstDataFileName =
    "gfx\\zzz-warning-bloody-dead-cat-is-exactly-what-you-get.gif";

// The file's bytes. False when it cannot be opened or read, is not a regular file, or is
// larger than kMaxDataFileBytes; whyNot, when given, then says which in plain words.
bool readDataFile(const char* name, std::vector<uint8_t>& bytes, std::string* whyNot = nullptr);

// True when the folder holds the data set (its first file is there); nothing is opened.
bool holdsDataSet(const std::string& folder);

// Ends the program for a data file it cannot use, with the box as ever (the text,
// captioned with the name as the demo writes it). Standard error also gets the path as
// the host writes it with the reason, and, when the folder in use does not hold the data
// set at all, how to name the one that does.
[[noreturn]] void failDataFile(const char* text, const char* name, const std::string& reason);
