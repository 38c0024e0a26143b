// Thrown by the tests' platform at the stub's end, so that the test goes on.
#pragma once

struct ProcessEnded {
  int status;
};
