// `info --json` and `--explain`: what a distributable would do on a typical Windows installation,
// read from distributables with and without each part.
#include "ombrix/explain.h"

#include <nlohmann/json.hpp>
#include <sstream>

#include "base/text.h"
#include "core_test.h"

namespace {

using nlohmann::json;

struct ExplainCase {
  const char* what;
  std::vector<Member> members;
  const char* dir;
  uint8_t flags;
  const char* command;
  int status;
  std::vector<std::pair<const char*, json>> facts;  // JSON pointer and value
  std::vector<const char*> sentences;               // pieces of the --explain text
};

const std::string kScript =
    "$InstallDir=%WinDir%\\X\r\n$ClassTitle=Set it\r\n$Class=.VWR,Doc,bin/v.exe,V.Doc\r\n"
    "$GroupTitle=Group it\r\n$Group=G,It em,bin\\v.exe,i.ico\r\n$Command=\"bin\\v.exe\" /q\r\n"
    "$AskRegist=\r\n";
const std::string kIdleScript = "$Class=.a,A,a.exe,A.File\n$Group=G,I,a.exe\n";

// One row for each part a distributable may have or lack.
// clang-format off
std::vector<ExplainCase> Cases() {
  const auto in = [](const std::string& dir) { return dir + kSep; };
  return {
      {"plain", {TextMember(in("sub"), "a.txt")}, "%ProgramFiles%\\App", kFlagCheckValue, "", 0,
       {{"/folder/typical", "C:\\Program Files (x86)\\App"}, {"/folder/macro", "%ProgramFiles%"},
        {"/members/0/lands/typical", "C:\\Program Files (x86)\\App\\sub\\a.txt"},
        {"/members/0/outside", nullptr}, {"/notice", nullptr}, {"/script", false},
        {"/command", nullptr}, {"/auto_start", false}, {"/date_compare", true},
        {"/check_value/matches", true}, {"/file_classes", json::array()}},
       {"C:\\Program Files (x86)\\App (%ProgramFiles% on a typical Windows installation)",
        "skips it when it is at least as new as the member, and asks before replacing",
        "waits until the user presses OK", "check value 0x"}},
      {"notice and flags", {TextMember("", "!", "Read me\r\nfirst"), TextMember("", "a.txt")}, "",
       kFlagAutoStart | kFlagOverwrite | kFlagNoDateCompare, "run.exe", 0,
       {{"/notice", "Read me\r\nfirst"}, {"/auto_start", true}, {"/date_compare", false},
        {"/overwrite", true}, {"/folder/typical", "."}, {"/members/0/lands/typical", ".\\a.txt"},
        {"/command/program", "run.exe"}, {"/command/parameters", ""}, {"/check_value", nullptr}},
       {"notice and asks Yes or No", "    first\n", "replaces it without asking, whatever its date",
        "starts extracting by itself", "the folder it is run from"}},
      {"script", {TextMember("", "$", kScript), TextMember(in("bin"), "v.exe")}, "", 0, "", 0,
       {{"/folder/typical", "C:\\WINDOWS\\X"},
        {"/members/0/lands/typical", "C:\\WINDOWS\\X\\bin\\v.exe"},
        {"/members/0/outside", nullptr}, {"/class_box", "Set it"}, {"/ask_before_class", true},
        {"/file_classes/0/extension", ".vwr"}, {"/file_classes/0/offered", true},
        {"/file_classes/0/registry/0", {{"key", "HKEY_CLASSES_ROOT\\.vwr"}, {"value", "V.Doc"}}},
        {"/file_classes/0/registry/2/key", "HKEY_CLASSES_ROOT\\V.Doc\\shell\\open\\command"},
        {"/file_classes/0/registry/2/value", "\"C:\\WINDOWS\\X\\bin\\v.exe\" \"%1\""},
        {"/file_classes/0/registry/3/value", "C:\\WINDOWS\\X\\bin\\v.exe,0"},
        {"/file_classes/0/win_ini/key", "vwr"},
        {"/program_groups/0/dde_command",
         "[CreateGroup(\"G\",0)]\n"
         "[AddItem(C:\\WINDOWS\\X\\bin\\v.exe,It em,C:\\WINDOWS\\X\\i.ico)]"},
        {"/command/program", "bin\\v.exe"}, {"/command/parameters", "/q"},
        {"/command/folder", "C:\\WINDOWS\\X"}},
       {"offers the box \"Set it\", checked", "asking before each",
        "HKEY_CLASSES_ROOT\\.vwr = V.Doc", "[CreateGroup(\"G\",0)]",
        "starts \"bin\\v.exe\" with the parameters \"/q\" in C:\\WINDOWS\\X"}},
      {"lines without boxes", {TextMember("", "$", kIdleScript)}, "D:\\A", 0, "", 0,
       {{"/class_box", nullptr}, {"/file_classes/0/offered", false},
        {"/program_groups/0/offered", false}, {"/program_groups/0/icon", nullptr},
        {"/program_groups/0/program", "D:\\A\\a.exe"}},
       {"no $ClassTitle= line", "no $GroupTitle= line", "[AddItem(D:\\A\\a.exe,I)]"}},
      {"outside the folder",
       {TextMember(in("%WinDir%"), "w"), TextMember(in("%SystemDir%"), "s"),
        TextMember(in("%WORK%"), "t"), TextMember(in("%WinRoot%"), "r"),
        TextMember(in("") + in("top"), "rooted"), TextMember(in("C:"), "drive"),
        TextMember(in("%ProgramFiles%") + in("App"), "in"), TextMember("", "a?b")},
       "%ProgramFiles%\\App", 0, "", 0,
       {{"/members/0/lands/typical", "C:\\WINDOWS\\w"}, {"/members/0/lands/macro", "%WinDir%"},
        {"/members/0/outside", "macro"}, {"/members/1/lands/typical", "C:\\WINDOWS\\system32\\s"},
        {"/members/2/lands/typical", "C:\\Users\\User\\AppData\\Local\\Temp\\t"},
        {"/members/3/lands/typical", "C:\\r"},
        {"/members/4/lands/typical", "C:\\top\\rooted"}, {"/members/4/outside", "root"},
        {"/members/5/lands/typical", "C:\\drive"}, {"/members/5/outside", "drive"},
        {"/members/6/outside", nullptr},
        {"/members/7/lands/typical", "C:\\Program Files (x86)\\App\\a_b"}},
       {"Unusual:", "\"%WinDir%/w\" lands outside the chosen folder, through a path macro",
        "starts with a drive", "at the root of a drive"}},
      {"a \"..\" member",
       {TextMember("", "a"), TextMember(in("in") + in("..") + in(".."), "up")}, "", 0, "", 1,
       {{"/leads_up", "in/../../up"}, {"/members/0/path", "a"}},
       {"\"in/../../up\" has a \"..\" component", "Bad header\" and extracts nothing"}},
  };
}
// clang-format on

class ExplainTest : public CoreTest {
 protected:
  // The distributable of the case, and what --explain and --json say of it.
  void Explain(const ExplainCase& row, const std::vector<uint8_t>& archive) {
    CopyText(run().settings.installDir, sizeof run().settings.installDir, row.dir);
    CopyText(run().settings.command, sizeof run().settings.command, row.command);
    run().settings.flags = row.flags;
    UseArchive(archive);
    for (const FactsView view : {FactsView::kJson, FactsView::kSentences}) {
      std::ostringstream out;
      const int status =
          RunToolCommand([&] { return ExplainDistributable(run().program.path, view, out); });
      EXPECT_EQ(status, row.status) << row.what;
      if (view == FactsView::kJson) {
        json_ = json::parse(out.str());
      } else {
        text_ = out.str();
      }
    }
    for (const auto& [pointer, value] : row.facts)
      EXPECT_EQ(json_.contains(json::json_pointer(pointer)) ? json_.at(json::json_pointer(pointer))
                                                            : json("missing"),
                value)
          << row.what << ": " << pointer;
    for (const char* piece : row.sentences)
      EXPECT_NE(text_.find(piece), std::string::npos) << row.what << ": " << piece << "\n" << text_;
  }

