// Path text rules shared by the archive walk, start-up and the host tool.
#pragma once

#include <cstdint>

// Replaces every '/', backslash and 0xFF byte by separator, in place, leaving double-byte
// characters whole. Returns the position just after the last separator written, or text.
char* ConvertSeparators(char* text, char separator);

// Expands a path macro at the start of text, in place; fileName serves the search macro.
// Returns what ConvertSeparators returns.
char* ExpandPathMacro(char* text, const char* fileName);

// The part of a '/'-separated member path that stays inside a target directory: without a drive
// or leading separators, which other extractors drop too. Null when a ".." component could still
// lead out of it.
const char* NameInsideTarget(const char* memberPath);

// Creates every directory that path names before its last '/'; failures are left for the file's
// creation to find.
void CreateParentDirectories(const char* path);
