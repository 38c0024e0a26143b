// Output of one ordinary member during extraction: its path, its file and the CRC verdict.
#pragma once

// Builds outPath from extractDir and memberPath, shows it in the status line and creates the
// directories it needs.
void PrepareOutputPath(int longNames);

enum OpenResult { kOpenFailed = 0, kOpenCreated = 1, kOpenSkip = 2, kOpenCancel = 3 };

// Creates the output file into outFile, or says why not.
OpenResult OpenMemberFile();

// Closes the output file and checks the CRC; false after reporting a failure.
bool FinishMemberFile();

// Closes and deletes a member file whose data could not be written.
void DiscardMemberFile();
