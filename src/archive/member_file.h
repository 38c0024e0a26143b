// The output file of one ordinary member during extraction: what happens to a file already there,
// the new file, and after the data its time, the CRC verdict and its attributes.
#pragma once

#include <cstdint>

#include "archive/member_header.h"
#include "base/crc16.h"
#include "base/run_context.h"

enum OpenResult { kOpenFailed, kOpenCreated, kOpenSkip, kOpenCancel };

// Decides about an existing file at output.path by the date comparison, the silent overwrite or the
// user's answer to "Overwrite?", then creates the output file into output.file. memberTime is the
// member's packed DOS time.
OpenResult OpenMemberFile(RunContext& run, uint32_t memberTime);

// Gives the file the member's time, closes it, checks the CRC and, when the settings keep
// attributes, gives it the member's. false after reporting a failure, with the file deleted.
bool FinishMemberFile(RunContext& run, const CrcState& crc, const HeaderState& header,
                      uint32_t memberTime);

// Closes and deletes the member's file when one is open, as a member that failed halfway leaves
// it; the handle is marked closed first, so that nothing reached afterwards can touch it.
void DiscardMemberFile(RunContext& run);

// The CRC verdict: true when the data's CRC is the header's; otherwise the file named output, if
// any, is deleted, "CRC ERROR" about subject is shown and failed set.
bool CheckDataCrc(RunContext& run, const CrcState& crc, const HeaderState& header,
                  const char* subject, const char* output);
