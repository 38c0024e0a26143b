// A program file holding an archive built by the tool's writer, set up as the stub would have
// it after start-up, and a walk over it with the core's header reader.
#pragma once

#include <string>
#include <vector>

#include "archive/member_header.h"
#include "ombrix/lzh_writer.h"
#include "test_support.h"

inline constexpr char kTestCaption[] = "Test Setup";
inline const std::string kSep(1, static_cast<char>(kDirSeparator));

// A stored file member with an archive attribute and a fixed time.
Member TextMember(const std::string& dirName, const std::string& fileName,
                  const std::string& text = "data");

struct WalkedMember {
  std::string path;
  char method;
  uint16_t attributes;
  bool operator==(const WalkedMember&) const = default;
};

class ArchiveTest : public CoreTest {
 protected:
  // Writes an image stand-in followed by archive into the program file, and points modulePath,
  // archiveOffset and the caption at it.
  void UseArchive(const std::vector<uint8_t>& archive, uint8_t flags = 0);
  void UseMembers(const std::vector<Member>& members, ArchiveLayout layout = {});

  // Every member the walk accepts, up to the end or the first failure.
  std::vector<WalkedMember> Walk();

  size_t fileSize_ = 0;
};
