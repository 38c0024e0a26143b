// imagewriter IMAGE MESSAGE [--exports] [--rebased REBASED]: rewrites the linked stub IMAGE in
// place so that its file starts with our MZ header, the zero settings range and a DOS program
// printing the UTF-8 text file MESSAGE, and reports the stub's final size. --exports points the
// export directory at the table that starts the first section; --rebased adds base relocations
// found by comparing IMAGE with REBASED, the same link at another base.
#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "imagewriter/dos_program.h"
#include "imagewriter/dos_text.h"
#include "imagewriter/image_rewrite.h"
#include "imagewriter/link_tables.h"
#include "imagewriter/pe_image.h"
#include "ombrix/whole_file.h"

namespace {

std::vector<uint8_t> ReadFile(const std::filesystem::path& path) {
  std::optional<std::vector<uint8_t>> bytes = ReadWholeFile(path);
  if (!bytes) throw std::runtime_error("cannot open " + path.string());
  return std::move(*bytes);
}

// Through a temporary file, so that a failed write never leaves half an image behind.
void ReplaceFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  std::filesystem::path temporary = path;
  temporary += ".imagewriter";
  {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!file.flush()) throw std::runtime_error("cannot write " + temporary.string());
  }
  std::filesystem::rename(temporary, path);
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> options(argv + std::min(argc, 3), argv + argc);
  const bool exports = std::ranges::count(options, "--exports") == 1;
  const auto rebased = std::ranges::find(options, "--rebased");
  const bool hasRebased = rebased != options.end() && rebased + 1 != options.end();
  if (argc < 3 || options.size() != size_t(exports) + (hasRebased ? 2 : 0)) {
    std::fputs("usage: imagewriter IMAGE DOS-MESSAGE-UTF8 [--exports] [--rebased IMAGE]\n", stderr);
    return 2;
  }
  const std::filesystem::path imagePath = argv[1];
  try {
    std::vector<uint8_t> linked = ReadFile(imagePath);
    if (exports) imagewriter::PointExportDirectory(linked);
    if (hasRebased) imagewriter::AddBaseRelocations(linked, ReadFile(*(rebased + 1)));
    const std::vector<uint8_t> message = ReadFile(argv[2]);
    const std::vector<uint8_t> dosProgram =
        imagewriter::BuildDosProgram(imagewriter::ConvertToDosText(
            std::string_view(reinterpret_cast<const char*>(message.data()), message.size())));
    const std::vector<uint8_t> image = imagewriter::RewriteImage(linked, dosProgram);
    ReplaceFile(imagePath, image);
    const pe::PeImage layout = pe::ParsePeImage(image);
    std::printf("%s: %zu bytes (DOS program %zu bytes, PE headers at 0x%X, sections from 0x%X)\n",
                imagePath.filename().c_str(), image.size(), dosProgram.size(), layout.peOffset,
                layout.sizeOfHeaders);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "imagewriter: %s: %s\n", imagePath.c_str(), error.what());
    return 1;
  }
  return 0;
}
