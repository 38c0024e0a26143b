// The archive walk and the scan: the members the walk finds and under which paths, and what the
// scan makes of an archive: each box it shows, in order, and its verdict.
#include <functional>

#include "base/messages.h"
#include "base/text.h"
#include "core_test.h"
#include "ombrix/extract_command.h"
#include "setup/scan_pass.h"

namespace {

using platform_double::GetHooks;

Member With(Member member, const std::function<void(Member&)>& change) {
  change(member);
  return member;
}

Member WithOs(uint8_t osId) {
  return With(TextMember("", "f"),
              [osId](Member& m) { m.osId = osId, m.attributes = kAttrReadOnly | kAttrHidden; });
}

class ArchivePassTest : public CoreTest {
 protected:
  // "path, method letter, attributes" of every member the walk finds.
  std::vector<std::string> Walk(const std::vector<Member>& members) {
    UseArchive(BuildArchive(members));
    std::vector<std::string> walked;
    const ArchiveJob job{[](PassArea& area, void* context) {
                           static_cast<std::vector<std::string>*>(context)->push_back(
                               std::string(area.header.memberPath) + " " +
                               CurrentMethod(area.header).letter +
                               std::to_string(area.header.attributes));
                           return SkipMemberData(area.run, area.header);
                         },
                         nullptr, &walked};
    EXPECT_TRUE(RunArchivePass(*area_, nullptr, job));
    EXPECT_TRUE(hooks().boxes.empty());
    return walked;
  }
};

// Only DOS and Windows attribute headers count; the later of two extended headers wins; a
// directory name gets its closing separator, also after a Shift-JIS trail byte of 0x5C.
TEST_F(ArchivePassTest, TheWalkFindsEveryMemberUnderItsPath) {
  const std::string d200(200, 'd'), f58(58, 'f'), n217(217, 'n');
  // clang-format off
  const std::pair<Member, std::string> cases[] = {
      {DirectoryMember("sub" + kSep, 0), "sub/ d16"},
      {With(TextMember("", "p4"), [](Member& m) { m.method = "-lh4-"; }), "p4 432"},
      {WithOs('U'), "f 032"}, {WithOs('M'), "f 03"}, {WithOs('W'), "f 03"}, {WithOs('w'), "f 03"},
      {With(TextMember("first" + kSep, "first"), [](Member& m) {
         m.headerLevel = 0;
         m.extraHeaders = {{kExtFileName, Bytes("second")}, {kExtDirName, Bytes("o" + kSep)},
                           {0x7F, Bytes("whatever")}, {kExtAttributes, {kAttrSystem, 0}}};
       }), "o/second 04"},
      {TextMember("sub" + kSep + "sub2", "f"), "sub/sub2/f 032"},
      {TextMember("a/b\\c" + kSep, "d\\e"), "a/b/c/d/e 032"},
      {With(TextMember("only" + kSep, "x"), [](Member& m) { m.fileName.reset(); }), "only/ 032"},
      {TextMember(d200 + kSep, f58), d200 + "/" + f58 + " 032"},
      {TextMember("", n217), n217 + " 032"},
      {TextMember("\x95\x5C", "f"), "\x95\x5C/f 032"},
      {TextMember("\x95\x5C" + kSep, "g"), "\x95\x5C/g 032"},
  };
  // clang-format on
  std::vector<Member> members;
  std::vector<std::string> walked;
  for (const auto& [member, path] : cases) members.push_back(member), walked.push_back(path);
  hooks().codePage932 = true;
  EXPECT_EQ(Walk(members), walked);
}

std::vector<uint8_t> Archive(const std::vector<Member>& members, int checkValue = -1) {
  std::vector<uint8_t> archive = BuildArchive(members, {.checkValue = checkValue >= 0});
  if (checkValue >= 0) PutU16(archive, 0, uint16_t(checkValue));
  return archive;
}
std::vector<uint8_t> Archive(const std::function<void(Member&)>& change) {
  return Archive({With(TextMember("", "f"), change)});
}

// The member "f" with value at header byte `at` (from the end when negative), which the header
// CRC then covers.
std::vector<uint8_t> Patched(ptrdiff_t at, uint32_t value, int bytes = 2) {
  return Archive([=](Member& m) {
    m.editBeforeCrc = [=](std::vector<uint8_t>& h) {
      for (int i = 0; i < bytes; ++i)
        h.at(size_t(at < 0 ? ptrdiff_t(h.size()) + at : at) + i) = uint8_t(value >> 8 * i);
    };
  });
}

// A row of the catalogue: what it tries, the archive, and the verdict: the exit code, the window
// title in the end, and each box's message (CoreTest::BoxMessages); arrange sets up the rest.
struct Row {
  std::string what;
  std::vector<uint8_t> archive;
  std::string verdict;
  std::function<void(PassArea&)> arrange = [](PassArea&) {};
};

// Damage in one place, what lies around the archive, and the notices and scripts the scan meets.
std::vector<Row> FixedRows() {
  const auto checked = [](uint16_t previous) {
    return [previous](PassArea& area) {
      area.run.settings.flags |= kFlagCheckValue;
      area.header.checkValue = previous;  // stays when no value can be read
    };
  };
  const auto declined = [](PassArea& area) {
    area.run.settings.flags |= kFlagCheckValue;
    GetHooks().answerBox = [](const auto&) { return platform::kAnswerNo; };
  };
  const std::vector<uint8_t> plain = Archive([](Member&) {});
  const Member notice = TextMember("", "!", "Read."),
               script = TextMember("", "$", "$WindowTitle=T\r\n");
  const Member corrupt =
      With(TextMember("", "c"), [](Member& m) { m.editAfterCrc = [](auto& h) { h[15] ^= 1; }; });
  const std::vector<Member> members = {script, notice, TextMember("", "a")};
  // A size that a 16-bit walk would wrap back to the first extended header with.
  const auto wrap = uint32_t(0x10000 + 26 - EncodeMemberHeader(TextMember("", "f")).size());
  // clang-format off
  std::vector<Row> rows = {
      {"packed size 0xFFFFFFFF", Patched(kPackedSizeOffset, 0xFFFFFFFF, 4), "0 T; Unexpeted EOF"},
      {"stored size 0xFFFFFFFF", Patched(kUnpackedSizeOffset, 0xFFFFFFFF, 4), "1 T; Read ERROR"},
      {"notice size 0xFFFFFFFF", Archive({With(TextMember("", "!"), [](Member& m) {
         m.unpackedSize = 0xFFFFFFFF; })}), "1 T; Read ERROR"},
      {"chain wrapping back to its start", Patched(-2, wrap), "0 T; Bad header"},
      {"chain past the header", Patched(-2, 3), "0 T; Bad header"},
      {"extended header of size 1", Patched(kFirstExtSizeOffset, 1), "0 T; Bad header"},
      {"extended header of size 2", Patched(kFirstExtSizeOffset, 2), "0 T; Bad header"},
      {"name of 259 bytes", Archive({TextMember("", std::string(259, 'n'))}), "1 T"},
      {"name of 260 bytes", Archive({TextMember("", std::string(260, 'n'))}), "0 T; Bad header"},
      {"name of 600 bytes", Archive({TextMember("", std::string(600, 'n'))}), "0 T; Bad header"},
      {"script of 4096 bytes", Archive({TextMember("", "$", std::string(4078, '.') +
         "\n$WindowTitle=ABCD")}), "1 ABC"},
      {"script of 70000 bytes", Archive({TextMember("", "$", ("$WindowTitle=Early\n" +
         std::string(65536, '.')).substr(0, 65536) + "\n$WindowTitle=Late\n" +
         std::string(70000 - 65536 - 18, '.'))}), "1 Late"},
      {"notice holding a zero byte", Archive({TextMember("", "!", std::string("Before\0After",
         12))}), "1 T; Before"},
      {"", plain, "0 T; Open ERROR", [](PassArea& area) { area.run.modulePath[1] = 'X'; }},
      {"", plain, "0 T; Unexpeted EOF", [](PassArea& a) { a.run.settings.archiveOffset = 4000; }},
      {"", plain, "0 T; Not enough memory", [](auto&) { GetHooks().allocationsBeforeFailure = 0; }},
      {"no header CRC", Archive([](Member& m) { m.withHeaderCrc = false; }), "0 T; Bad header"},
      {"", {}, "0 T; Tampered DATA", checked(0x1234)},
      {"", {0x34, 0x12, 0x00}, "0 T; Tampered DATA", checked(0)},
      {"CRC of 0 bytes", Patched(kFirstExtSizeOffset, 3), "0 T; Bad header"},
      {"attributes of 1 byte", Archive([](Member& m) { m.extraHeaders = {{kExtAttributes, {1}}}; }),
       "0 T; Bad header"},
      // Archives without members, or that end early, are no error.
      {"", {}, "1 T", checked(0)}, {"", {0, 0, 0}, "1 T", checked(0)},
      // Only a notice at the top is one; an empty notice must not show what an earlier one left.
      {"", Archive({TextMember("x" + kSep, "!"), notice, TextMember("y" + kSep, "!"),
                    TextMember("", "!", "")}), "1 T; Read.; "},
      // The check value covers the reserved members; a script is read as it is met.
      {"", Archive(members, CheckValueOf(members)), "1 T; Read.", checked(0)},
      {"", Archive(members, CheckValueOf(std::span(members).subspan(2))),
       "0 T; Read.; Tampered DATA", checked(0)},
      // After No the headers are still checked; a later script is decoded but ends the walk,
      // unread, and the check value is not tested.
      {"", Archive({notice, TextMember("", "a"), corrupt}, 0), "0 T; Read.; Bad header", declined},
      {"", Archive({notice, TextMember("", "a"), script, corrupt}, 0), "0 T; Read.", declined},
  };
  // clang-format on
  for (const auto& [index, byte] :
       {std::pair<int, char>{0, '+'}, {1, 'L'}, {2, 'z'}, {4, '_'}, {3, '3'}, {3, '8'}, {3, 'D'}}) {
    rows.push_back({std::string("method ") + byte,
                    Patched(ptrdiff_t(kMethodOffset) + index, uint8_t(byte), 1),
                    "0 T; Bad header"});
  }
  for (const int size : {0, 1, 25, 26, 32767, 32768}) {
    rows.push_back({"header size " + std::to_string(size), Patched(kHeaderSizeOffset, size),
                    size == 0       ? "1 T"
                    : size == 32768 ? "0 T; Not enough memory"
                                    : "0 T; Bad header"});
  }
  return rows;
}

// The verdict of the rules for a walk in which member i (notice, script, a.txt, b.txt) meets
// fate(i): '+' sound, 'e' the archive ends before it, 'h' a bad header, 'm' a header size too
// large to allocate, 'r' a failed read of a reserved member's data, 'o' data past the end, 'c' a
// wrong CRC, which only the extraction finds.
std::string ByRules(const std::function<char(size_t)>& fate) {
  static const char* const kMessages[] = {"Bad header", kNotEnoughMemory, "Read ERROR",
                                          "Unexpeted EOF", "CRC ERROR x/a.txt"};  // of "hmroc"
  std::string title = "T", boxes;
  for (size_t i = 0; i < 4; ++i) {
    const char f = fate(i);
    if (f == 'e') break;
    if (f != '+') {
      boxes += "; " + std::string(kMessages[std::string_view("hmroc").find(f)]);
      if (f == 'c') break;
      return (f == 'r' ? "1 " : "0 ") + title + boxes;
    }
    if (i == 0) boxes += "; Read me.";
    if (i == 1) title = "S";
  }
  return "1 " + title + boxes;
}

TEST_F(ArchivePassTest, TheCatalogueOfDamagedArchives) {
  // A real archive, as the packer makes it, and where its members lie.
  WriteFile("stub.exe", Bytes("MZ" + std::string(1198, 'S')));
  std::string script = "$WindowTitle=S\r\n";
  while (script.size() < 400) script += "A remark of the script.\r\n";
  WriteFile("notice.txt", Bytes("Read me.")), WriteFile("setup.txt", Bytes(script));
  WriteFile("a.txt", Bytes("alpha")), WriteFile("b.txt", Bytes(std::string(200, 'b') + "end"));
  RunTool("pack --stub=stub.exe -o real.exe --notice=notice.txt --script=setup.txt a.txt b.txt");
  const std::vector<uint8_t> full = ReadFileBytes("real.exe");
  const std::vector<uint8_t> real(full.begin() + 1200, full.end());
  struct Span {
    size_t header, data, end;
  };
  std::vector<Span> spans;  // of the notice, the script, a.txt and b.txt
  for (size_t at = 0; real[at] != 0; at = spans.back().end) {
    uint32_t packed;
    std::memcpy(&packed, &real[at + kPackedSizeOffset], 4);
    const size_t size = real[at] | real[at + 1] << 8;
    spans.push_back({at, at + size, at + size + packed});
  }
  ASSERT_EQ(spans.size(), 4u);

  std::vector<Row> catalogue = FixedRows();
  for (size_t cut = 0; cut <= real.size(); ++cut) {
    const auto fate = [&](size_t i) {
      const Span& s = spans[i];
      return cut < s.header + 2 ? 'e'
             : cut < s.data     ? 'h'
             : cut < s.end      ? (i < 2 ? 'r' : 'o')
                                : '+';
    };
    catalogue.push_back({"cut at " + std::to_string(cut),
                         std::vector<uint8_t>(real.begin(), real.begin() + cut), ByRules(fate)});
  }
  for (size_t at = 0; at < real.size(); ++at) {
    const auto member = size_t(
        std::find_if(spans.begin(), spans.end(), [at](const Span& s) { return at < s.end; }) -
        spans.begin());
    const bool header = member < 4 && at < spans[member].data;
    if (!header && member != 2 && member != 4) continue;  // data decoded only by the scan
    for (int bit = 0; bit < 8; ++bit) {
      std::vector<uint8_t> flipped = real;
      flipped[at] ^= uint8_t(1 << bit);
      const size_t sizeAt = member < 4 ? spans[member].header : 0;
      const auto size = int16_t(flipped[sizeAt] | flipped[sizeAt + 1] << 8);
      const char fate = !header ? 'c' : size < 0 ? 'm' : size == 0 ? 'e' : 'h';
      catalogue.push_back({"bit " + std::to_string(bit) + " of byte " + std::to_string(at), flipped,
                           ByRules([&](size_t i) { return i < member ? '+' : fate; })});
    }
  }
  for (const Row& row : catalogue) {
    SetUp();
    UseArchive(row.archive);
    row.arrange(*area_);
    int exit = 1;
    try {
      SetupState setup{};
      if ((exit = RunScanPass(*area_, setup)) != 0) {  // the extraction reads the block anew
        std::vector<uint8_t> file = ReadFileBytes(run().modulePath);
        std::memcpy(&file[kSettingsOffset], &run().settings, kSettingsSize);
        WriteFile("program.exe", file), ExtractArchive(run().modulePath, "x");
      }
    } catch (const ProcessEnded&) {
      ReleaseHeader(area_->header);  // a stop leaves it to the end of the process
    }
    // No box has an owner, each has the title of its moment.
    for (const auto& box : hooks().boxes) {
      const bool error = box.text[0] == '"' || box.text == kNotEnoughMemory;
      EXPECT_EQ(box.style, platform::kBoxTaskModal |
                               (error ? platform::kBoxIconError
                                      : platform::kBoxIconQuestion | platform::kBoxYesNo));
      EXPECT_TRUE(!box.owner && (box.caption == "T" || box.caption == run().settings.windowTitle));
    }
    EXPECT_EQ(
        std::to_string(exit) + " " + run().settings.windowTitle + BoxMessages(run().modulePath),
        row.verdict)
        << row.what;
  }
}

}  // namespace
