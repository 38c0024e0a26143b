// What a build is made for. The stub is built for size, since every byte of it is in every
// distributable; the host tool for speed. The paths that only make the work faster (folding
// several bytes a step, copying whole words) are left out of the former.
#pragma once

#ifdef OMBRIX_COMPACT
inline constexpr bool kFastPaths = false;
#else
inline constexpr bool kFastPaths = true;
#endif
