// What a build is made for. The stub is built for size, since every byte of it is in every
// distributable; the host tool for speed. The paths that buy speed with much code (CRCs of four
// stretches side by side, matches copied in whole words) are left out of the former.
#pragma once

#ifdef OMBRIX_COMPACT
inline constexpr bool kFastPaths = false;
#else
inline constexpr bool kFastPaths = true;
#endif
