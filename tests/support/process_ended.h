// The process's end, which the tests' platform throws so that a test or fuzz run goes on after the
// stub has stopped.
#pragma once

struct ProcessEnded {
  int status;
};
