// Every text the user can see, written once.
#pragma once

inline constexpr char kDefaultCaption[] = "Ombrix V2.60.w32.0023";
inline constexpr char kNotEnoughMemory[] = "Not enough memory";
inline constexpr char kOpenError[] = "Open ERROR";
inline constexpr char kReadError[] = "Read ERROR";
// Spelled as users have always seen it, and as scripts that read the box may match it.
inline constexpr char kUnexpectedEof[] = "Unexpeted EOF";
inline constexpr char kBadHeader[] = "Bad header";
inline constexpr char kTamperedData[] = "Tampered DATA";
inline constexpr char kBadTable[] = "Bad table";
inline constexpr char kWriteError[] = "Write ERROR";
inline constexpr char kCloseError[] = "Close ERROR";
inline constexpr char kCrcError[] = "CRC ERROR";
inline constexpr char kOverwriteQuestion[] = "Overwrite?";
inline constexpr char kInvalidDirectory[] = "Invalid directory";
inline constexpr char kChooserTitle[] = "Extracting directory";
inline constexpr char kSetClassQuestion[] = "Set Class?";
// The progress line is built from these around the percentage: "Extract... 42%".
inline constexpr char kExtractProgress[] = "Extract... ";
inline constexpr char kPercentSign[] = "%";
