// Writes the first inputs of every fuzz target into OUTDIR/<target>/: command lines, scripts,
// members compressed by the tests' block encoder and distributables built by the tool's archive
// writer, and, given the path of `lha`, archives that it makes and the members in them.
//
//   fuzz_seed_writer OUTDIR [LHA]
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "fuzz_inputs.h"
#include "lzh_block_writer.h"
#include "ombrix/lzh_writer.h"
#include "ombrix/settings_writer.h"

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

namespace {

constexpr uint32_t kSeedTime = 946684800;  // 2000-01-01

Bytes ToBytes(const std::string& text) {
  return {text.begin(), text.end()};
}

std::string Repeat(const std::string& text, size_t times) {
  std::string repeated;
  for (size_t i = 0; i < times; ++i) repeated += text;
  return repeated;
}

// Bytes that do not compress, the same on every run.
std::string Noise(size_t size) {
  std::string noise;
  for (uint32_t x = 12345; noise.size() < size;) {
    x = x * 1103515245 + 12345;
    noise += static_cast<char>(x >> 16);
  }
  return noise;
}

class SeedDirectory {
 public:
  explicit SeedDirectory(const fs::path& path) : path_(path) { fs::create_directories(path); }
  void Put(const std::string& name, const Bytes& bytes) const {
    std::ofstream out(path_ / name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write seed " + (path_ / name).string());
  }

 private:
  fs::path path_;
};

const std::string kNotice = "Viewer 1.0\r\n\r\n" +
                            Repeat("This program is given as is. Read the licence first.\r\n", 12) +
                            "Install it now?";
const std::string kScript =
    "Setup script: lines without a keyword are remarks.\r\n"
    "$WindowTitle=Viewer Setup\r\n"
    "$InstallTitle=Install Viewer into(&D):\r\n"
    "$InstallDir=%ProgramFiles%\\Viewer\r\n"
    "$ClassTitle=Open vwr files with Viewer\r\n"
    "$Class=.vwr,Viewer file,bin\\view.exe,Viewer.File\r\n"
    "$GroupTitle=Create a program group\r\n"
    "$Group=Viewer,\"Viewer, 1.0\",bin\\view.exe,\r\n"
    "$Command=\"bin\\view.exe\" /welcome\r\n"
    "$AskRegist=\r\n";

// Literals and matches, found greedily within the method's reach, as blocks of the encoder's
// complete codes.
Bytes Compress(char method, const std::string& text) {
  LzhBlockWriter writer(method);
  const size_t reach = method >= '6' ? 65536 : 8192;
  struct Symbol {
    uint32_t length;  // 0 for a literal
    uint32_t value;   // the literal, or the match's position
  };
  std::vector<Symbol> symbols;
  for (size_t at = 0; at < text.size();) {
    Symbol best{0, static_cast<uint8_t>(text[at])};
    for (size_t from = at > reach ? at - reach : 0; from < at; ++from) {
      uint32_t length = 0;
      while (length < 256 && at + length < text.size() &&
             text[from + length] == text[at + length]) {
        ++length;
      }
      if (length >= 3 && length > best.length) {
        best = {length, static_cast<uint32_t>(at - from - 1)};
      }
      if (best.length == 256) break;
    }
    symbols.push_back(best);
    at += best.length == 0 ? 1 : best.length;
  }
  for (size_t start = 0; start < symbols.size(); start += 65535) {
    const size_t count = std::min<size_t>(65535, symbols.size() - start);
    writer.StartBlock(static_cast<uint16_t>(count), EveryoneCodes(writer.positionCount()));
    for (size_t i = start; i < start + count; ++i) {
      if (symbols[i].length == 0) {
        writer.Literal(static_cast<uint8_t>(symbols[i].value));
      } else {
        writer.Match(symbols[i].length, symbols[i].value);
      }
    }
  }
  return writer.bits().Bytes();
}

// A block of one symbol in which all three codes are constant: the symbol (a literal, or a match
// at position 0) costs no bits, so any size comes out of these few bytes.
Bytes ConstantCodes(char method, uint32_t symbol) {
  LzhBlockWriter writer(method);
  writer.PutBlockSize(1);
  writer.bits().Put(0, 5);  // code-length code: count 0, constant 0
  writer.bits().Put(0, 5);
  writer.bits().Put(0, 9);  // literal/length code: count 0, constant
  writer.bits().Put(symbol, 9);
  writer.bits().Put(0, writer.positionWidth());  // position code: count 0, constant 0
  writer.bits().Put(0, writer.positionWidth());
  return writer.bits().Bytes();
}

uint8_t MethodIndex(char method) {
  const char* found = std::find(std::begin(kDecoderMethods), std::end(kDecoderMethods), method);
  if (found == std::end(kDecoderMethods)) throw std::invalid_argument("no such method");
  return static_cast<uint8_t>(found - kDecoderMethods);
}

Bytes DecoderInput(char method, DecoderSink sink, uint8_t flags, uint32_t unpackedSize,
                   const Bytes& data) {
  Bytes input(kDecoderHeaderSize);
  input[kDecoderControlByte] =
      static_cast<uint8_t>(MethodIndex(method) | sink << kDecoderSinkShift | flags);
  for (size_t i = 0; i < 3; ++i) {
    input[kDecoderSizeByte + i] = static_cast<uint8_t>(unpackedSize >> (8 * i));
  }
  input.insert(input.end(), data.begin(), data.end());
  return input;
}

Bytes WalkInput(uint8_t answers, uint8_t options, uint8_t flags, const Bytes& archive) {
  PackSettings settings;
  settings.archiveOffset = kSettingsOffset + kSettingsSize;
  settings.windowTitle = "Viewer Setup";
  settings.installTitle = "Install Viewer into:";
  settings.installDir = "%ProgramFiles%\\Viewer";
  settings.command = "setup.exe /q";
  settings.flags = flags;
  const SettingsBlock block = MakeSettingsBlock(settings);
  Bytes input(kWalkControlSize);
  input[kWalkAnswersByte] = answers;
  input[kWalkOptionsByte] = options;
  const auto* blockBytes = reinterpret_cast<const uint8_t*>(&block);
  input.insert(input.end(), blockBytes, blockBytes + kSettingsSize);
  input.insert(input.end(), archive.begin(), archive.end());
  return input;
}

Member CompressedMember(char method, const std::string& name, const std::string& text) {
  Member member = StoredFileMember("", name, ToBytes(text), kSeedTime, kAttrArchive);
  member.method = std::string("-lh") + method + "-";
  member.data = Compress(method, text);
  return member;
}

void WriteCommandLines(const SeedDirectory& seeds) {
  const std::string lines[] = {
      "\"C:\\Program Files\\Viewer\\setup.exe\" -n -c- \"C:\\Target Dir\"",
      "setup.exe -N -C",
      "setup.exe -n- D:\\Apps -c trailing words",
      "\"C:\\unterminated quote.exe -n",
      "setup.exe\t-c\t\"a\"b\"c d\"  ",
      "setup.exe " + Repeat("-n ", 40) + Repeat("x", 300),
  };
  for (size_t i = 0; i < std::size(lines); ++i) {
    seeds.Put("line" + std::to_string(i), ToBytes(lines[i]));
  }
}

void WriteScripts(const SeedDirectory& seeds) {
  const std::string longValue = Repeat("0123456789", 30);
  const std::string shiftJis = "\x83\x72\x83\x85\x81\x5B\x83\x41";  // four double-byte characters
  const std::pair<uint8_t, std::string> scripts[] = {
      {0, kScript},
      {kScriptDirectoryPreset, kScript},
      {0, "$WindowTitle=" + longValue + "\n$InstallTitle=" + longValue +
              "\n$InstallDir=" + longValue + "\n$ClassTitle=" + longValue +
              "\n$GroupTitle=" + longValue + "\n$Command=" + longValue},
      {kScriptShiftJis, "$WindowTitle=" + Repeat(shiftJis, 6) + "\r\n$ClassTitle=" +
                            Repeat(shiftJis, 12) + "\r\n$InstallDir=C:\\" + shiftJis},
      {0, " $WindowTitle=not a directive\t$Command=after a tab\n$Class=.a,b\n$ClassTitle"},
  };
  for (size_t i = 0; i < std::size(scripts); ++i) {
    Bytes input{scripts[i].first};
    input.insert(input.end(), scripts[i].second.begin(), scripts[i].second.end());
    seeds.Put("script" + std::to_string(i), input);
  }
}

void WriteDecoderSeeds(const SeedDirectory& seeds) {
  const std::string text = kNotice + kScript + Repeat(kNotice, 3);
  const auto size = static_cast<uint32_t>(text.size());
  const auto scriptSize = static_cast<uint32_t>(kScript.size());
  for (const char method : {'5', '6', '7'}) {
    const std::string prefix = std::string("lh") + method + "-";
    const Bytes packed = Compress(method, text);
    seeds.Put(prefix + "file", DecoderInput(method, kToFile, 0, size, packed));
    seeds.Put(prefix + "notice", DecoderInput(method, kToNotice, 0, size, packed));
    seeds.Put(prefix + "script",
              DecoderInput(method, kToScript, 0, scriptSize, Compress(method, kScript)));
    seeds.Put(prefix + "constant",
              DecoderInput(method, kToFile, 0, 70000, ConstantCodes(method, 'A')));
    seeds.Put(prefix + "constant-match",
              DecoderInput(method, kToNotice, 0, 300, ConstantCodes(method, 300)));
  }
  const std::string longText = Repeat(text, 40);
  const auto longSize = static_cast<uint32_t>(longText.size());
  seeds.Put("lh5-cancel",
            DecoderInput('5', kToFile, kDecoderCancel, longSize, Compress('5', longText)));
  seeds.Put("lh7-disk-full",
            DecoderInput('7', kToFile, kDecoderWriteFails, longSize, Compress('7', longText)));
  seeds.Put("lh6-read-error",
            DecoderInput('6', kToNotice, kDecoderReadFails, longSize, Compress('6', longText)));
  seeds.Put("stored-file", DecoderInput('0', kToFile, 0, size, ToBytes(text)));
  seeds.Put("stored-notice", DecoderInput('0', kToNotice, 0, size, ToBytes(text)));
  seeds.Put("stored-cancel", DecoderInput('0', kToFile, kDecoderCancel, size, ToBytes(text)));
  // More compressed bytes than one load of the input buffer takes.
  LzhBlockWriter noise('5');
  const std::string noiseText = Noise(20000);
  noise.StartBlock(static_cast<uint16_t>(noiseText.size()), EveryoneCodes(noise.positionCount()));
  for (const char c : noiseText) noise.Literal(static_cast<uint8_t>(c));
  seeds.Put("lh5-two-loads", DecoderInput('5', kToFile, 0, static_cast<uint32_t>(noiseText.size()),
                                          noise.bits().Bytes()));
}

void WriteArchiveSeeds(const SeedDirectory& seeds) {
  const Member notice = StoredFileMember("", "!", ToBytes(kNotice), kSeedTime, kAttrArchive);
  const Member script = StoredFileMember("", "$", ToBytes(kScript), kSeedTime, kAttrArchive);
  const Member readme = StoredFileMember(ToStoredDirName("docs"), "readme.txt",
                                         ToBytes(Repeat(kNotice, 2)), kSeedTime, kAttrReadOnly);
  const Member docs = DirectoryMember(ToStoredDirName("docs"), kSeedTime);
  const std::vector<Member> stored = {notice, script, docs, readme};
  const std::vector<Member> compressed = {CompressedMember('5', "!", kNotice),
                                          CompressedMember('7', "$", kScript),
                                          CompressedMember('6', "guide.txt", kScript + kNotice)};
  const ArchiveLayout checked{.checkValue = true};
  seeds.Put("stored", WalkInput(0xFF, 0, 0, BuildArchive(stored)));
  seeds.Put("stored-checked", WalkInput(0xFF, 0, kFlagCheckValue, BuildArchive(stored, checked)));
  seeds.Put("notice-declined", WalkInput(0x00, kWalkDirectoryArgument, 0, BuildArchive(stored)));
  seeds.Put("compressed", WalkInput(0xFF, 0, kFlagAutoStart, BuildArchive(compressed)));
  seeds.Put("compressed-trusted",
            WalkInput(0xFF, kWalkTrustHeaderCrcs, kFlagAutoStart, BuildArchive(compressed)));
  seeds.Put("compressed-checked",
            WalkInput(0xFF, kWalkShiftJis, kFlagCheckValue, BuildArchive(compressed, checked)));
  seeds.Put("no-end-mark", WalkInput(0xFF, 0, 0, BuildArchive(stored, {.endMark = false})));
  seeds.Put("low-memory",
            WalkInput(0xFF, 3 << kWalkFailingAllocationShift, 0, BuildArchive(stored)));
  seeds.Put("empty", WalkInput(0xFF, 0, 0, {}));
  // A member path as long as memberPath holds, and one byte longer.
  const std::string dirName = ToStoredDirName(std::string(200, 'd'));
  for (const uint32_t length : {kPathCapacity - 1, kPathCapacity}) {
    const Member member = StoredFileMember(dirName, std::string(length - dirName.size(), 'f'),
                                           ToBytes(kNotice), kSeedTime, kAttrArchive);
    seeds.Put("path-" + std::to_string(length),
              WalkInput(0xFF, 0, 0, BuildArchive(std::vector<Member>{member})));
  }
}

Bytes ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t LoadU32(const Bytes& bytes, size_t offset) {
  return bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 |
         static_cast<uint32_t>(bytes[offset + 3]) << 24;
}

// Each compressed member of a level-2 archive as a decoder input, once to a file and once to the
// notice.
void PutMembersOf(const Bytes& archive, const std::string& name, const SeedDirectory& seeds) {
  size_t at = 0;
  for (int index = 0; at + kFixedHeaderSize <= archive.size(); ++index) {
    const size_t headerSize = archive[at] | archive[at + 1] << 8;
    if (headerSize == 0) break;
    const char method = static_cast<char>(archive[at + kMethodOffset + 3]);
    const uint32_t packedSize = LoadU32(archive, at + kPackedSizeOffset);
    const uint32_t unpackedSize = LoadU32(archive, at + kUnpackedSizeOffset);
    const size_t dataStart = at + headerSize;
    if (dataStart + packedSize > archive.size()) throw std::runtime_error(name + " is cut short");
    const Bytes data(archive.begin() + static_cast<ptrdiff_t>(dataStart),
                     archive.begin() + static_cast<ptrdiff_t>(dataStart + packedSize));
    if (method >= '5' && method <= '7' && unpackedSize <= kDecoderSizeLimit) {
      const std::string seed = name + "-member" + std::to_string(index);
      seeds.Put(seed + "-file", DecoderInput(method, kToFile, 0, unpackedSize, data));
      seeds.Put(seed + "-notice", DecoderInput(method, kToNotice, 0, unpackedSize, data));
    }
    at = dataStart + packedSize;
  }
}

// Archives made by lha of a tree that holds the notice and the script under their reserved names,
// at level 2 with each method it offers.
void WriteLhaSeeds(const fs::path& out, const std::string& lha) {
  std::string pattern = (fs::temp_directory_path() / "ombrix-seeds-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) {
    throw std::runtime_error("cannot make a temporary directory");
  }
  const fs::path tree = pattern;
  const auto putFile = [&](const std::string& name, const std::string& text) {
    fs::create_directories((tree / name).parent_path());
    std::ofstream(tree / name, std::ios::binary) << text;
  };
  putFile("!", kNotice);
  putFile("$", Repeat(kScript, 3));
  putFile("readme.txt", Repeat(kNotice + kScript, 4));
  putFile("docs/guide.txt", Repeat(kScript, 20));
  putFile("data.bin", Noise(3000));

  const SeedDirectory walkSeeds(out / "archive_walk");
  const SeedDirectory decoderSeeds(out / "decoder");
  for (const std::string flags : {"a2q", "a2qo6", "a2qo7"}) {
    const std::string archive = "seed-" + flags + ".lzh";
    const std::string command = "cd '" + tree.string() + "' && '" + lha + "' " + flags + " " +
                                archive + " '!' '$' readme.txt docs data.bin >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) throw std::runtime_error("lha failed: " + command);
    const Bytes bytes = ReadBytes(tree / archive);
    walkSeeds.Put("lha-" + flags, WalkInput(0xFF, 0, 0, bytes));
    walkSeeds.Put("lha-" + flags + "-trusted", WalkInput(0xFF, kWalkTrustHeaderCrcs, 0, bytes));
    PutMembersOf(bytes, "lha-" + flags, decoderSeeds);
  }
  fs::remove_all(tree);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::cerr << "usage: fuzz_seed_writer OUTDIR [LHA]\n";
    return 2;
  }
  try {
    const fs::path out = argv[1];
    WriteCommandLines(SeedDirectory(out / "command_line"));
    WriteScripts(SeedDirectory(out / "setup_script"));
    WriteDecoderSeeds(SeedDirectory(out / "decoder"));
    WriteArchiveSeeds(SeedDirectory(out / "archive_walk"));
    if (argc == 3) WriteLhaSeeds(out, argv[2]);
  } catch (const std::exception& error) {
    std::cerr << "fuzz_seed_writer: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
