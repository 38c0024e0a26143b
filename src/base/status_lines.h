// The two lines of the main dialog that the extraction writes to while it runs.
#pragma once

inline constexpr int kStatusItem = 101;    // the member being extracted
inline constexpr int kProgressItem = 102;  // "Extract... N%"
