// Path text helpers shared by the archive walk, start-up and the setup actions.
#pragma once

#include <cstdint>

// Replaces every '/', backslash and 0xFF byte by separator, in place, leaving double-byte
// characters whole. Returns the position just after the last separator written, or text.
char* ConvertSeparators(char* text, char separator);

// Expands a path macro at the start of text, in place; fileName serves the search macro.
// Returns what ConvertSeparators returns.
char* ExpandPathMacro(char* text, const char* fileName);
