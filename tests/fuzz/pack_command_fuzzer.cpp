// `ombrix pack` in a directory of its own that holds a stub, a notice, a script, a tree and the
// file "in"; no argument names anything outside it. A pack writes its output and nothing else,
// which the tool's test then passes unless it carries another archive's members; a failed one
// writes nothing. Input: the length of the argument text, the arguments ended by 0, then "in".
#include <map>
#include <sstream>

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
  if (size < 1) return -1;
  const size_t argumentBytes = std::min<size_t>(data[0], size - 1);
  const fs::path home = fs::current_path(), dir = OwnPath("pack");
  fs::remove_all(dir), fs::create_directories(dir / "tree/sub"), fs::current_path(dir);
  for (const char* name : {"stub.exe", "notice.txt", "setup.txt", "tree/a.txt", "tree/sub/b"}) {
    std::vector<uint8_t> bytes(name[0] == 's' ? 1200 : 300, 'Z');
    bytes[0] = 'M', WriteBytes(name, bytes);  // a stub, or text to compress
  }
  WriteBytes("in", {data + 1 + argumentBytes, data + size});
  std::vector<std::string> arguments = {"ombrix", "pack"};
  std::istringstream text(std::string(data + 1, data + 1 + argumentBytes));
  for (std::string argument; std::getline(text, argument, '\0'); arguments.push_back(argument))
    std::replace(argument.begin(), argument.end(), '/', '_');  // a name inside the directory
  std::vector<const char*> argv;
  bool carries = false;  // members carried from another archive come unchecked
  for (const std::string& argument : arguments)
    argv.push_back(argument.c_str()), carries |= argument.starts_with("--from-lzh");
  const auto before = Files();
  const int freeAtStart = LowestFreeDescriptor();
  platform_double::ResetHooks();
  std::ostringstream discarded;
  auto* const errors = std::cerr.rdbuf(discarded.rdbuf());
  auto* const output = std::cout.rdbuf(discarded.rdbuf());
  const int status = RunCommandLine(int(argv.size()), argv.data());
  const auto after = Files();
  int changed = 0;
  std::string written;
  for (const auto& [name, bytes] : after) {
    if (!before.count(name) || before.at(name) != bytes) ++changed, written = name;
  }
  for (const auto& [name, bytes] : before) changed += !after.count(name);
  CheckThat(changed <= (status == 0), "a pack changed more than its output, or a failed one any");
  if (status == 0 && changed == 1 && !carries) {
    const char* test[] = {"ombrix", "test", written.c_str()};
    platform_double::ResetHooks();
    CheckThat(RunCommandLine(3, test) == 0, "a pack wrote what its own test refuses");
  }
  std::cerr.rdbuf(errors), std::cout.rdbuf(output);
  CheckThat(LowestFreeDescriptor() == freeAtStart, "a file left open");
  fs::current_path(home);
  return 0;
}
