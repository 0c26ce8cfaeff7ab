// The loading screen: a warning picture with a black-to-yellow progress bar across it.
#pragma once

void beginLoadingScreen();
// Redraws the picture with a bar of fraction x 200 pixels and presents it.
void drawLoadingProgress(float fraction);
void endLoadingScreen();
