// A failure of a host-tool command that the user can fix: its text is shown after the tool's
// name and the command ends with status 1.
#pragma once

#include <functional>
#include <stdexcept>

struct ToolError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Runs a command's body and returns its exit status: what the body returns, or 1 after showing
// the text of whatever it threw (a ToolError, or a failure of the file system or of memory).
int RunToolCommand(const std::function<int()>& body);
