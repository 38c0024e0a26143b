// Writes the first inputs of each fuzz target into OUTDIR/<target>/, from the tests' block writer
// and archive builder, and the archives of real archivers.
#include <algorithm>

#include "archive_builder.h"
#include "fuzz_harness.h"
#include "lzh_block_writer.h"
#include "ombrix/settings_writer.h"

using Bytes = std::vector<uint8_t>;
using namespace std::literals;

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  int count = 0;
  const auto Text = [](const std::string& chars) { return Bytes(chars.begin(), chars.end()); };
  const auto put = [&, out = std::filesystem::path(argv[1])](const char* target,
                                                             std::initializer_list<Bytes> parts) {
    Bytes input;
    for (const Bytes& part : parts) input.insert(input.end(), part.begin(), part.end());
    std::filesystem::create_directories(out / target);
    WriteBytes(out / target / std::to_string(++count), input);
  };
  const std::string script =
      "Remarks.\r\n$WindowTitle=Setup\r\n$InstallTitle=Into:\r\n$InstallDir=%ProgramFiles%\\V\r\n"
      "$ClassTitle=Open\r\n$Class=.v,V,v.exe,V.F\r\n$GroupTitle=Group\r\n"
      "$Group=V,\"V, 1\",v.exe,\r\n$Command=\"v.exe\" /w\r\n$AskRegist=\r\n";
  put("texts", {{kTextsShiftJis | kTextsLongNames},  // a title cut in two
                Text(script + "$WindowTitle=" + std::string(39, 'a') + "\x82\xA0\n"),
                Text("\0C:\\Program Files\0%Search%\\\x83\x5B/Read Me.text"s)});
  std::string arguments =
      "-o|out.exe|--stub|stub.exe|--notice|notice.txt|--script|setup.txt|--check-value|tree|in";
  std::replace(arguments.begin(), arguments.end(), '|', '\0');
  put("pack_command", {{uint8_t(arguments.size() + 1)}, Text(arguments + '\0'), Text(script)});
  std::vector<Member> members = {StoredFileMember("", "!", Text("Install?"), 0, 0),
                                 StoredFileMember("", "$", Text(script), 0, 0)};
  for (const char method : {'5', '6', '7'}) {
    LzhBlockWriter writer(method);
    writer.Write("B343 L300 M256,255 M256,100 M7,2 L40 B4 M3,0 M200,1 L1 M10,1000");
    const auto size = uint32_t(writer.expected().size());
    put("decoder", {{uint8_t(method - '4'), uint8_t(size), uint8_t(size >> 8), 0}, writer.bytes()});
    members.push_back(StoredFileMember("", method == '5' ? "!" : "$", writer.expected(), 0, 0));
    members.back().method = "-lh"s + method + "-";
    members.back().data = writer.bytes();
  }
  const SettingsBlock block =
      MakeSettingsBlock({1115, "Setup", "Into:", "", "go", kFlagCheckValue});
  const auto* const blockBytes = reinterpret_cast<const uint8_t*>(&block);
  put("archive_walk", {{0xFF, 0},
                       Text("\"C:\\My Files\\x.exe\" -n -C- \"C:\\Target Dir\" -c \"-n\""s + '\0'),
                       {blockBytes, blockBytes + sizeof block},
                       BuildArchive(members, {.checkValue = true})});
  for (const auto& entry : std::filesystem::recursive_directory_iterator(OMBRIX_ARCHIVERS_DIR))
    if (entry.is_regular_file() && entry.path().extension() != ".md")
      put("plain_archive", {ReadFileBytes(entry.path())});
  return 0;
}
