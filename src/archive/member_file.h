// The output file of one ordinary member during extraction, and the CRC verdict on its data.
#pragma once

#include <cstdint>

#include "archive/member_header.h"
#include "base/crc16.h"
#include "base/run_context.h"

// Creates the output file named by outPath into outFile; false after "Open ERROR".
bool OpenMemberFile(RunContext& run);

// Gives the file the member's time (packed DOS form), closes it and checks the CRC. false after
// reporting a failure, with the file deleted.
bool FinishMemberFile(RunContext& run, const CrcState& crc, const HeaderState& header,
                      uint32_t memberTime);

// The CRC verdict: true when the data's CRC is the header's, otherwise "CRC ERROR" about subject
// is shown and failed set.
bool CheckDataCrc(RunContext& run, const CrcState& crc, const HeaderState& header,
                  const char* subject);
