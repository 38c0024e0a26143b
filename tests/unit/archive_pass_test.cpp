// The archive walk and the scan: the members the walk finds and under which paths, and what the
// scan makes of an archive: each box it shows, in order, and its verdict.
#include <functional>

#include "base/messages.h"
#include "core_test.h"
#include "setup/scan_pass.h"

namespace {

using platform::posix::GetHooks;

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
                           return SkipMemberData(area.run, area.header) != 0;
                         },
                         nullptr, &walked};
    EXPECT_EQ(RunArchivePass(*area_, nullptr, job), 1);
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

// The member "f" (or of name n's) with value at header byte `at` (from the end when negative),
// before the header CRC is computed or, when covered is false, after.
std::vector<uint8_t> Patched(ptrdiff_t at, uint32_t value, int bytes = 2, bool covered = true,
                             size_t name = 0) {
  return Archive([=](Member& m) {
    if (name != 0) m.fileName = std::string(name, 'n');
    (covered ? m.editBeforeCrc : m.editAfterCrc) = [=](std::vector<uint8_t>& h) {
      for (int i = 0; i < bytes; ++i)
        h.at(size_t(at < 0 ? ptrdiff_t(h.size()) + at : at) + i) = uint8_t(value >> 8 * i);
    };
  });
}

struct ScanCase {
  std::vector<uint8_t> archive;
  int result;
  std::vector<std::string> boxes;  // '@' standing for the program file
  std::function<void(PassArea&)> arrange = [](PassArea&) {};
};

std::vector<ScanCase> ScanCases() {
  const auto error = [](const char* message) { return std::string("\"@\" ") + message; };
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
  const std::string bad = error(kBadHeader);
  const auto extSize = uint32_t(EncodeMemberHeader(TextMember("", "f")).size() - 25);
  const Member notice = TextMember("", "!", "Read."),
               script = TextMember("", "$", "$WindowTitle=T\r\n");
  const Member corrupt =
      With(TextMember("", "c"), [](Member& m) { m.editAfterCrc = [](auto& h) { h[15] ^= 1; }; });
  const std::vector<Member> members = {script, notice, TextMember("", "a")};
  // clang-format off
  std::vector<ScanCase> cases = {
      {plain, 0, {error(kOpenError)}, [](PassArea& area) { area.run.modulePath[1] = 'X'; }},
      {plain, 0, {error(kReadError)}, [](PassArea&) { GetHooks().failSeeks = true; }},
      {plain, 0, {error(kUnexpectedEof)}, [](PassArea& a) { a.run.settings.archiveOffset = 999; }},
      {{0x00, 0x80, 0, 0}, 0, {kNotEnoughMemory}},
      {plain, 0, {kNotEnoughMemory}, [](PassArea&) { GetHooks().allocationsBeforeFailure = 0; }},
      {{plain.begin(), plain.end() - 20}, 0, {bad}},
      {Archive([](Member& m) { m.withHeaderCrc = false; }), 0, {bad}},
      {Patched(kTimeStampOffset, 1, 1, false), 0, {bad}},
      {Patched(kPackedSizeOffset, 11, 4), 0, {error(kUnexpectedEof)}},
      {Patched(kPackedSizeOffset, 0xFFFFFFF0, 4), 0, {error(kUnexpectedEof)}},
      {{}, 0, {error(kTamperedData)}, checked(0x1234)},
      {{0x34, 0x12, 0x00}, 0, {error(kTamperedData)}, checked(0)},
      // Extended headers that leave the header, are too short, or lack their payload.
      {Patched(kFirstExtSizeOffset, extSize), 0, {bad}},
      {Patched(-2, 3), 0, {bad}},
      {Patched(kFirstExtSizeOffset, 1), 0, {bad}},
      {Patched(kFirstExtSizeOffset, 3), 0, {bad}},  // a header CRC of 0 bytes
      {Archive([](Member& m) { m.extraHeaders = {{kExtAttributes, {1}}}; }), 0, {bad}},
      {Archive({TextMember(std::string(200, 'd') + kSep, std::string(59, 'f'))}), 0, {bad}},
      {Patched(-1, 1, 1, false, 217), 0, {bad}},  // the CRC covers the padding too
      {Patched(kHeaderSizeOffset, 25), 0, {bad}},
      // Archives without members, or that end early, are no error.
      {{}, 1, {}}, {{}, 1, {}, checked(0)}, {{0, 0}, 1, {}}, {{1}, 1, {}},
      {{0, 0, 0}, 1, {}, checked(0)},
      // Only a notice at the top is one; an empty notice must not show what an earlier one left.
      {Archive({TextMember("x" + kSep, "!"), notice, TextMember("y" + kSep, "!"),
                TextMember("", "!", "")}), 1, {"Read.", ""}},
      // The check value covers the reserved members; a script is read as it is met.
      {Archive(members, CheckValueOf(members)), 1, {"Read."}, checked(0)},
      {Archive(members, CheckValueOf(std::span(members).subspan(2))), 0,
       {"Read.", error(kTamperedData)}, checked(0)},
      // After No the headers are still checked; a later script is decoded but ends the walk,
      // unread, and the check value is not tested.
      {Archive({notice, TextMember("", "a"), corrupt}, 0), 0, {"Read.", bad}, declined},
      {Archive({notice, TextMember("", "a"), script, corrupt}, 0), 0, {"Read."}, declined},
  };
  // clang-format on
  for (const auto& [index, byte] :
       {std::pair<int, char>{0, '+'}, {1, 'L'}, {2, 'z'}, {4, '_'}, {3, '3'}, {3, '8'}, {3, 'D'}}) {
    cases.push_back(
        {Patched(ptrdiff_t(kMethodOffset) + index, uint8_t(byte), 1), 0, {error(kBadHeader)}});
  }
  return cases;
}

// Every box has the caption the window title has in the end, and no owner.
TEST_F(ArchivePassTest, TheScanShowsItsBoxesAndGivesItsVerdict) {
  for (const ScanCase& c : ScanCases()) {
    SetUp();
    UseArchive(c.archive);
    c.arrange(*area_);
    SetupState setup{};
    EXPECT_EQ(RunScanPass(*area_, setup), c.result) << (c.boxes.empty() ? "" : c.boxes.back());
    std::vector<std::string> boxes;
    for (const auto& box : hooks().boxes) {
      const bool error = box.text[0] == '"' || box.text == kNotEnoughMemory;
      EXPECT_EQ(box.style, platform::kBoxTaskModal |
                               (error ? platform::kBoxIconError
                                      : platform::kBoxIconQuestion | platform::kBoxYesNo));
      EXPECT_EQ(box.caption + (box.owner ? "!" : ""), run().settings.windowTitle);
      std::string text = box.text;
      const size_t at = text.find(run().modulePath);
      boxes.push_back(at == std::string::npos ? text
                                              : text.replace(at, strlen(run().modulePath), "@"));
    }
    EXPECT_EQ(boxes, c.boxes);
  }
}

}  // namespace
