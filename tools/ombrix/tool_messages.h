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
    "error. The output is written under a temporary name and renamed into place when complete: "
    "a failure, or SIGINT, SIGTERM or SIGHUP, leaves an earlier file of the output's name as it "
    "was and nothing else behind. The output must be a regular file or new (a link or device is "
    "refused) and may be none of the inputs nor lie in a directory being packed. A file too large "
    "for a member is refused from its size before it is read.";
inline constexpr char kUsageFooter[] = "Exit status 2: a mistake on the command line.";
inline constexpr char kNothingToPack[] =
    "nothing to pack: give files or directories, --from-lzh, --notice or --script";
inline constexpr char kUnknownCommand[] =
    "unknown command '%s' (the commands: pack, init, info, test, extract; --help tells more)";
inline constexpr char kInfoExitStatus[] =
    "Exit status: 0 when every header is sound and the check value, if asked for, matches; 1 "
    "otherwise, with the stub's own message on standard error.";
inline constexpr char kTestExitStatus[] =
    "Exit status: 0 when every header is sound, every member decodes to its CRC, the check value, "
    "if asked for, matches and the archive ends with its end mark (or that is accepted); 1 "
    "otherwise, with the stub's own message on standard error. Every member is tested, past any "
    "that fails. A signature, where the file has one, must still cover it (who signed it is shown, "
    "not checked against trusted roots).";
inline constexpr char kExtractExitStatus[] =
    "Exit status: 0 when every member was written and matched its CRC; 1 otherwise, each failure "
    "on standard error with the path and the reason; 2 for a mistake on the command line. A member "
    "that fails is passed over and the rest are still written.\n"
    "Nothing is written outside the directory. A member named from the root or with a drive is "
    "written inside it, without them; one with a name longer than 255 bytes is refused; a \"..\" "
    "component makes a bad header, as in the stub, and nothing after it is written. A symbolic "
    "link in the directory is never followed: a member whose path "
    "leads through one is refused, and a link, or a hard link, at a member's own place is replaced "
    "by the member, never written through. A FIFO, device or socket at a member's place is left "
    "alone, unopened, and the member refused. Two members of one archive that land on one path: "
    "the first stays, the second is refused.\n"
    "Each member is written under a temporary name beside its place and takes the place only once "
    "it is whole and has matched its CRC, so that a failure, or SIGINT, SIGTERM or SIGHUP, leaves "
    "an earlier file of that name as it was and no partial file behind. An existing file is "
    "replaced (and said to be) unless dates are compared and it is as new as the member (said to "
    "be kept).\n"
    "The notice and the setup script are not written, as the stub does not write them. A path "
    "macro at the start of a member's name stands for a directory inside the target: %WinDir% "
    "WINDOWS, %SystemDir% and %Search% WINDOWS/SYSTEM, %WORK% WINDOWS/TEMP, %ProgramFiles% "
    "\"Program Files\", %WinRoot% the directory itself. Names are fitted to the volume as the stub "
    "fits them, and read-only members are written read-only when the settings keep attributes.";
inline constexpr char kMemberOk[] = "%s: OK";
inline constexpr char kNoEndMark[] = "\"%s\" has no end mark: the file may be cut short";

// The signature appended after packing, and the signing.
inline constexpr char kNotSigned[] = "none";
inline constexpr char kSignedBy[] = "signed by %s (not checked against trusted roots)";
inline constexpr char kSignatureNotCovering[] =
    "signed%s, but the signature no longer covers the file: %s";
inline constexpr char kSignatureOutside[] =
    "its certificate table lies outside the file's %llu bytes, as in a file cut short after "
    "signing";
inline constexpr char kSignatureUnreadable[] = "it is no Authenticode signature OpenSSL can read";
inline constexpr char kSignatureUnknownDigest[] =
    "it names a digest algorithm OpenSSL does not know";
inline constexpr char kSignatureDigestDiffers[] =
    "the file's %s digest is not the signed one (changed, extended or packed again after signing)";
inline constexpr char kSignatureNotVerified[] =
    "the signed digest does not verify with the signer's certificate";
inline constexpr char kSignatureOk[] = "signature: OK, %s";
inline constexpr char kSignatureBroken[] = "\"%s\": %s";
inline constexpr char kSignerMissing[] =
    "osslsigncode is needed to sign: apt-get install osslsigncode";
inline constexpr char kSigningFailed[] = "osslsigncode could not sign \"%s\": %s";
inline constexpr char kSignedNotCovering[] = "\"%s\" was not written: after signing it is %s";
inline constexpr char kUnsafeMemberPath[] =
    "member \"%s\" has a \"..\" component and would be written outside the target directory; "
    "skipped";

inline constexpr char kNotAnArchive[] = "\"%s\" is not an LZH archive or distributable";
inline constexpr char kMethodNotSupported[] = "member \"%s\": method %s is not supported; skipped";
inline constexpr char kLinkNotMade[] = "cannot make \"%s\" a symbolic link to \"%s\": %s";

