// Output names fitted to the volume: characters its file system refuses become '_', and on a
// volume without long names every component is cut to 8.3.
#pragma once

#include <cstdint>

// Sanitises every '/'-separated component of path in place, closing up those that got shorter;
// one leading '/' is kept.
void SanitizePath(char* path, bool longNames);

// Sanitises one component: 255 bytes at most with long names, otherwise a name of 8 and an
// extension of 3 bytes split at the last '.'. Returns the position of its new terminator.
char* SanitizeComponent(char* component, bool longNames);

// Replaces the refused characters of at most count bytes of text and terminates it there, never
// splitting a double-byte character. Returns the position of the terminator it wrote.
char* SanitizeField(char* text, uint32_t count, bool longNames);
