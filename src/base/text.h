// Bounded text copies: every write into a fixed buffer stays inside its capacity, which
// includes the terminator.
#pragma once

#include <cstdint>

// Copies at most capacity - 1 bytes of source and terminates. Returns the length written.
uint32_t CopyText(char* dest, uint32_t capacity, const char* source);

// Copies at most count bytes of source, stopping early at a zero byte, and terminates within
// capacity. Returns the length written.
uint32_t CopyBytes(char* dest, uint32_t capacity, const char* source, uint32_t count);

// Copies as much of source as fits, never splitting a double-byte character of the system code
// page: a lead byte whose trail byte would not fit is left out with it. Returns the length.
uint32_t CopyWholeCharacters(char* dest, uint32_t capacity, const char* source);

// Appends source behind the text already in dest, within capacity. Returns the new length.
uint32_t AppendText(char* dest, uint32_t capacity, const char* source);

// Case-sensitive comparison of the first length bytes; a terminator in either text ends it.
bool ComparePrefix(const char* text, const char* prefix, uint32_t length);

uint32_t TextLength(const char* text);
