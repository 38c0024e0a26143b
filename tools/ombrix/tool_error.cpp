#include "ombrix/tool_error.h"

#include <iostream>

#include "ombrix/printable.h"
#include "ombrix/tool_messages.h"
#include "platform/posix/posix_platform.h"
#include "platform/posix/posix_system.h"

// The stub's message, with the system's reason where a file operation failed.
void UseToolPlatform() {
  platform::posix::AnswerBoxesWith([](const char* text) {
    const std::string reason = platform::posix::TakeFailureReason();
    std::cerr << kToolErrorPrefix << Printable(text) << (reason.empty() ? "" : ": ")
              << Printable(reason) << '\n';
    return platform::kAnswerYes;
  });
}

int RunToolCommand(const std::function<int()>& body) {
  try {
    return body();
  } catch (const std::exception& error) {
    std::cerr << kToolErrorPrefix << Printable(error.what()) << '\n';
    return 1;
  }
}
