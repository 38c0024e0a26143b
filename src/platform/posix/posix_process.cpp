// Memory, the end of the process, and message boxes, for a program that runs in a terminal.
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "platform/posix/posix_platform.h"
#include "platform/posix/posix_system.h"

namespace platform {

namespace posix {
static BoxAnswer boxAnswer;

BoxAnswer AnswerBoxesWith(BoxAnswer answer) {
  std::swap(boxAnswer, answer);
  return answer;
}

void* AllocZeroed(uint32_t size) {
  return std::calloc(1, size == 0 ? 1 : size);
}

int ShowMessageBox(Window /*owner*/, const char* text, const char* /*caption*/,
                   uint32_t /*style*/) {
  if (boxAnswer) return boxAnswer(text);
  std::fprintf(stderr, "%s\n", text);
  return kAnswerYes;
}

void EndProcess(int status) {
  std::fflush(nullptr);
  std::_Exit(status);
}
}  // namespace posix

void Release(void* block) {
  std::free(block);
}

}  // namespace platform
