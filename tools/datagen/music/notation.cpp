// A small text notation for writing patterns: one token per sixteenth note.
#include "music/notation.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

[[noreturn]] void failToken(const std::string& token, const char* line) {
    std::fprintf(stderr, "datagen: cannot read \"%s\" in the pattern \"%s\"\n", token.c_str(),
                 line);
    std::exit(1);
}

bool parseNumber(const std::string& token, int& value) {
    size_t i = token[0] == '-' ? 1 : 0;
    if (i == token.size() || token.size() > 4) return false;
    for (size_t j = i; j < token.size(); ++j) {
        if (!std::isdigit(static_cast<unsigned char>(token[j]))) return false;
    }
    value = std::atoi(token.c_str());
    return true;
}

// Keeps the notes that start before `end` and cuts the last one to fit.
void addClipped(Track& track, double end, Note note) {
    if (note.start >= end) return;
    if (note.start + note.length > end) note.length = static_cast<float>(end - note.start);
    track.notes.push_back(note);
}

}  // namespace

bool parseNoteName(const char* name, int& note) {
    static constexpr int kLetterSemitones[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
    if (name[0] < 'A' || name[0] > 'G') return false;
    int semitone = kLetterSemitones[name[0] - 'A'];
    const char* rest = name + 1;
    if (*rest == 'b') {
        --semitone;
        ++rest;
    } else if (*rest == '#') {
        ++semitone;
        ++rest;
    }
    if (!std::isdigit(static_cast<unsigned char>(rest[0])) || rest[1] != '\0') return false;
    note = (rest[0] - '0' + 1) * 12 + semitone;
    return true;
}

void addLine(Track& track, double start, double end, const char* line, float velocity,
             int base) {
    const char* cursor = line;
    int step = 0;
    bool sounding = false;
    Note current{};
    while (*cursor) {
        while (*cursor == ' ' || *cursor == '|') ++cursor;
        if (!*cursor) break;
        const char* tokenEnd = cursor + std::strcspn(cursor, " |");
        const std::string token(cursor, tokenEnd);
        cursor = tokenEnd;
        if (token == "-") {
            if (sounding) current.length += static_cast<float>(kStepSeconds);
            ++step;
            continue;
        }
        if (sounding) addClipped(track, end, current);
        sounding = false;
        if (token != ".") {
            int pitch = 0;
            if (parseNumber(token, pitch)) {
                pitch += base;
            } else if (!parseNoteName(token.c_str(), pitch)) {
                failToken(token, line);
            }
            current = {start + step * kStepSeconds, static_cast<float>(kStepSeconds),
                       static_cast<float>(pitch), velocity};
            sounding = true;
        }
        ++step;
    }
    if (sounding) addClipped(track, end, current);
}

void addHits(Track& track, double start, double end, const char* steps) {
    int step = 0;
    for (const char* c = steps; *c; ++c) {
        float velocity = 0.0f;
        switch (*c) {
        case ' ':
        case '|': continue;
        case 'X': velocity = 1.0f; break;
        case 'x': velocity = 0.7f; break;
        case 'o': velocity = 0.4f; break;
        case '.': break;
        default: failToken(std::string(1, *c), steps);
        }
        if (velocity > 0.0f)
            addClipped(track, end, {start + step * kStepSeconds, 0.1f, 60.0f, velocity});
        ++step;
    }
}
