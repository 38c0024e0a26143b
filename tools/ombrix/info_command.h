// `ombrix info`: the settings block and the members of a distributable or plain LZH archive,
// read by the same walk as the stub's.
#pragma once

#include <CLI/CLI.hpp>
#include <ostream>
#include <string>

// Lists the file on out. Problems are reported in the stub's words through the platform's
// message boxes (standard error in the tool). Returns 0 when the walk found nothing wrong, 1
// otherwise.
int ShowArchiveInfo(const std::string& path, std::ostream& out);

void AddInfoCommand(CLI::App& app, int& status);
