// The layout of each fuzz target's input, shared by the target that reads it and the seed writer
// that makes its first inputs. Control bytes come first so that the data behind them keeps its
// own offsets.
#pragma once

#include <cstddef>
#include <cstdint>

// command_line: the whole input is the command line, the program name included.

// archive_walk: an answers byte, an options byte, then the program file from offset 512 on (the
// settings block and whatever follows it).
inline constexpr size_t kWalkAnswersByte = 0;  // bit i (mod 8) answers the i-th box: 1 Yes, 0 No
inline constexpr size_t kWalkOptionsByte = 1;
inline constexpr size_t kWalkControlSize = 2;
inline constexpr uint8_t kWalkKeepArchiveOffset = 0x01;  // else the archive follows the block
inline constexpr uint8_t kWalkShiftJis = 0x02;
inline constexpr uint8_t kWalkDirectoryArgument = 0x04;
// Every header CRC passes, so that a mutated header reaches the rest of the walk rather than
// ending at its CRC.
inline constexpr uint8_t kWalkTrustHeaderCrcs = 0x08;
inline constexpr uint32_t kWalkFailingAllocationShift = 4;  // n in the high nibble: the nth fails

// decoder: a control byte, the unpacked size in 3 bytes (little-endian, taken modulo
// kDecoderSizeLimit + 1), then the member's data.
inline constexpr size_t kDecoderControlByte = 0;
inline constexpr size_t kDecoderSizeByte = 1;
inline constexpr size_t kDecoderHeaderSize = 4;
inline constexpr char kDecoderMethods[4] = {'0', '5', '6', '7'};  // by the low 2 bits
inline constexpr uint32_t kDecoderSinkShift = 2;     // 2 bits: file, notice, script, file
inline constexpr uint8_t kDecoderCancel = 0x10;      // Cancel at the first report
inline constexpr uint8_t kDecoderWriteFails = 0x20;  // the disk fills halfway
inline constexpr uint8_t kDecoderReadFails = 0x40;   // the program file reads short halfway
// Four windows: room for every flush and for matches across them, while a stream of zero bits
// that claims the whole size still decodes quickly.
inline constexpr uint32_t kDecoderSizeLimit = 1 << 18;

enum DecoderSink : uint8_t { kToFile = 0, kToNotice = 1, kToScript = 2 };

// setup_script: an options byte, then the script text.
inline constexpr uint8_t kScriptShiftJis = 0x01;
inline constexpr uint8_t kScriptDirectoryPreset = 0x02;  // installDir already holds a directory
