// The Ogg Vorbis decoder's implementation, compiled once.
#include <stb/stb_vorbis.h>
