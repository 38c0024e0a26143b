// `ombrix pack` among a stub, notice, script, tree and "in" writes only its output, which its test
// passes (not --from-lzh: carried members go unchecked). Input: length, arguments ended by 0, "in".
#include <algorithm>
#include <cstring>
#include <iterator>
#include <map>

#include "fuzz_harness.h"
#include "ombrix/commands.h"

namespace fs = std::filesystem;
using Tree = std::map<std::string, std::vector<uint8_t>>;

static Tree Files() {  // "/" for a directory
  Tree files;
  for (const auto& entry : fs::recursive_directory_iterator("."))
    files[entry.path()] = entry.is_directory() ? std::vector<uint8_t>{'/'} : ReadFileBytes(entry);
  return files;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  [[maybe_unused]] static const bool quiet = (std::cout.rdbuf(nullptr), std::cerr.rdbuf(nullptr));
  if (size < 1) return -1;
  const size_t argumentBytes = std::min<size_t>(data[0], size - 1);
  std::string text(data + 1, data + 1 + argumentBytes);
  if (text.find("--from-lzh") != std::string::npos) return -1;
  const fs::path home = fs::current_path(), dir = OwnPath("pack");
  fs::remove_all(dir), fs::create_directories(dir / "tree/sub"), fs::current_path(dir);
  for (const char* name : {"stub.exe", "notice.txt", "setup.txt", "tree/a.txt", "tree/sub/b"}) {
    std::vector<uint8_t> bytes(name[0] == 's' ? 1200 : 300, 'Z');
    bytes[0] = 'M', WriteBytes(name, bytes);  // a stub, or text to compress
  }
  WriteBytes("in", {data + 1 + argumentBytes, data + size});
  std::replace(text.begin(), text.end(), '/', '_');  // every name inside the directory
  std::vector<const char*> argv = {"ombrix", "pack"};
  for (size_t at = 0; at < text.size(); at += std::strlen(argv.back()) + 1)
    argv.push_back(&text[at]);
  const auto before = Files();
  const int freeAtStart = LowestFreeDescriptor();
  platform_double::ResetHooks();
  const int status = RunCommandLine(int(argv.size()), argv.data());
  const auto after = Files();
  Tree changed;  // each name added, rewritten or removed
  std::ranges::set_symmetric_difference(before, after, std::inserter(changed, changed.end()));
  CheckThat(changed.size() <= (status == 0), "a file besides a good pack's output changed");
  if (status == 0 && changed.size() == 1) {
    const char* test[] = {"ombrix", "test", changed.begin()->first.c_str()};
    platform_double::ResetHooks();
    CheckThat(RunCommandLine(3, test) == 0, "a pack wrote what its own test refuses");
  }
  CheckThat(LowestFreeDescriptor() == freeAtStart, "a file left open");
  fs::current_path(home);
  return 0;
}
