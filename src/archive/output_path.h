// Where a member is written.
#pragma once

#include <cstdint>

// Writes into out (516 bytes) the path of memberPath under dir: a member that names a drive goes
// there, one that begins with a separator goes to the root of dir's drive, and a path macro at
// its start is expanded in memberPath itself on the way.
void BuildOutputPath(char* out, const char* dir, char* memberPath, bool isWin32s);
