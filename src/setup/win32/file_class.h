// A file class: files of one extension open with a program from the extraction directory.
#pragma once

#include "base/run_context.h"
#include "setup/setup_state.h"

// Joins dir and name with a backslash and takes the short path into dest; when there is none (the
// program was not extracted, say) the joined path itself. false when dir and name do not fit 255
// characters together.
bool MakeShortPath(const char* dir, const char* name, char* dest, uint32_t capacity);

// Registers the class of the fields that the "$Class=" line filled, under HKEY_CLASSES_ROOT or on
// Win32s in WIN.INI, after asking when the script wants that. A line that cannot be carried out
// (a class key too long for its key paths, 60 characters, where the registry is used; a program
// path that does not fit) is left alone without a question.
void RegisterFileClass(RunContext& run, SetupState& setup);
