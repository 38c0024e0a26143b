// The setup script carried by the member "$": a text of lines, some of which begin with a
// $-directive. The scan reads it once for titles, directory, check boxes and command; the end of
// the extraction reads it again for the file classes and program groups.
#pragma once

#include <cstdint>

#include "base/run_context.h"
#include "setup/setup_state.h"

enum DirectiveCode : int {
  kNoDirective = 0,
  kWindowTitle = 1,
  kInstallTitle = 2,
  kInstallDir = 3,
  kClassTitle = 4,
  kClass = 5,
  kGroupTitle = 6,
  kGroup = 7,
  kCommand = 8,
  kAskRegist = 9,
};

inline constexpr uint32_t kLineCapacity = 256;

// Compares the text at *cursor with the keywords in order; on a match moves the cursor past the
// keyword and returns its code, otherwise returns kNoDirective and leaves the cursor.
int MatchDirective(const char** cursor);

// Finds the next directive line from *cursor, copies its value (at most 255 bytes) into line
// and leaves the cursor at the end of that line. Returns kNoDirective at the end of the text.
int NextDirective(const char** cursor, char (&line)[kLineCapacity]);

// The first reading, during the scan: the script in run.script may change the settings' titles,
// directory and command, and offers the check boxes.
void ParseSetupScript(RunContext& run, SetupState& setup);

// The second reading, after the extraction: from *cursor, the next "$Class=" line while the Set
// Class box is checked or "$Group=" line while the Start Menu box is, its four fields split into
// setup (classExt, classTitle, progPath, classKey or groupName, itemTitle, progPath, iconPath).
// Returns kClass or kGroup, or kNoDirective at the end; a line whose fields do not fit theirs is
// passed over.
int NextActionLine(const char** cursor, SetupState& setup);