  json json_;
  std::string text_;
};

TEST_F(ExplainTest, SaysWhatEachPartOfADistributableDoes) {
  for (const ExplainCase& row : Cases()) {
    Explain(row, BuildArchive(row.members, {.checkValue = (row.flags & kFlagCheckValue) != 0}));
  }
}

// Stops of the stub before its dialog: members that give another check value than the one
// stored, and an archive that ends before its check value, whose settings are still told.
TEST_F(ExplainTest, WhatStopsTheStubIsSaid) {
  const std::vector<Member> members = {TextMember("", "a.txt")};
  std::vector<uint8_t> archive = BuildArchive(members, {.checkValue = true});
  archive[0] ^= 1;
  Explain({"bad check value",
           {},
           "",
           kFlagCheckValue,
           "",
           1,
           {{"/check_value/matches", false}, {"/check_value/computed", CheckValueOf(members)}},
           {"does not match the members", "Tampered DATA\" and extracts nothing"}},
          archive);
  Explain(
      {"cut",
       {},
       "D:\\A",
       kFlagCheckValue,
       "",
       1,
       {{"/window_title", "T"}, {"/folder/typical", "D:\\A"}, {"/check_value/matches", nullptr}},
       {"Unexpeted EOF\" and extracts nothing"}},
      {});
}

TEST_F(ExplainTest, APlainArchiveIsNoDistributable) {
  WriteFile("plain.lzh", BuildArchive(std::vector<Member>{TextMember("", "a")}));
  CheckCommand("info --json plain.lzh", 1, "", "~is not a distributable");
  CheckCommand("info --explain --json plain.lzh", 2, "", "~excludes");
}

}  // namespace
