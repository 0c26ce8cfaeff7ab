// The player: the show held and let go, seeks by key and by the platform's own player
// (a browser's bar), the music kept with the picture, and the time line in the title.
// Show time is the picture's: the show time of its scene's first frame plus its scene
// time, so that Space (which leaves the music alone, as it always has) moves it too.
#pragma once

#include <cstddef>

#include "show/demo_run.h"

// The show time of the picture on screen (of the latest pass).
double showSeconds(const DemoRun& run);
// The show time the frame on screen was drawn for: the held one, a seek's pass exactly, or
// the latest live pass's.
double shownShowSeconds(const DemoRun& run);
// The show's length: the music's when longer, else the timeline's 3:04.
double showLength(const DemoRun& run);

// Shows the frame at a show time within the show's length, exactly as the frame tool
// draws it, and starts the music there; a held show stays held, its music stopped.
void seekPlayer(DemoRun& run, double seconds);
// Holds the picture where it is and stops the music, or lets both go on from there.
void setPaused(DemoRun& run, bool paused);

// Answers the request the window procedure has left (a player key, a seek asked for by
// the platform, or a return from a stop of the passes), if any. True when it sought: the
// frame of the pass is then on screen.
bool answerPlayerRequest(DemoRun& run);
// Space while the show is held: the next scene's first frame, held (after the last the
// first, as Space goes).
void seekNextSceneWrapping(DemoRun& run);

// Sets the window title (windowed) unless it says that already.
void setTitle(DemoRun& run, const char* text);
// What the title says when nothing else claims it: the time line while the show is held
// or just after a seek, else the demo's own title.
void showRestingTitle(DemoRun& run);
// The time line in the title for two seconds, as after a seek: after the show has moved
// by other means (Space starting the next scene).
void showTimeLine(DemoRun& run);

// True while the title shows the time line: the show held, or a seek just made.
bool timeLineShown(const DemoRun& run);
// "Dorminax - scene 6 Reveal - 1:38.5 / 3:04 - paused".
void formatTimeLine(const DemoRun& run, char* text, size_t size);

// For the platform's player: the scenes as chapters, once; where the show is, each pass.
void reportChapters();
void reportPlayerPosition(const DemoRun& run);
// Asks the platform for the music's length until it knows (a browser decodes the music
// in the background); the seek's checkpoints then cover it.
void refreshMusicLength(DemoRun& run);
