// The images the image tests read: the built stub and a fixture linked for the writer's tests.
// A missing image fails the test with a hint on how to build it; it never passes silently.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "imagewriter/pe_image.h"

std::vector<uint8_t> ReadFileBytes(const std::filesystem::path& path);
std::string ReadFileText(const std::filesystem::path& path);

class ImageTest : public ::testing::Test {
 protected:
  void LoadImage(const std::filesystem::path& path, const std::string& hint);

  std::vector<uint8_t> bytes_;
  pe::PeImage layout_{};
};

class StubImageTest : public ImageTest {
 protected:
  void SetUp() override;
};

class FixtureImageTest : public ImageTest {
 protected:
  void SetUp() override;
};
