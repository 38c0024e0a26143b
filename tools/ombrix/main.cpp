// ombrix: packs self-extracting distributables and inspects, tests and extracts them.
#include "ombrix/commands.h"

int main(int argc, char** argv) {
  return RunCommandLine(argc, argv);
}
