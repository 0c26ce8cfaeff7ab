// The bilinear sampler (weights only, for now).
#include "fx2d/bilinear.h"

void buildBilinearWeights() {}
