#include "ombrix/commands.h"

#include "ombrix/code_page.h"
#include "ombrix/extract_command.h"
#include "ombrix/info_command.h"
#include "ombrix/init_command.h"
#include "ombrix/pack_command.h"
#include "ombrix/test_command.h"
#include "ombrix/tool_error.h"
#include "ombrix/tool_messages.h"

namespace {

// As other command-line tools tell a mistake in the call from a failure of the work.
constexpr int kUsageStatus = 2;

}  // namespace

void AddCommands(CLI::App& app, int& status) {
  AddPackCommand(app, status);
  AddInitCommand(app, status);
  AddInfoCommand(app, status);
  AddTestCommand(app, status);
  AddExtractCommand(app, status);
}

int RunCommandLine(int argc, const char* const* argv) {
  CLI::App app{"ombrix - self-extracting LZH archives for 32-bit Windows"};
  app.require_subcommand(1);
  app.footer(kUsageFooter);
  UseToolPlatform();
  UseArchiveCodePage(CodePage::kDefault);
  int status = 0;
  AddCommands(app, status);
  // Every mistake is told as the tool's own, as other command-line tools tell theirs.
  app.failure_message([](const CLI::App* failed, const CLI::Error& error) {
    return "ombrix: " + CLI::FailureMessage::simple(failed, error);
  });
  const std::string first = argc > 1 ? argv[1] : "";
  const auto known =
      app.get_subcommands([&](const CLI::App* command) { return command->get_name() == first; });
  if (!first.empty() && first[0] != '-' && known.empty()) {
    Complain(FormatMessage(kUnknownCommand, first.c_str()));
    return kUsageStatus;
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    return app.exit(error) == 0 ? 0 : kUsageStatus;
  }
  return status;
}
