// The robot's report: one line per fact, "tag field field...", UTF-8, with the last field
// escaped so that any window text fits on one line.
#pragma once

#include <string>

// Backslash, line feed, carriage return and tab become \\, \n, \r and \t.
std::string EscapeText(const std::wstring& text);
std::string ToUtf8(const std::wstring& text);
void PrintLine(const std::string& line);
void PrintProblem(const std::string& line);
