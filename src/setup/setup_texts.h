// The texts that the actions after the extraction hand to the registry, WIN.INI and Program
// Manager. program and icon are short paths.
#pragma once

#include <cstdint>

// A key path below HKEY_CLASSES_ROOT that the registration writes, terminator included.
inline constexpr uint32_t kKeyPathCapacity = 80;
// Below a class key, where the registration puts how a file of the class opens and its icon.
inline constexpr char kOpenCommandKey[] = "\\shell\\open\\command";
inline constexpr char kDefaultIconKey[] = "\\DefaultIcon";

// Whether the class key, with either subkey after it, fits a key path.
bool ClassKeyFits(const char* classKey);

// Whether dir, a backslash and name fit 255 characters: a program or icon path of an action line.
bool JoinedPathFits(const char* dir, const char* name);

// How the shell opens a file of the class: "\"program\" \"%1\"".
void FormatOpenCommand(char* out, uint32_t capacity, const char* program);

// The class's icon, the program's first: "program,0".
void FormatClassIcon(char* out, uint32_t capacity, const char* program);

// The WIN.INI "Extensions" value on Win32s: "program ^extension".
void FormatIniExtension(char* out, uint32_t capacity, const char* program, const char* extension);

// The command that makes the group and its item; icon may be empty. Only the group name is
// quoted, and one line feed separates the two commands.
void FormatGroupCommand(char* out, uint32_t capacity, const char* group, const char* program,
                        const char* title, const char* icon);
