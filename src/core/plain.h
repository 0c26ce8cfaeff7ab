// The plain build (DORMINAX_PLAIN=ON, `make plain`) draws the show with the plain version
// of every optimised routine: each fast routine then hands its work straight to its twin
// in namespace plain. Both versions are always compiled, so that the tests can prove them
// equal; the golden frames prove the plain build draws the same show.
#pragma once

#ifdef DORMINAX_PLAIN
inline constexpr bool kPlainBuild = true;
#else
inline constexpr bool kPlainBuild = false;
#endif
