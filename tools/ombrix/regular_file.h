// The files that the tool reads whole or walks: a directory, FIFO or device in their place would
// hang it or make no sense, so each is refused at once with what it is.
#pragma once

#include <string>

// Throws ToolError unless path names a regular file (through links): missingMessage (a format
// taking the path) when there is nothing there.
void RequireRegularFile(const std::string& path, const char* missingMessage);
