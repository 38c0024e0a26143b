#include "ombrix/tool_error.h"

#include <algorithm>
#include <iostream>
#include <string_view>

#include "base/messages.h"
#include "ombrix/printable.h"
#include "ombrix/tool_messages.h"
#include "platform/posix/posix_platform.h"
#include "platform/posix/posix_system.h"

void Complain(const std::string& message) {
  std::cerr << kToolErrorPrefix << Printable(message) << '\n';
}

// The stub's message, with the system's reason where it says that a file operation failed.
void UseToolPlatform() {
  platform::posix::AnswerBoxesWith([](const char* text) {
    const std::string reason = platform::posix::TakeFailureReason();
    const std::string_view message = text;
    const bool failed = std::ranges::any_of(
        std::initializer_list<const char*>{kOpenError, kReadError, kWriteError, kCloseError},
        [&](const char* system) { return message.ends_with(system); });
    Complain(failed && !reason.empty() ? std::string(message) + ": " + reason : text);
    return platform::kAnswerYes;
  });
}

int RunToolCommand(const std::function<int()>& body) {
  try {
    return body();
  } catch (const std::exception& error) {
    Complain(error.what());
    return 1;
  }
}
