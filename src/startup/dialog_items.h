// Control ids of the main dialog that the core writes to.
#pragma once

inline constexpr int kStatusItem = 101;    // the member being extracted
inline constexpr int kProgressItem = 102;  // "Extract... N%"
