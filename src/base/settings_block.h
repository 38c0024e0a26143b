// The configuration record that packaging writes at file offset 512 of the program file.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr uint32_t kSettingsOffset = 512;
inline constexpr uint32_t kSettingsSize = 603;

inline constexpr uint8_t kFlagAutoStart = 0x01;
inline constexpr uint8_t kFlagOverwrite = 0x02;
inline constexpr uint8_t kFlagCheckValue = 0x04;
inline constexpr uint8_t kFlagNoDateCompare = 0x08;

#pragma pack(push, 1)
struct SettingsBlock {
  uint32_t archiveOffset;
  char windowTitle[41];
  char installTitle[41];
  char installDir[256];
  char command[256];
  uint8_t reserved[3];
  uint8_t flags;
  uint8_t keepAttributes;
};
#pragma pack(pop)

// The packer and every reader of stored files depend on these offsets.
static_assert(sizeof(SettingsBlock) == kSettingsSize);
static_assert(offsetof(SettingsBlock, windowTitle) == 4);
static_assert(offsetof(SettingsBlock, installTitle) == 45);
static_assert(offsetof(SettingsBlock, installDir) == 86);
static_assert(offsetof(SettingsBlock, command) == 342);
static_assert(offsetof(SettingsBlock, reserved) == 598);
static_assert(offsetof(SettingsBlock, flags) == 601);
static_assert(offsetof(SettingsBlock, keepAttributes) == 602);
