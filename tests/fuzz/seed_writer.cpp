// Writes the first inputs of each fuzz target into OUTDIR/<target>/, members made by the tests'
// block encoder and distributables by the tests' archive builder.
#include <algorithm>
#include <array>

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
  const Bytes carried =
      BuildArchive(std::vector<Member>{StoredFileMember("d\xFF", "f", Text("data"), 0, 0x20)});
  for (std::string arguments :
       {"-o|out.exe|--stub|stub.exe|--notice|notice.txt|--script|setup.txt|--check-value|tree",
        "--plain|-o|x.lzh|--method=LH5|--level=9|--base|tree|tree",
        "--from-lzh|in|--stub|stub.exe|--window-title|T|-o|y.exe"}) {
    std::replace(arguments.begin(), arguments.end(), '|', '\0');
    put("pack_command", {{uint8_t(arguments.size() + 1)}, Text(arguments + '\0'), carried});
  }
  std::vector<Member> members = {StoredFileMember("", "!", Text("Install?"), 0, 0),
                                 StoredFileMember("", "$", Text(script), 0, 0)};
  for (const char method : {'5', '6', '7'}) {
    LzhBlockWriter writer(method);
    writer.Write("B343 L300 M256,255 M256,100 M7,2 L40 B4 M3,0 M200,1 L1 M10,1000");
    // A file, the notice, a file with a cancel and a failing write.
    const int flags = std::array{0, 1 << 2, kDecoderCancel | kDecoderWriteFails}[method - '5'];
    const auto size = uint32_t(writer.expected().size());
    put("decoder",
        {{uint8_t(method - '4' | flags), uint8_t(size), uint8_t(size >> 8), 0}, writer.bytes()});
    members.push_back(StoredFileMember("", method == '5' ? "!" : "$", writer.expected(), 0, 0));
    members.back().method = "-lh"s + method + "-";
    members.back().data = writer.bytes();
  }
  put("decoder", {{1, 0x70, 0x11, 0x01, 0x00, 0x01, 0x00, 0x00, 0x04, 0x10, 0x00}});  // 70000 'A'
  for (const auto& [answers, options, flags, line] :
       {std::tuple<uint8_t, uint8_t, uint8_t, std::string>{
            0xFF, kWalkShiftJis, 4, "\"C:\\My Files\\x.exe\" -n -C- \"C:\\Target Dir\" -c \"-n\""},
        {0, 0, 1, "x.exe -c \"C:\\Program Files\\Given\""}}) {
    const SettingsBlock block = MakeSettingsBlock({1115, "Setup", "Into:", "", "go", flags});
    const auto* const blockBytes = reinterpret_cast<const uint8_t*>(&block);
    put("archive_walk", {{answers, options},
                         Text(line + '\0'),
                         {blockBytes, blockBytes + sizeof block},
                         BuildArchive(members, {.checkValue = (flags & kFlagCheckValue) != 0})});
  }
  return 0;
}
