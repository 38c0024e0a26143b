// How a host-tool command fails: a ToolError that the user can fix, or the stub's own fatal stop,
// which the tool turns into an exception so that it ends at the top, in main, with destructors run.
#pragma once

#include <functional>
#include <stdexcept>

struct ToolError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The stub's fatal stop: the core has already reported it, and closed and deleted what the stub
// closes and deletes.
struct ProcessEnded {
  int status;
};

// Points the core's platform at the tool: message boxes go to standard error after the tool's
// name and are answered Yes, and the fatal stop throws ProcessEnded.
void UseToolPlatform();

// Runs a command's body and returns its exit status: what the body returns, the status of a
// fatal stop, or 1 after showing the text of whatever else it threw (a ToolError, or a failure
// of the file system or of memory).
int RunToolCommand(const std::function<int()>& body);
