// Extraction beneath one directory, for archives from strangers into folders that already hold
// files. Every output path below the target is resolved from an open descriptor of it, one
// component at a time, never through a symbolic link and never through "..", so that nothing on
// disk can lead a member outside. A member is written under a temporary name beside its place and
// renamed over it only once it is whole and checked, so that a failure or an interrupt leaves
// what was there before; a link at its place is replaced, never written through, and a FIFO,
// device or socket there is left alone without being opened.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace platform::posix {

// How a name below the target, in the archive's code page, is written on Linux.
using LinuxName = std::function<std::string(std::string_view)>;

// From now on the seam's output operations take paths that begin with prefix and a '/' as lying
// beneath root, a directory opened here, their names below it made Linux names by linuxName.
// False, with the reason noted, when it cannot be opened.
bool ConfineOutput(const char* root, const char* prefix, LinuxName linuxName);
void EndConfinement();
bool OutputConfined();

// The first count bytes of the member being written; false when it has fewer or cannot be read.
bool ReadPendingStart(uint8_t* buffer, size_t count);

// The member being written keeps only its length bytes from offset on, with its mode and times
// as they were; false, with the reason noted, when it cannot.
bool KeepPendingStretch(uint64_t offset, uint64_t length);

// Puts the member written last in its place.
enum class Placed { kNothing, kCreated, kReplaced, kFailed };
Placed PlaceOutput();

// Makes a symbolic link to target at path, in place of a file or link there; the link is made,
// never followed, so it may point anywhere. kFailed with the reason noted.
Placed MakeConfinedLink(const char* path, const std::string& target);

// The confined forms of the seam's operations on output paths.
FileHandle CreateConfined(const char* path);
void DeleteConfined(const char* path);  // only the temporary file: nothing earlier is lost
void MakeConfinedDirectory(const char* path);
void SetConfinedAttributes(const char* path, uint32_t attributes);
// What is at path, looked at without following a link or opening it: its attributes, or
// kNoAttributes, and its last write in Unix seconds.
uint32_t ConfinedAttributes(const char* path, int64_t* modified);

}  // namespace platform::posix
