#include "ombrix/tool_error.h"

#include <iostream>

#include "ombrix/tool_messages.h"
#include "platform/posix/posix_system.h"

void UseToolPlatform() {
  platform::posix::AnswerBoxesWith([](const char* text) {
    std::cerr << kToolErrorPrefix << text << '\n';
    return platform::kAnswerYes;
  });
}

int RunToolCommand(const std::function<int()>& body) {
  try {
    return body();
  } catch (const std::exception& error) {
    std::cerr << kToolErrorPrefix << error.what() << '\n';
    return 1;
  }
}
