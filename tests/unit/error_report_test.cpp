#include "startup/error_report.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "platform/platform.h"
#include "startup/text.h"
#include "test_support.h"

namespace {

using ErrorReportTest = CoreTest;
using platform::kBoxIconError;
using platform::kBoxTaskModal;

TEST_F(ErrorReportTest, FailuresNameTheirSubjectAndSetFailed) {
  struct Row {
    int (*fail)();
    const char* text;
  };
  const Row rows[] = {{FailRead, "\"C:\\p.exe\" Read ERROR"},
                      {FailEof, "\"C:\\p.exe\" Unexpeted EOF"},
                      {FailHeader, "\"C:\\p.exe\" Bad header"},
                      {[] { return FailOpen("C:\\out\\f.txt"); }, "\"C:\\out\\f.txt\" Open ERROR"}};
  CopyText(work->modulePath, kPathCapacity, "C:\\p.exe");
  CopyText(work->settings.windowTitle, sizeof work->settings.windowTitle, "My Setup");
  work->dialogWindow = reinterpret_cast<platform::Window>(0x1234);
  for (const Row& row : rows) {
    work->failed = 0;
    EXPECT_EQ(row.fail(), 0);
    EXPECT_EQ(work->failed, 1u);
    const auto& box = hooks().boxes.back();
    EXPECT_EQ(box.text, row.text);
    EXPECT_EQ(box.caption, "My Setup");
    EXPECT_EQ(box.style, kBoxTaskModal | kBoxIconError);
    EXPECT_EQ(box.owner, work->dialogWindow);
  }
}

TEST_F(ErrorReportTest, ReportErrorAloneLeavesFailedClear) {
  ReportError("Tampered DATA", "x");
  EXPECT_EQ(work->failed, 0u);
  EXPECT_EQ(BoxTexts().back(), "\"x\" Tampered DATA");
}

TEST_F(ErrorReportTest, OverlongSubjectIsCutButTheMessageSurvives) {
  const std::string subject(3000, 's');
  ReportError("Write ERROR", subject.c_str());
  const std::string text = BoxTexts().back();
  EXPECT_LT(text.size(), kScratchCapacity);
  EXPECT_EQ(text.substr(text.size() - 13), "\" Write ERROR");
  EXPECT_EQ(text.front(), '"');
}

TEST_F(ErrorReportTest, FatalStopDeletesThePartialFileThenClosesTheArchive) {
  const std::string out = TempPath("partial.bin");
  CopyText(work->outPath, kOutPathCapacity, out.c_str());
  work->outFile = platform::CreateOutputFile(out.c_str());
  work->archiveFile = ::open("/dev/null", O_RDONLY);
  const int archive = static_cast<int>(work->archiveFile);
  EXPECT_PROCESS_ENDS(FatalStop(1), 1);
  EXPECT_FALSE(std::filesystem::exists(out));
  EXPECT_EQ(hooks().deletedFiles, std::vector<std::string>{out});
  EXPECT_EQ(::fcntl(archive, F_GETFD), -1) << "archive left open";
  EXPECT_EQ(work->outFile, platform::kNoFile);
  EXPECT_EQ(work->archiveFile, platform::kNoFile);
}

TEST_F(ErrorReportTest, FatalStopWithoutOutputFileDeletesNothing) {
  for (const platform::FileHandle none : {platform::FileHandle{0}, platform::kNoFile}) {
    hooks().deletedFiles.clear();
    work->outFile = none;
    work->archiveFile = platform::kNoFile;
    CopyText(work->outPath, kOutPathCapacity, TempPath("keep").c_str());
    EXPECT_PROCESS_ENDS(FatalStop(1), 1);
    EXPECT_TRUE(hooks().deletedFiles.empty());
  }
}

}  // namespace
