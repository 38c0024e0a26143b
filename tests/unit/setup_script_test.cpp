#include "setup/setup_script.h"

#include "base/text.h"
#include "core_test.h"

namespace {

// title|directory|command|class box label|class box offered, ask before registering, start-menu
// box offered|its label, as the first reading leaves them.
class SetupScriptTest : public CoreTest {
 protected:
  std::string Read(const std::string& script, const char* presetDir = "") {
    SettingsBlock& settings = run().settings = {};
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
  hooks().isLeadByte =
      platform_double::ShiftJisLeadByte;  // 39 bytes and a double-byte character: only the 39 fit
  EXPECT_EQ(Read("$WindowTitle=" + std::string(39, 'a') + "\x82\xA0"),
            std::string(39, 'a') + "||||000|");
}

}  // namespace
