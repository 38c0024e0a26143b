// `ombrix extract`: the members of a distributable or plain LZH archive written under a
// directory, decoded and checked as the stub does it.
#pragma once

#include <CLI/CLI.hpp>
#include <string>

// Writes every ordinary member under dir, with its time stamp; failures go through the
// platform's message boxes (standard error in the tool). Returns 0 when everything was good, 1
// otherwise.
int ExtractArchive(const std::string& path, const std::string& dir);

void AddExtractCommand(CLI::App& app, int& status);
