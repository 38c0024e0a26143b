#include "ombrix/packer.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <iostream>

#include "archive/member_header.h"
#include "ombrix/embedded_stub.h"
#include "ombrix/file_bytes.h"
#include "ombrix/foreign_archive.h"
#include "ombrix/member_walk.h"
#include "ombrix/ordered_workers.h"
#include "ombrix/output_file.h"
#include "ombrix/progress_bar.h"
#include "ombrix/streamed_member.h"
#include "ombrix/tool_error.h"
#include "ombrix/tool_messages.h"

namespace {
constexpr uint8_t kEndMark = 0;

// Thrown into a worker whose member will not be written, so that it stops early.
struct Abandoned {};

std::vector<uint8_t> StubWithSettings(const std::string& stubPath, PackSettings settings) {
  std::vector<uint8_t> stub;
  if (stubPath.empty()) {
    const std::span<const uint8_t> embedded = EmbeddedStub();
    if (embedded.empty()) throw ToolError(kStubRequired);
    stub.assign(embedded.begin(), embedded.end());
  } else {
    stub = ReadInputFile(stubPath, kNotFound);
  }
  const std::string name = stubPath.empty() ? kEmbeddedStubName : stubPath;
  if (stub.size() < 2 || stub[0] != 'M' || stub[1] != 'Z') {
    throw ToolError(FormatMessage(kNotAStub, name.c_str()));
  }
  settings.archiveOffset = static_cast<uint32_t>(stub.size());
  PutSettingsBlock(stub, MakeSettingsBlock(settings), name);
  return stub;
}

// A member the stub keeps in a fixed buffer, with what the warning calls it.
struct ReservedText {
  const char* field;
  size_t capacity;
};

// The sources in archive order: the notice and the script first, so that the stub shows the
// notice before anything else, then the files. Reserved members' texts say how they are kept.
struct PackSources {
  std::vector<MemberSource> sources;
  std::vector<std::optional<ReservedText>> reserved;

  void Add(MemberSource source, std::optional<ReservedText> text = std::nullopt) {
    sources.push_back(std::move(source));
    reserved.push_back(text);
  }
};

PackSources GatherSources(const PackOptions& options) {
  PackSources gathered;
  const auto text = [&](const std::string& path, const char* member) {
    MemberSource source = DescribeFile(path, member, options.latestTime);
    source.codePageText = true;
    return source;
  };
  if (options.noticePath) {
    gathered.Add(text(*options.noticePath, kNoticeMember),
                 ReservedText{kNoticeField, kScratchCapacity});
  }
  if (options.scriptPath) {
    gathered.Add(text(*options.scriptPath, kScriptMember),
                 ReservedText{kScriptField, kScriptCapacity});
  }
  for (MemberSource& source :
       CollectMemberSources(options.paths, options.base, options.latestTime)) {
    gathered.Add(std::move(source));
  }
  return gathered;
}

// The output may be none of the inputs, nor lie in a directory being packed: its old bytes would
// be packed into its new ones, or an input replaced by the distributable.
void CheckOutputOutsideInputs(const PackOptions& options) {
  namespace fs = std::filesystem;
  std::vector<std::string> inputs = options.paths;
  for (const auto* input : {&options.noticePath, &options.scriptPath, &options.foreignArchive}) {
    if (*input) inputs.push_back(**input);
  }
  if (!options.stubPath.empty()) inputs.push_back(options.stubPath);
  std::error_code error;
  const fs::path output = fs::weakly_canonical(options.outPath, error);
  for (const std::string& input : inputs) {
    const fs::path inside = fs::weakly_canonical(input, error);
    if (!error && std::mismatch(inside.begin(), inside.end(), output.begin(), output.end()).first ==
                      inside.end()) {
      throw ToolError(FormatMessage(kOutputAmongInputs, options.outPath.c_str(), input.c_str()));
    }
  }
}

void CheckForeignReserved(const PackOptions& options, const ForeignArchive& foreign) {
  const std::string& path = *options.foreignArchive;
  if (options.noticePath && foreign.hasNotice) {
    throw ToolError(FormatMessage(kForeignHasReserved, path.c_str(), kNoticeField));
  }
  if (options.scriptPath && foreign.hasScript) {
    throw ToolError(FormatMessage(kForeignHasReserved, path.c_str(), kScriptField));
  }
}

// The archive area as it goes out: the check value's place, members in order, the end mark.
class ArchiveOutput {
 public:
  ArchiveOutput(OutputFile& output, bool checkValue) : output_(output), checkValue_(checkValue) {
    checkValueAt_ = output.Size();
    if (checkValue) Append(std::vector<uint8_t>(2, 0));
  }

