// What every fuzz target needs around the core, and the layout of the inputs, control bytes first.
#pragma once

#include <cstdio>
#include <filesystem>

#include "host_files.h"
#include "platform_double.h"
#include "process_ended.h"

// Aborts, so that the fuzzer keeps the input.
inline void CheckThat(bool condition, const char* message) {
  if (!condition) std::fprintf(stderr, "fuzz check failed: %s\n", message), std::abort();
}

template <size_t... capacity>
bool AllTerminated(const char (&... texts)[capacity]) {
  return ((std::char_traits<char>::find(texts, capacity, '\0') != nullptr) && ...);
}

// A file in a directory of this process's own, written with bytes when they are given.
inline std::string OwnPath(const char* name, const std::vector<uint8_t>& bytes = {}) {
  static const struct Directory {
    std::string path = (std::filesystem::temp_directory_path() / "ombrix-fuzz-XXXXXX").string();
    Directory() { CheckThat(mkdtemp(path.data()) != nullptr, "cannot make a directory"); }
    ~Directory() { std::filesystem::remove_all(path); }
  } directory;
  const std::string path = directory.path + "/" + name;
  if (!bytes.empty()) WriteBytes(path, bytes);
  return path;
}

// command_line: the line. setup_script: an options byte and the script. decoder: a control byte
// (the method by the low 2 bits, the sink by the next 2: file, notice, script, file), the unpacked
// size in 3 bytes, taken modulo 4 windows and 1, and the data.
inline constexpr uint8_t kScriptShiftJis = 0x01, kScriptDirectoryPreset = 0x02;
inline constexpr char kDecoderMethods[] = "0567";
inline constexpr uint8_t kDecoderCancel = 0x10, kDecoderWriteFails = 0x20, kDecoderReadFails = 0x40,
                         kDecoderFailHalfway = 0x80;
// archive_walk: an answers byte (bit i mod 8 answers the i-th box: 1 Yes, 0 No), an options byte,
// then the program file from offset 512 on. Fixed header CRCs let a mutated header reach the rest
// of the walk; n in the high nibble fails the nth allocation.
inline constexpr uint8_t kWalkKeepArchiveOffset = 0x01, kWalkShiftJis = 0x02,
                         kWalkDirectoryArgument = 0x04, kWalkFixHeaderCrcs = 0x08;
// member_output: an options byte (the name sets, the settings about an existing file, and the
// answer to "Overwrite?"), a time stamp and an existing file's time, whose low 2 bits say what
// lies at the path already, then the directory, the member's path and TZ, each ended by 0.
inline constexpr uint8_t kOutputShiftJis = 0x01, kOutputLongNames = 0x02, kOutputWin32s = 0x04,
                         kOutputDateCompare = 0x08, kOutputSilently = 0x10, kOutputKeep = 0x20;
inline constexpr int kOutputAnswerShift = 6;       // Yes, No, Cancel or another
inline constexpr char kOutputExisting[] = "-fdr";  // nothing, a file, a directory, read-only
// pack_command: the length of the argument text, the arguments ended by zero bytes, and the
// bytes of the file "in", which they may name.
