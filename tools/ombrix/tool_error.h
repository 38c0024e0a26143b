// How a host-tool command fails: a ToolError that the user can fix, or a failure of the archive,
// which the core has reported already and returns as a status.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>

struct ToolError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// One line on standard error after the tool's name, control bytes shown escaped.
void Complain(const std::string& message);

// Points the core's platform at the tool: message boxes go to standard error after the tool's
// name and are answered Yes.
void UseToolPlatform();

// Runs a command's body and returns its exit status: what the body returns, or 1 after showing the
// text of whatever else it threw (a ToolError, or a failure of the file system or of memory).
int RunToolCommand(const std::function<int()>& body);
