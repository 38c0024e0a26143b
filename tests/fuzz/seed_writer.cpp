// Writes the first inputs of each fuzz target into OUTDIR/<target>/, members made by the tests'
// block encoder and distributables by the tests' archive builder.
#include <algorithm>

#include "archive_builder.h"
#include "fuzz_harness.h"
#include "lzh_block_writer.h"
#include "ombrix/settings_writer.h"

using Bytes = std::vector<uint8_t>;

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  int count = 0;
  const auto put = [&, out = std::filesystem::path(argv[1])](const char* target, Bytes input,
                                                             const Bytes& data) {
    input.insert(input.end(), data.begin(), data.end());
    std::filesystem::create_directories(out / target);
    WriteBytes(out / target / std::to_string(++count), input);
  };
  const auto text = [](const std::string& chars) { return Bytes(chars.begin(), chars.end()); };
  const std::string script =
      "Remarks.\r\n$WindowTitle=Setup\r\n$InstallTitle=Into:\r\n$InstallDir=%ProgramFiles%\\V\r\n"
      "$ClassTitle=Open\r\n$Class=.v,V,v.exe,V.F\r\n$GroupTitle=Group\r\n"
      "$Group=V,\"V, 1\",v.exe,\r\n$Command=\"v.exe\" /w\r\n$AskRegist=\r\n";
  put("command_line", {}, text("\"C:\\My Files\\x.exe\" -n -C- \"C:\\Target Dir\" -c \"-n\""));
  put("setup_script", {kScriptDirectoryPreset}, text(script));
  put("setup_script", {kScriptShiftJis}, text("$WindowTitle=" + std::string(39, 'a') + "\x82\xA0"));
  put("setup_script", {0},
      text("$Class=.v,\"A, B\",v.exe,K\n$Group=G,T,\"" + std::string(70, 'p') + "\",i.ico\n"));
  const std::tuple<int, uint32_t, uint32_t, std::string> outputs[] = {
      // as new as the member
      {kOutputLongNames | kOutputDateCompare | 1 << kOutputAnswerShift, 1700000000, 1700000001,
       std::string("C:\\Program Files\\V\0%ProgramFiles%\\sub/Read Me.text\0EST5EDT", 45)},
      {kOutputShiftJis | kOutputKeep | 2 << kOutputAnswerShift, 951825600, 899285459,  // older
       std::string("D:\0\x83\x5B\x83\x5B/a.b.c/%Search%\0JST-9", 28)}};
  for (const auto& [options, stamp, existing, texts] : outputs) {
    Bytes head(9, uint8_t(options));
    PutU32(head, 1, stamp), PutU32(head, 5, existing), put("member_output", head, text(texts));
  }
  const std::pair<std::string, Bytes> packs[] = {
      {"-o|out.exe|--stub|stub.exe|--notice|notice.txt|--script|setup.txt|--check-value|tree", {}},
      {"--plain|-o|x.lzh|--method=LH5|--level=9|--base|tree|tree", {}},
      {"--from-lzh|in|--stub|stub.exe|--window-title|T|-o|y.exe",
       BuildArchive(std::vector<Member>{StoredFileMember("d\xFF", "f", text("data"), 0, 0x20)})}};
  for (auto [arguments, in] : packs) {
    std::replace(arguments.begin(), arguments.end(), '|', '\0');
    Bytes head = text(" " + arguments + '\0');
    head[0] = uint8_t(arguments.size() + 1);
    put("pack_command", head, in);
  }
  std::vector<Member> members = {StoredFileMember("", "!", text("Install?"), 0, 0),
                                 StoredFileMember("", "$", text(script), 0, 0)};
  for (const char method : {'5', '6', '7'}) {
    LzhBlockWriter writer(method);
    writer.Write("B343 L300 M256,255 M256,100 M7,2 L40 B4 M3,0 M200,1 L1 M10,1000");
    const auto size = uint32_t(writer.expected().size());
    for (const int flags : {0, 1 << 2, kDecoderCancel | kDecoderWriteFails}) {
      put("decoder", {uint8_t(method - '4' | flags), uint8_t(size), uint8_t(size >> 8), 0},
          writer.bytes());
    }
    members.push_back(StoredFileMember("", method == '5' ? "!" : "$", writer.expected(), 0, 0));
    members.back().method = std::string("-lh") + method + "-";
    members.back().data = writer.bytes();
  }
  put("decoder", {1, 0x70, 0x11, 0x01}, {0x00, 0x01, 0x00, 0x00, 0x04, 0x10, 0x00});  // 70000 'A'
  for (const auto& [answers, options, flags] :
       {std::tuple<uint8_t, uint8_t, uint8_t>{0xFF, kWalkShiftJis, 4},
        {0, kWalkDirectoryArgument | kWalkFixHeaderCrcs, 1},
        {0xFF, 0x30, 0}}) {
    const SettingsBlock block = MakeSettingsBlock({1115, "Setup", "Into:", "", "go", flags});
    Bytes input(reinterpret_cast<const uint8_t*>(&block),
                reinterpret_cast<const uint8_t*>(&block + 1));
    const Bytes archive = BuildArchive(members, {.checkValue = (flags & kFlagCheckValue) != 0});
    input.insert(input.end(), archive.begin(), archive.end());
    put("archive_walk", {answers, options}, input);
  }
  return 0;
}
