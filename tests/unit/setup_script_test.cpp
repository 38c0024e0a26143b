#include "setup/setup_script.h"

#include "base/text.h"
#include "core_test.h"
#include "setup/setup_fields.h"

namespace {

// title|directory|command|class box label|class box offered, ask before registering, start-menu
// box offered|its label, as the first reading leaves them.
class SetupScriptTest : public CoreTest {
 protected:
  std::string Read(const std::string& script, const char* presetDir = "") {
    SettingsBlock& settings = run().settings;
    settings = {};
    SetupState setup{};
    CopyText(settings.installDir, kDirCapacity, presetDir);
    CopyText(run().script, kScriptCapacity, script.c_str());
    ParseSetupScript(run(), setup);
    return std::string(settings.windowTitle) + "|" + settings.installDir + "|" + settings.command +
           "|" + setup.classCheckText + "|" + std::to_string(setup.classChecked) +
           std::to_string(setup.askRegist) + std::to_string(setup.groupChecked) + "|" +
           setup.groupCheckText;
  }
};

TEST_F(SetupScriptTest, FirstReading) {
  const std::pair<std::string, std::string> cases[] = {
      {"$WindowTitle=Setup\t$Command=run.exe /q\r\n", "Setup||run.exe /q||000|"},
      {"  $WindowTitle=Ignored\n\t$Command=ok\n", "||ok||000|"},
      {"$windowtitle=Nope\n$COMMAND=no\n", "||||000|"},
      {"$InstallDir=C:\\First\n$InstallDir=C:\\Second\n", "|C:\\First|||000|"},
      {"$Command=" + std::string(300, 'x') + "\n$WindowTitle=t\n",
       "t||" + std::string(255, 'x') + "||000|"},
      {"$AskRegist=\n$ClassTitle=\n", "||||110|"},
      {"$WindowTitle=" + std::string(50, 'T'), std::string(40, 'T') + "||||000|"},
      {"$Command=a\n$Command=\n$ClassTitle=Set\n", "|||Set|100|"},
      {"$GroupTitle=" + std::string(200, 'g'), "||||001|" + std::string(79, 'g')},
  };
  for (const auto& [script, expected] : cases) EXPECT_EQ(Read(script), expected) << script;
  EXPECT_EQ(Read("$InstallDir=C:\\Script\n", "D:\\Block"), "|D:\\Block|||000|");
  hooks().codePage932 = true;  // 39 bytes and a double-byte character: only the 39 fit
  EXPECT_EQ(Read("$WindowTitle=" + std::string(39, 'a') + "\x82\xA0"),
            std::string(39, 'a') + "||||000|");
}

// Fields as TakeField leaves them, '!' marking one that did not fit; a command's name|parameters.
TEST_F(SetupScriptTest, ValuesSplitIntoFieldsAndCommandsIntoNameAndParameters) {
  const std::tuple<const char*, uint32_t, const char*> values[] = {
      {"\"x\"y,z,,w", 20, "xy|z||w|"},
      {"a,\"b,c,d", 20, "a|b,c,d|||"},
      {"abcdef,x", 4, "abc!|x|||"},
  };
  for (const auto& [value, capacity, expected] : values) {
    std::string fields;
    const char* cursor = value;
    for (int i = 0; i < 4; ++i) {
      std::vector<char> field(capacity);
      const bool fits = TakeField(&cursor, field.data(), capacity);
      fields += std::string(field.data()) + (fits ? "|" : "!|");
    }
    EXPECT_EQ(fields, expected) << value;
  }
  const std::pair<const char*, const char*> commands[] = {
      {"\"run\"x /y", "run|x /y"},
      {"run.exe", "run.exe|"},
      {" \t run.exe\t /a b ", "run.exe|/a b "},
  };
  for (const auto& [command, expected] : commands) {
    char name[kScratchCapacity];
    const char* parameters = SplitCommand(name, sizeof name, command);
    EXPECT_EQ(std::string(name) + "|" + parameters, expected);
  }
}

// The action lines of the second reading while the Set Class and Start Menu boxes are checked.
TEST_F(SetupScriptTest, SecondReadingTakesCheckedLinesInOrder) {
  const char* script =  // the second class line's extension fills all 20 bytes of its field
      "$Group=G1,T1,a.exe,a.ico\n$ClassTitle=x\n$Class=.A,D,\"b c\",K\r\n"
      "$Class=.eeeeeeeeeeeeeeeeeee,D,c,K\n$Group=G2,T2,b.exe\n";
  const std::tuple<uint32_t, uint32_t, std::string> cases[] = {
      {1, 1, "G1|T1|a.exe|a.ico .A|D|b c|K G2|T2|b.exe| "},
      {1, 0, ".A|D|b c|K "},
      {0, 1, "G1|T1|a.exe|a.ico G2|T2|b.exe| "},
  };
  for (const auto& [classChecked, groupChecked, expected] : cases) {
    SetupState setup{};
    setup.classChecked = classChecked, setup.groupChecked = groupChecked;
    std::string taken;
    const char* cursor = script;
    for (int code; (code = NextActionLine(&cursor, setup)) != kNoDirective;) {
      const bool group = code == kGroup;
      taken += std::string(group ? setup.groupName : setup.classExt) + "|" +
               (group ? setup.itemTitle : setup.classTitle) + "|" + setup.progPath + "|" +
               (group ? setup.iconPath : setup.classKey) + " ";
    }
    EXPECT_EQ(taken, expected);
  }
}

}  // namespace
