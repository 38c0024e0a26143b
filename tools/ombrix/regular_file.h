// The files that the tool reads whole or walks: a directory, FIFO or device in their place would
// hang it or make no sense, so each is refused at once with what it is.
#pragma once

#include <sys/stat.h>

#include <string>

// What stat says of path, a regular file (through links); otherwise throws ToolError, with
// missingMessage (a format taking the path) when there is nothing there.
struct stat RequireRegularFile(const std::string& path, const char* missingMessage);