inline constexpr char kCannotRead[] = "cannot read \"%s\"";
inline constexpr char kCannotReadBecause[] = "cannot read \"%s\": %s";
inline constexpr char kCannotWrite[] = "cannot write \"%s\": %s";
inline constexpr char kNotRegularFile[] = "\"%s\" is %s, not a regular file";
inline constexpr char kOutputNotRegular[] =
    "\"%s\" is %s; pack replaces only a regular file, never what a link points to";
inline constexpr char kOutputAmongInputs[] =
    "the output \"%s\" would be among what is packed (\"%s\"); write it outside the inputs";
inline constexpr char kEmptyDirectory[] = "the directory is empty: give \".\" for this one";
inline constexpr char kCannotUseTarget[] = "cannot use \"%s\" as the target directory: %s";
inline constexpr char kComponentTooLong[] =
    "member \"%s\" has a name longer than %zu bytes, which the file system cannot hold; skipped";
inline constexpr char kWrittenTwice[] =
    "member \"%s\" lands where an earlier member of this archive was written; that one is kept";
inline constexpr char kCannotPlace[] = "cannot put \"%s\" in place: %s";
inline constexpr char kReplaced[] = "%s: replaced";
inline constexpr char kKeptAsNew[] = "%s: kept, as new as the member";
inline constexpr char kLeftForDirectory[] = "%s: not written, a directory has that name";
inline constexpr char kNotAStub[] = "\"%s\" is not a stub: it does not start with \"MZ\"";
inline constexpr char kStubTooSmall[] =
    "\"%s\" is too small to hold the settings block (%zu bytes)";
inline constexpr char kStubRequired[] =
    "this ombrix was built without a stub: give --stub FILE, or --plain for a plain archive";
inline constexpr char kEmbeddedStubName[] = "the built-in stub";
inline constexpr char kTextTooLong[] = "%s is longer than %zu bytes";
inline constexpr char kTextNotInCodePage[] = "%s cannot be written in code page %u";
inline constexpr char kNameNotInCodePage[] =
    "cannot pack \"%s\": its name cannot be written in code page %u";
inline constexpr char kNameNotUtf8[] =
    "cannot pack \"%s\": its name is not UTF-8, so which characters it means is unknown";
inline constexpr char kUnknownCodePage[] = "code page %u is not one that iconv converts";
inline constexpr char kWindowTitleField[] = "the window title";
inline constexpr char kInstallTitleField[] = "the install title";
inline constexpr char kInstallDirField[] = "the directory";
inline constexpr char kCommandField[] = "the command";
inline constexpr char kNoticeField[] = "the notice";
inline constexpr char kScriptField[] = "the setup script";
inline constexpr char kNotFound[] = "\"%s\" does not exist";
inline constexpr char kNotFileOrDirectory[] = "\"%s\" is %s: only files and directories are packed";
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
inline constexpr char kChangedWhilePacked[] = "\"%s\" changed while it was packed";
inline constexpr char kOutputTooLarge[] =
    "the output would pass %u bytes, beyond which the stub cannot seek";
inline constexpr char kTextWillBeCut[] =
    "warning: %s \"%s\" has %zu bytes; the stub keeps only the first %zu";
inline constexpr char kOutputRejected[] =
    "\"%s\" was not written: the stub's walk refuses what was packed";
inline constexpr char kVanished[] = "\"%s\" vanished before it could be packed";
inline constexpr char kBadSourceDate[] =
    "SOURCE_DATE_EPOCH must be a whole number of seconds since 1970, not \"%s\"";
inline constexpr char kForeignRefused[] = "\"%s\" cannot be carried: %s";
inline constexpr char kForeignLink[] =
    "\"%s\" cannot be carried: member \"%s\" is a symbolic link, which the stub cannot make";
inline constexpr char kMemberTooLarge[] = "member \"%s\" is too large to compress";
inline constexpr char kForeignHasReserved[] =
    "\"%s\" already holds %s, so it cannot be given another";
inline constexpr char kNotADistributable[] =
    "\"%s\" is not a distributable, so it does nothing when run: `ombrix info` lists what it "
    "holds";
inline constexpr char kPathTooLong[] = "\"%s\" is longer than the %zu bytes the walk can hold";
inline constexpr char kProjectUnknownKey[] = "%s:%u: unknown key '%s'";
inline constexpr char kProjectWrongType[] = "%s:%u: '%s' must be %s";
inline constexpr char kProjectBadValue[] = "%s:%u: '%s': %s";
inline constexpr char kProjectSyntax[] = "%s:%u: %s";
inline constexpr char kProjectHeader[] =
    "# A project for `ombrix pack --project FILE`: each key is a long option of `pack`, and "
    "`paths`\n"
    "# what to pack. Paths are relative to this file's folder. An option given on the command "
    "line\n"
    "# overrides its key here, and paths given there replace `paths`. Uncomment a key to set it.";
inline constexpr char kProjectExists[] = "\"%s\" exists: give --force to replace it";
