// Every text the host tool itself shows. The stub's messages, which the tool also reports when
// it walks an archive, are in base/messages.h.
#pragma once

#include <string>

// printf-style formatting of the texts below.
std::string FormatMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));

inline constexpr char kToolErrorPrefix[] = "ombrix: ";

inline constexpr char kPackFooter[] =
    "Members keep their files' time stamps; with SOURCE_DATE_EPOCH set, none is later than the "
    "time it gives. The same files and options always give the same bytes.\n"
    "Exit status: 0 when the output is written; 1 when it is not, with the reason on standard "
    "error. An earlier file of the output's name stays as it was.";
inline constexpr char kUsageFooter[] = "Exit status 2: a mistake on the command line.";
inline constexpr char kInfoExitStatus[] =
    "Exit status: 0 when every header is sound and the check value, if asked for, matches; 1 "
    "otherwise, with the stub's own message on standard error.";
inline constexpr char kTestExitStatus[] =
    "Exit status: 0 when every header is sound, every member decodes to its CRC and the check "
    "value, if asked for, matches; 1 otherwise, with the stub's own message on standard error.";
inline constexpr char kExtractExitStatus[] =
    "Exit status: 0 when every member was written and matched its CRC; 1 otherwise, with the "
    "stub's own message on standard error. A member that fails its CRC is deleted, as the stub "
    "deletes it. The notice and the setup script are not written, as the stub does not write "
    "them. A member named from the root or with a drive is written inside the directory, without "
    "them; one with a \"..\" component is skipped with a message, the others are still written, "
    "and the status is 1. A path macro at the start of a member's name stands for a directory "
    "inside it: %WinDir% WINDOWS, %SystemDir% and %Search% WINDOWS/SYSTEM, %WORK% WINDOWS/TEMP, "
    "%ProgramFiles% \"Program Files\", %WinRoot% the directory itself. An existing file is "
    "replaced unless dates are compared and it is as new as the member; names are fitted to the "
    "volume as the stub fits them, and read-only members are written read-only when the settings "
    "keep attributes.";
inline constexpr char kMemberOk[] = "%s: OK";
inline constexpr char kUnsafeMemberPath[] =
    "member \"%s\" has a \"..\" component and would be written outside the target directory; "
    "skipped";

inline constexpr char kCannotRead[] = "cannot read \"%s\"";
inline constexpr char kCannotWrite[] = "cannot write \"%s\"";
inline constexpr char kNotAStub[] = "\"%s\" is not a stub: it does not start with \"MZ\"";
inline constexpr char kStubTooSmall[] =
    "\"%s\" is too small to hold the settings block (%zu bytes)";
inline constexpr char kStubRequired[] =
    "this ombrix was built without a stub: give --stub FILE, or --plain for a plain archive";
inline constexpr char kEmbeddedStubName[] = "the built-in stub";
inline constexpr char kTextTooLong[] = "%s is longer than %zu bytes";
inline constexpr char kWindowTitleField[] = "the window title";
inline constexpr char kInstallTitleField[] = "the install title";
inline constexpr char kInstallDirField[] = "the directory";
inline constexpr char kCommandField[] = "the command";
inline constexpr char kNoticeField[] = "the notice";
inline constexpr char kScriptField[] = "the setup script";
inline constexpr char kNotFound[] = "\"%s\" does not exist";
inline constexpr char kNotFileOrDirectory[] = "\"%s\" is neither a file nor a directory";
inline constexpr char kOutsideBase[] = "\"%s\" is not inside the base directory \"%s\"";
inline constexpr char kNoMemberName[] = "\"%s\" gives no member name";
inline constexpr char kNameTooLong[] = "member name \"%s\" is longer than %zu bytes";
inline constexpr char kNameHasSeparator[] =
    "member name \"%s\" holds a backslash or a 0xFF byte, which the stub reads as a separator";
inline constexpr char kNameReserved[] =
    "member name \"%s\" is reserved for the notice or the setup script";
inline constexpr char kDuplicateName[] = "member name \"%s\" occurs twice";
inline constexpr char kDirectoryLoop[] = "\"%s\" leads back into one of its parent directories";
inline constexpr char kFileTooLarge[] = "\"%s\" is larger than a member can hold";
inline constexpr char kOutputTooLarge[] =
    "the output would pass %u bytes, beyond which the stub cannot seek";
inline constexpr char kTextWillBeCut[] =
    "warning: %s \"%s\" has %zu bytes; the stub keeps only the first %zu";
inline constexpr char kOutputRejected[] =
    "\"%s\" was not written: the stub's walk refuses what was packed";
inline constexpr char kVanished[] = "\"%s\" vanished before it could be packed";
inline constexpr char kBadSourceDate[] =
    "SOURCE_DATE_EPOCH must be a whole number of seconds since 1970, not \"%s\"";
inline constexpr char kForeignMethod[] =
    "\"%s\" cannot be carried: the member at byte %u has the method \"%s\", which the stub "
    "cannot read";
inline constexpr char kForeignLevel[] =
    "\"%s\" cannot be carried: the member at byte %u has a level-%u header; the stub reads level "
    "2 only";
inline constexpr char kForeignRefused[] = "\"%s\" cannot be carried: %s";
inline constexpr char kForeignHasReserved[] =
    "\"%s\" already holds %s, so it cannot be given another";
inline constexpr char kPathTooLong[] = "\"%s\" is longer than the %zu bytes the walk can hold";
