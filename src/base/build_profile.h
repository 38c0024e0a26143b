// What a build is made for. The stub is built for size, since every byte of it is in every
// distributable; the host tool for speed. The paths that buy speed with much code (CRCs of four
// stretches side by side, matches copied in whole words) are left out of the former.
#pragma once

// The host tool also reads what older archivers wrote (their methods bring their own decoders);
// a distributable holds only what the packer writes, so the stub has no use for them.
#ifdef OMBRIX_COMPACT
inline constexpr bool kFastPaths = false;
inline constexpr bool kOlderMethods = false;
#else
inline constexpr bool kFastPaths = true;
inline constexpr bool kOlderMethods = true;
#endif
