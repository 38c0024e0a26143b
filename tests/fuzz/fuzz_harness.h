// What every fuzz target needs around the core: the process stop turned into an exception, a
// fresh platform and work area per input, the program file in memory, and the checks that turn
// a broken rule into a finding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/posix/posix_hooks.h"

struct ProcessEnded {
  int status;
};

// Reports message and aborts when condition is false, so that the fuzzer keeps the input.
void CheckThat(bool condition, const char* message);

// True when text has its terminator within capacity bytes.
bool IsTerminated(const char* text, size_t capacity);

// Starts an input: default hooks, boxes answered Yes, the process stop throwing ProcessEnded,
// and the file descriptors as CheckNoDescriptorLeft expects to find them again.
platform::posix::Hooks& ResetPlatform();

// A fresh zero-filled work area and program values. ReleaseWorkArea frees it with whatever
// header buffer it still holds; files are the caller's to close.
void StartWorkArea();
void ReleaseWorkArea();

bool IsOpen(platform::FileHandle file);

// Puts bytes into this process's one memory file and returns a path that opens it.
const std::string& WriteProgramFile(const uint8_t* bytes, size_t size);

// A path for an output file in a directory of this process's own.
const std::string& OutputFilePath();

// Fails when the input left a file descriptor open, or closed one it did not own.
void CheckNoDescriptorLeft();
