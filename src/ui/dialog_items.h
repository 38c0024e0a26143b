// The controls of the main dialog, by their ids in the template.
#pragma once

// 101 and 102 are the status lines, which the extraction writes (decode/progress.h).
inline constexpr int kDirectoryBox = 100;
inline constexpr int kDirectoryLabel = 103;
inline constexpr int kBrowseButton = 104;
inline constexpr int kGroupBox = 105;  // Start Menu
inline constexpr int kClassBox = 106;  // Set Class
