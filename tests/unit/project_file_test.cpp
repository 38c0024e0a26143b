// Project files: a mistake named by file, line and key; the command line over the file; paths from
// the file's folder; the same bytes as the command line the project stands for.
#include <filesystem>

#include "core_test.h"

namespace {

namespace fs = std::filesystem;

class ProjectFileTest : public CoreTest {
 protected:
  void SetUp() override {
    CoreTest::SetUp();
    for (const char* name : {"proj/a.txt", "proj/sub/b.txt", "proj/notice.txt"})
      WriteFile(name, Bytes(name));
    WriteFile("stub.exe", Bytes("MZ" + std::string(1998, 'S')));
  }
};

TEST_F(ProjectFileTest, MistakesNameTheFileTheLineAndTheKey) {
  // clang-format off
  const std::pair<std::string, std::string> kRows[] = {
      {"windw-title = \"T\"", "3: unknown key 'windw-title'"},
      {"[pack]\nlevel = 3", "3: unknown key 'pack'"},
      {"level = \"9\"", "3: 'level' must be a whole number"},
      {"overwrite = 1", "3: 'overwrite' must be true or false"},
      {"window-title = 7", "3: 'window-title' must be a string"},
      {"paths = [\"a.txt\",\n  3]", "4: 'paths' must be an array of strings"},
      {"level = 10", "3: 'level': Value 10 not in range 1 to 9"},
      {"method = \"lh1\"", "3: 'method': lh1 not in {lh0,lh5,lh6,lh7}"},
      {"notice = \"gone.txt\"", "3: 'notice': \"proj/gone.txt\" does not exist"},
      {"paths = [\"a.txt\", \"gone\"]", "3: 'paths': \"proj/gone\" does not exist"},
      {"level = 3\nlevel = 4", "4: "},  // a syntax error, in toml++'s words
      {"window-title = \"open", "3: "},
  };
  // clang-format on
  for (const auto& [line, message] : kRows) {
    WriteFile("proj/p.toml", Bytes("output = \"out.lzh\"\nplain = true\n" + line + "\n"));
    CheckCommand("pack --project proj/p.toml", 2, "", "~ombrix: proj/p.toml:" + message);
  }
  CheckCommand("pack --project gone.toml", 2, "", "~ombrix: \"gone.toml\" does not exist\n");
  EXPECT_FALSE(fs::exists("proj/out.lzh"));
}

// Each row packs the project, with words added on the command line, and the command line it stands
// for; both must give the same bytes. The project lies in another folder than the current one.
TEST_F(ProjectFileTest, PacksAsTheCommandLineItStandsFor) {
  WriteFile("proj/p.toml", Bytes("output = \"out.exe\"\nstub = \"../stub.exe\"\nlevel = 9\n"
                                 "window-title = \"File\"\noverwrite = true\nkeep-attributes = "
                                 "false\nnotice = \"notice.txt\"\nbase = \".\"\n"
                                 "paths = [\"sub\", \"a.txt\"]\n"));
  const std::string given = " --notice proj/notice.txt --base proj";
  const std::pair<std::string, std::string> kRows[] = {
      {"", "--window-title File --level 9 --overwrite" + given + " proj/sub proj/a.txt"},
      {"--window-title Line --level 1 --overwrite=false --keep-attributes",
       "--window-title Line --level 1 --keep-attributes" + given + " proj/sub proj/a.txt"},
      {"proj/a.txt", "--window-title File --level 9 --overwrite" + given + " proj/a.txt"},
  };
  for (const auto& [extra, equivalent] : kRows) {
    CheckCommand("pack " + extra + (extra.empty() ? "" : " ") + "--project proj/p.toml", 0, "");
    CheckCommand("pack --stub stub.exe -o cli.exe " + equivalent, 0, "");
    EXPECT_EQ(ReadFileBytes("proj/out.exe"), ReadFileBytes("cli.exe")) << extra;
  }
}

// A project made for a folder, written into it, packs the folder's entries and not itself.
TEST_F(ProjectFileTest, InitWritesAProjectThatPacksTheFolder) {
  CheckCommand("init proj -o proj/ombrix.toml", 0, "");
  CheckCommand("pack --project proj/ombrix.toml --stub stub.exe", 0, "");
  CheckCommand("pack --stub stub.exe -o cli.exe --base proj proj/a.txt proj/notice.txt proj/sub", 0,
               "");
  EXPECT_EQ(ReadFileBytes("proj/setup.exe"), ReadFileBytes("cli.exe"));
  CheckCommand("init proj -o proj/ombrix.toml", 1, "",
               "\"proj/ombrix.toml\" exists: give --force to replace it\n");
  CheckCommand("init proj --force -o proj/ombrix.toml", 0, "");
  CheckCommand("init proj", 0, "~paths = [\n  \"proj/a.txt\",\n  \"proj/notice.txt\",\n");
}

}  // namespace
