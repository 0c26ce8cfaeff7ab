// The plain build (DORMINAX_PLAIN=ON, `make plain`) draws the show with the plain version
// of every optimised routine: each layer's one selection point (render3d_versions.cpp,
// fx2d_versions.cpp) then picks the twin in namespace plain. Both versions are always
// compiled, so that the tests can prove them equal; the golden frames prove the plain
// build draws the same show.
#pragma once

#ifdef DORMINAX_PLAIN
inline constexpr bool kPlainBuild = true;
#else
inline constexpr bool kPlainBuild = false;
#endif
