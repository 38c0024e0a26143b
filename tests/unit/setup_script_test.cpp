#include "setup/setup_script.h"

#include <cstring>
#include <string>

#include "startup/text.h"
#include "test_support.h"

namespace {

struct ScriptCase {
  const char* name;
  std::string script;
  std::string presetInstallDir;
  std::string windowTitle;
  std::string installDir;
  std::string command;
  std::string classCheckText;
  uint32_t classChecked;
  int askRegist;
};

const std::string kLong300(300, 'x');

const ScriptCase kCases[] = {
    {"TabInsideValueStartsNewLine", "$WindowTitle=Setup\t$Command=run.exe /q\r\n", "", "Setup", "",
     "run.exe /q", "", 0, 0},
    {"LeadingBlankIsNoDirective", "  $WindowTitle=Ignored\n\t$Command=ok\n", "", "", "", "ok", "",
     0, 0},
    {"KeywordsAreCaseSensitive", "$windowtitle=Nope\n$COMMAND=no\n", "", "", "", "", "", 0, 0},
    {"FirstInstallDirWinsWhileEmpty", "$InstallDir=C:\\First\n$InstallDir=C:\\Second\n", "", "",
     "C:\\First", "", "", 0, 0},
    {"PresetInstallDirIsKept", "$InstallDir=C:\\Script\n", "D:\\Block", "", "D:\\Block", "", "", 0,
     0},
    {"ValueIsCutTo255Bytes", "$Command=" + kLong300 + "\n$WindowTitle=after\n", "", "after", "",
     std::string(255, 'x'), "", 0, 0},
    {"AskRegistWithEmptyValue", "$AskRegist=\n", "", "", "", "", "", 0, 1},
    {"ClassTitleWithEmptyValueOffersTheBox", "$ClassTitle=\n", "", "", "", "", "", 1, 0},
    {"ClassLineIsNotTheClassTitle", "$Class=.txt,Text,a.exe,Text.File\n", "", "", "", "", "", 0, 0},
    {"TitleIsCutToFortyBytes", "$WindowTitle=" + std::string(50, 'T') + "\n", "",
     std::string(40, 'T'), "", "", "", 0, 0},
    {"LastLineWinsForOtherDirectives", "$Command=a\n$Command=\n$ClassTitle=Set\n", "", "", "", "",
     "Set", 1, 0},
    {"ValueKeepsBlanksAndQuotes", "$Command=\"my prog.exe\" /x \n", "", "", "",
     "\"my prog.exe\" /x ", "", 0, 0},
};

class SetupScriptTest : public CoreTest, public ::testing::WithParamInterface<ScriptCase> {};

TEST_P(SetupScriptTest, FirstReading) {
  const ScriptCase& c = GetParam();
  CopyText(work->script, kScriptCapacity, c.script.c_str());
  CopyText(work->settings.installDir, kDirCapacity, c.presetInstallDir.c_str());
  ParseSetupScript();
  EXPECT_EQ(work->settings.windowTitle, c.windowTitle);
  EXPECT_EQ(work->settings.installDir, c.installDir);
  EXPECT_EQ(work->settings.command, c.command);
  EXPECT_EQ(work->classCheckText, c.classCheckText);
  EXPECT_EQ(work->classChecked, c.classChecked);
  EXPECT_EQ(program.askRegist, c.askRegist);
}

INSTANTIATE_TEST_SUITE_P(Lines, SetupScriptTest, ::testing::ValuesIn(kCases),
                         [](const auto& test) { return test.param.name; });

using SetupScriptBounds = CoreTest;

TEST_F(SetupScriptBounds, DoubleByteCharacterIsNotSplitWhenCut) {
  hooks().codePage932 = true;
  // 39 single bytes and then a double-byte character: the title keeps only the 39 bytes.
  const std::string value = std::string(39, 'a') + "\x82\xA0";
  CopyText(work->script, kScriptCapacity, ("$WindowTitle=" + value).c_str());
  ParseSetupScript();
  EXPECT_EQ(std::string(work->settings.windowTitle), std::string(39, 'a'));
}

TEST_F(SetupScriptBounds, GroupTitleLabelIsBoundedToItsField) {
  CopyText(work->script, kScriptCapacity, ("$GroupTitle=" + std::string(200, 'g')).c_str());
  ParseSetupScript();
  EXPECT_EQ(std::strlen(work->groupCheckText), sizeof work->groupCheckText - 1);
  EXPECT_EQ(work->groupChecked, 1u);
}

TEST_F(SetupScriptBounds, UnterminatedScriptBufferStaysInside) {
  std::memset(work->script, 'z', kScriptCapacity);
  ParseSetupScript();
  EXPECT_EQ(work->settings.windowTitle[0], '\0');
}

TEST_F(SetupScriptBounds, DirectivesOfSeveralScriptsAccumulate) {
  CopyText(work->script, kScriptCapacity, "$WindowTitle=One\n");
  ParseSetupScript();
  CopyText(work->script, kScriptCapacity, "$Command=two.exe\n");
  ParseSetupScript();
  EXPECT_STREQ(work->settings.windowTitle, "One");
  EXPECT_STREQ(work->settings.command, "two.exe");
}

}  // namespace