  void Add(const MemberRecord& member) {
    crcXor_ ^= member.dataCrc;
    const std::vector<uint8_t> header = EncodeMemberHeader(member);
    Append(header);
    Append(member.data);
  }

  void AddStreamed(const MemberSource& source, const MemberCompression& compression,
                   const std::function<void(uint64_t bytes)>& onRead) {
    crcXor_ ^= WriteStreamedMember(output_, source, compression, onRead).dataCrc;
  }

  void AddRecords(std::span<const uint8_t> records, uint16_t crcXor) {
    crcXor_ ^= crcXor;
    Append(records);
  }

  void Finish() {
    Append(std::vector<uint8_t>{kEndMark});
    if (checkValue_) {
      output_.WriteAt(checkValueAt_, std::vector<uint8_t>{static_cast<uint8_t>(crcXor_),
                                                          static_cast<uint8_t>(crcXor_ >> 8)});
    }
  }

 private:
  void Append(std::span<const uint8_t> bytes) { output_.Write(bytes); }

  OutputFile& output_;
  bool checkValue_;
  uint64_t checkValueAt_;
  uint16_t crcXor_ = 0;
};

void WarnIfCut(const PackSources& gathered, size_t index, const MemberRecord& member) {
  const std::optional<ReservedText>& text = gathered.reserved[index];
  if (!text || member.unpackedSize < text->capacity) return;
  std::cerr << FormatMessage(kTextWillBeCut, text->field, gathered.sources[index].diskPath.c_str(),
                             size_t{member.unpackedSize}, text->capacity - 1)
            << '\n';
}

// Compresses the members on the worker threads and writes them in order.
void WriteMembers(const PackOptions& options, const PackSources& gathered, ArchiveOutput& archive) {
  uint64_t total = 0;
  for (const MemberSource& source : gathered.sources) total += source.size;
  ProgressBar bar(total);
  std::atomic<uint64_t> done = 0;
  MemberCompression compression = options.compression;
  compression.threads = options.threads;
  OrderedWork work;
  work.count = gathered.sources.size();
  work.threads = options.threads;
  const auto streamed = [&](const MemberSource& source) {
    return !source.isDirectory && !source.codePageText && source.size > kStreamedFileBytes &&
           compression.method->kind == MethodKind::kCompressed;
  };
  work.make = [&](size_t index, const std::atomic<bool>& stopping) {
    const MemberSource& source = gathered.sources[index];
    if (streamed(source)) return MemberRecord{};  // written as it is read, when its turn comes
    std::atomic<uint64_t> reported = 0;           // from the threads of the member's segments
    MemberRecord member = BuildMember(source, compression, [&](uint64_t bytes) {
      if (stopping) throw Abandoned{};
      reported += bytes;
      done += bytes;
    });
    // Stored members, and files that changed size since they were found, count as found.
    if (reported < source.size) done += source.size - reported;
    return member;
  };
  work.take = [&](size_t index, MemberRecord&& member) {
    if (streamed(gathered.sources[index])) {
      archive.AddStreamed(gathered.sources[index], compression, [&](uint64_t bytes) {
        done += bytes;
        bar.Show(done);
      });
      return;
    }
    WarnIfCut(gathered, index, member);
    archive.Add(member);
    bar.Show(done);
  };
  work.waiting = [&] { bar.Show(done); };
  RunOrdered(work);
}

}  // namespace

void Pack(const PackOptions& options) {
  CheckOutputOutsideInputs(options);
  PackSettings settings = options.settings;
  if (options.checkValue) settings.flags |= kFlagCheckValue;
  // The stub looks for the check value wherever the flag says there is one, whichever option set
  // the flag.
  const bool checkValue = !options.plain && (settings.flags & kFlagCheckValue) != 0;
  const std::vector<uint8_t> stub =
      options.plain ? std::vector<uint8_t>{} : StubWithSettings(options.stubPath, settings);
  std::optional<ForeignArchive> foreign;
  if (options.foreignArchive) {
    foreign = ReadForeignArchive(*options.foreignArchive, options.compression);
    CheckForeignReserved(options, *foreign);
  }
  const PackSources gathered = GatherSources(options);

  OutputFile output(options.outPath);
  output.Write(stub);
  ArchiveOutput archive(output, checkValue);
  WriteMembers(options, gathered, archive);
  if (foreign) archive.AddRecords(foreign->records, foreign->crcXor);
  archive.Finish();

  // Read back as the stub reads it, a plain archive too.
  ToolJob skip;
  skip.asTheStub = true;
  skip.member = [](PassArea& area) { return SkipMemberData(area.run, area.header); };
  if (WalkMembers(output.WalkPath(), skip) != 0) {
    throw ToolError(FormatMessage(kOutputRejected, options.outPath.c_str()));
  }
  if (options.beforeCommit) options.beforeCommit(output);
  output.Commit();
}
