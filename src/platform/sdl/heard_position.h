// Where the music is heard: the frames SDL_mixer has mixed since the music started,
// less what the sound server still holds of them (its latency report), run on by the
// steady clock since that report.
#pragma once

// Counts the frames mixed from now on (SDL_mixer's post-mix hook); the device is open.
void startHeardPosition(int rate, int channels, int bufferFrames);
void stopHeardPosition();
// The music starts to be mixed from this second (the call holds SDL's audio lock).
void restartHeardPosition(double fromSeconds);
// The second of the music heard now.
double heardPosition();
