#include "image_test_support.h"

#include <fstream>
#include <iterator>

std::vector<uint8_t> ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::string ReadFileText(const std::filesystem::path& path) {
  const std::vector<uint8_t> bytes = ReadFileBytes(path);
  return {bytes.begin(), bytes.end()};
}

void ImageTest::LoadImage(const std::filesystem::path& path, const std::string& hint) {
  ASSERT_TRUE(std::filesystem::is_regular_file(path)) << "no image at " << path << "; " << hint;
  bytes_ = ReadFileBytes(path);
  try {
    layout_ = pe::ParsePeImage(bytes_);
  } catch (const pe::ImageError& error) {
    FAIL() << path << " is no image we can read: " << error.what();
  }
}

void StubImageTest::SetUp() {
  LoadImage(OMBRIX_STUB_PATH,
            "build the stub first (cmake --preset win32 && cmake --build --preset win32) or "
            "point the cache variable OMBRIX_WIN32_DIR at a win32 build tree");
}

void FixtureImageTest::SetUp() {
  LoadImage(OMBRIX_PE_FIXTURE_PATH,
            "the fixture is linked by the host build with i686-w64-mingw32-gcc; install "
            "g++-mingw-w64-i686 and reconfigure");
}
