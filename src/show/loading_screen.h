// The loading screen: a warning picture with a black-to-yellow progress bar across it.
#pragma once

#include "assets/data_file.h"

// The picture the loading screen shows: the first data file the demo reads.
constexpr const char* kLoadingPictureName = kFirstDataFileName;

void beginLoadingScreen();
// Redraws the picture with a bar of fraction x 200 pixels and presents it.
void drawLoadingProgress(float fraction);
void endLoadingScreen();

// Loads every scene of the timeline behind the loading screen.
void loadScenes();
