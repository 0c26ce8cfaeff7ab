// The bilinear sampler's weight table and the zoom-feedback pass.
#pragma once

void buildBilinearWeights();
