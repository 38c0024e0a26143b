#include "ombrix/tool_error.h"

#include <iostream>

#include "ombrix/tool_messages.h"
#include "platform/posix/posix_hooks.h"

void UseToolPlatform() {
  auto& hooks = platform::posix::GetHooks();
  hooks.answerBox = [](const platform::posix::MessageBoxRecord& box) {
    std::cerr << kToolErrorPrefix << box.text << '\n';
    return platform::kAnswerYes;
  };
}

int RunToolCommand(const std::function<int()>& body) {
  try {
    return body();
  } catch (const std::exception& error) {
    std::cerr << kToolErrorPrefix << error.what() << '\n';
    return 1;
  }
}
