// `ombrix test`: every member of a distributable or plain LZH archive decoded as the stub
// decodes it and checked against its CRC, with nothing written.
#pragma once

#include <CLI/CLI.hpp>
#include <ostream>
#include <string>

// Names each good member on out; failures go through the platform's message boxes (standard
// error in the tool). Returns 0 when everything was good (an archive without its end mark only
// when that is accepted), 1 otherwise.
int TestArchive(const std::string& path, std::ostream& out, bool acceptMissingEndMark);

void AddTestCommand(CLI::App& app, int& status);
