// The parts of a setup line's value that the actions after the extraction use.
#pragma once

#include <cstdint>

// A script line and a field in it run to the first control byte: a line end, a tab, a zero.
inline bool IsLineByte(char c) {
  return static_cast<uint8_t>(c) >= 0x20;
}

// The fields of a "$Class=" or "$Group=" value are separated by commas, which double quotes
// protect; the quotes themselves are dropped. Copies the field at *cursor into dest and leaves the
// cursor after the comma that ended it, or on the end of the value. false when the field did not
// fit dest, which then holds as much of it as fits.
bool TakeField(const char** cursor, char* dest, uint32_t capacity);

// The command is a program name, in double quotes when it holds blanks, then its parameters.
// Writes the name into dest and returns where the parameters begin in command (blanks and tabs
// before them skipped; text right after a closing quote belongs to them).
const char* SplitCommand(char* dest, uint32_t capacity, const char* command);
