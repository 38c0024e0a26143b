// `ombrix pack` in a directory of its own holding a stub, a notice, a script, a tree and "in". It
// writes its output only, which the tool's test passes unless it carries another archive's members;
// a failed pack writes nothing. Input: the arguments' length, the arguments ended by 0, then "in".
#include <cstring>
#include <map>

#include "fuzz_harness.h"
#include "ombrix/commands.h"

namespace fs = std::filesystem;

static std::map<std::string, std::vector<uint8_t>> Files() {  // "/" for a directory
  std::map<std::string, std::vector<uint8_t>> files;
  for (const auto& entry : fs::recursive_directory_iterator("."))
    files[entry.path()] = entry.is_directory() ? std::vector<uint8_t>{'/'} : ReadFileBytes(entry);
  return files;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  [[maybe_unused]] static const bool quiet = (std::cout.rdbuf(nullptr), std::cerr.rdbuf(nullptr));
  if (size < 1) return -1;
  const size_t argumentBytes = std::min<size_t>(data[0], size - 1);
  const fs::path home = fs::current_path(), dir = OwnPath("pack");
  fs::remove_all(dir), fs::create_directories(dir / "tree/sub"), fs::current_path(dir);
  for (const char* name : {"stub.exe", "notice.txt", "setup.txt", "tree/a.txt", "tree/sub/b"}) {
    std::vector<uint8_t> bytes(name[0] == 's' ? 1200 : 300, 'Z');
    bytes[0] = 'M', WriteBytes(name, bytes);  // a stub, or text to compress
  }
  WriteBytes("in", {data + 1 + argumentBytes, data + size});
  std::string text(data + 1, data + 1 + argumentBytes);
  std::replace(text.begin(), text.end(), '/', '_');  // every name inside the directory
  std::vector<const char*> argv = {"ombrix", "pack"};
  for (size_t at = 0; at < text.size(); at += std::strlen(argv.back()) + 1)
    argv.push_back(&text[at]);
  // Members carried from another archive come unchecked.
  const bool carries = text.find("--from-lzh") != std::string::npos;
  const auto before = Files();
  const int freeAtStart = LowestFreeDescriptor();
  platform_double::ResetHooks();
  const int status = RunCommandLine(int(argv.size()), argv.data());
  const auto after = Files();
  int changed = 0;
  std::string written;
  for (const auto& [name, bytes] : after)
    if (!before.count(name) || before.at(name) != bytes) ++changed, written = name;
  for (const auto& [name, bytes] : before) changed += !after.count(name);
  CheckThat(changed <= (status == 0), "a pack changed more than its output, or a failed one any");
  if (status == 0 && changed == 1 && !carries) {
    const char* test[] = {"ombrix", "test", written.c_str()};
    platform_double::ResetHooks();
    CheckThat(RunCommandLine(3, test) == 0, "a pack wrote what its own test refuses");
  }
  CheckThat(LowestFreeDescriptor() == freeAtStart, "a file left open");
  fs::current_path(home);
  return 0;
}
