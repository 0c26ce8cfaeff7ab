// The scene timeline: which row of the scene table is current and since when.
#pragma once

struct SceneEntry;

// The rows the timeline plays: the scene table, unless a test installs rows of its own.
extern const SceneEntry* timelineRows;
extern int timelineRowCount;
void useSceneRows(const SceneEntry* rows, int count);

// Index into SceneTable; -1 before the first pass.
extern int currentScene;
// The current row's render operation.
extern void (*currentRender)(float t);
// Clock seconds when the current row became current.
extern float sceneStartTime;
// Set when Space is released; the main loop consumes it.
extern bool advanceRequested;

// Makes the next row current (the last wraps to the first; before the first pass, the
// row the show starts with), runs its start and restarts the scene clock.
void advanceScene();

// Forgets the current row, as at program start; the first pass plays firstRow.
void resetTimeline(int firstRow = 0);

// Makes a row current as though it had been for sceneSeconds, without running its start:
// a seek has put the scene's state in place.
void setCurrentRow(int row, float sceneSeconds);
