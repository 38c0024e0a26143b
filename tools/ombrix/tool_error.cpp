#include "ombrix/tool_error.h"

#include <iostream>

#include "ombrix/tool_messages.h"

int RunToolCommand(const std::function<int()>& body) {
  try {
    return body();
  } catch (const std::exception& error) {
    std::cerr << kToolErrorPrefix << error.what() << '\n';
    return 1;
  }
}
