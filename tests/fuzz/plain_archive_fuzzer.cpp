// A plain archive of any header level through `ombrix test`, which walks it and decodes every
// member: however its headers lie, nothing is read outside a buffer and no file is left open.
#include "fuzz_harness.h"
#include "ombrix/commands.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  [[maybe_unused]] static const bool quiet = (std::cout.rdbuf(nullptr), std::cerr.rdbuf(nullptr));
  if (size == 0) return -1;
  const std::string path = OwnPath("plain.lzh", {data, data + size});
  const char* test[] = {"ombrix", "test", path.c_str()};
  const int freeAtStart = LowestFreeDescriptor();
  platform_double::ResetHooks();
  RunCommandLine(3, test);
  CheckThat(LowestFreeDescriptor() == freeAtStart, "a file left open");
  return 0;
}
