// Path text rules shared by the archive walk, start-up, the setup actions and the host tool. Every
// scan leaves double-byte characters whole.
#pragma once

#include <cstdint>

// Replaces every '/', backslash and 0xFF byte by separator, in place. Returns the position just
// after the last separator written, or text.
char* ConvertSeparators(char* text, char separator);

// The first byte of text that is one of set, or null.
char* FindAnyOf(char* text, const char* set);

// The position after the last ':', backslash, '/' or 0xFF of text; text itself when there is none.
char* LastComponent(char* text);

// Appends '/' unless text already ends with a backslash or '/'; within capacity.
void AppendSeparator(char* text, uint32_t capacity);

// The part of a '/'-separated member path that stays inside a target directory: without a drive
// or leading separators, which other extractors drop too. Null when a ".." component could still
// lead out of it.
const char* NameInsideTarget(const char* memberPath);

// Creates every directory that path names before its last '/'; failures are left for the file's
// creation to find.
void CreateParentDirectories(const char* path);

// The text for a status line of maxLength characters: path itself when shorter, otherwise ".../"
// and its file title.
void ShortenForDisplay(char* out, uint32_t capacity, const char* path, uint32_t maxLength);
