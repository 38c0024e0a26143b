#include "platform/posix/interrupt_guard.h"

#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <cstring>

namespace platform::posix {

namespace {

// The handler may only read memory that stays for the whole run, and only once it is complete.
char guardedName[4096];
volatile std::sig_atomic_t guardedDirectory = AT_FDCWD;
volatile std::sig_atomic_t guarded = 0;
constexpr int kInterrupts[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void RemoveAndEnd(int signal) {
  if (guarded) ::unlinkat(guardedDirectory, guardedName, 0);
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

}  // namespace

void GuardAgainstInterrupt(int directory, const char* name) {
  guarded = 0;
  const size_t length = std::strlen(name);
  if (length >= sizeof guardedName) return;
  std::memcpy(guardedName, name, length + 1);
  guardedDirectory = directory;
  guarded = 1;
  // A signal the caller ignores (nohup's SIGHUP) stays ignored.
  static const bool installed = [] {
    for (const int signal : kInterrupts) {
      struct sigaction now {};
      if (::sigaction(signal, nullptr, &now) == 0 && now.sa_handler != SIG_IGN)
        std::signal(signal, RemoveAndEnd);
    }
    return true;
  }();
  (void)installed;
}

void ReleaseInterruptGuard() {
  guarded = 0;
}

}  // namespace platform::posix
