// The path macros that may begin the default directory or a member's path, and place it in a
// system location instead: %WORK%, %WinDir%, %WinRoot%, %SystemDir%, %ProgramFiles%, %Search%.
#pragma once

#include <cstdint>

// Expands a macro at the very start of text (case-sensitive), in place within capacity, then
// turns every separator into a backslash; returns what ConvertSeparators returns. fileName serves
// %Search%, which stays unexpanded without one. An expansion that would not fit in capacity, or
// in the 260 bytes a path may have, is not made.
char* ExpandPathMacro(char* text, uint32_t capacity, const char* fileName, bool isWin32s);

// The temporary directory: TEMP, else TMP, else the Windows directory's TEMP (created), else the
// current directory. Returns its length, or the capacity it needs with out left empty. A variable
// too long for 255 characters counts as unset.
uint32_t GetTempDirectory(uint32_t capacity, char* out);

// A string value under HKEY_LOCAL_MACHINE, or fallback when it cannot be read into capacity.
void ReadRegistryString(const char* subKey, const char* valueName, const char* fallback, char* out,
                        uint32_t capacity);
