// All run-time state of the program: one zero-filled record allocated at start-up, plus the
// handful of program-wide values that live beside it.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "startup/settings_block.h"

inline constexpr uint32_t kWindowSize = 65536;
inline constexpr uint32_t kInBufSize = 16384;
inline constexpr uint32_t kTreeNodes = 1019;
inline constexpr uint32_t kLiteralSymbols = 510;
inline constexpr uint32_t kPathCapacity = 260;
inline constexpr uint32_t kOutPathCapacity = 516;
inline constexpr uint32_t kDirCapacity = 256;
inline constexpr uint32_t kScratchCapacity = 1024;
inline constexpr uint32_t kScriptCapacity = 4096;

// Where decoded bytes go while outFile is kNoFile.
enum SinkKind : uint8_t { kSinkFile = 0, kSinkNotice = 1, kSinkScript = 2 };

struct WorkArea {
  // Decoder and pass counters
  uint32_t inPos;
  uint32_t windowSize;
  uint32_t origSize;
  uint32_t compLeft;
  uint32_t outCount;
  uint32_t windowFill;

  // Pass control and dialog state
  uint32_t failed;
  uint32_t fileEnd;
  uint32_t cancelRequested;
  uint32_t extracting;
  uint32_t groupChecked;
  uint32_t classChecked;
  platform::Window dialogWindow;
  platform::FileHandle archiveFile;
  platform::FileHandle outFile;

  // Member header bookkeeping
  uint8_t* headerCrcField;
  uint8_t* dirNamePtr;
  uint8_t* fileNamePtr;
  uint16_t crcTable[256];
  // crcTable carried on through 1 to 7 further bytes, so that data is folded in 8 bytes a step.
  uint16_t crcWideTables[7][256];
  uint16_t headerCrc;
  uint16_t attributes;
  uint16_t dirNameLen;
  uint16_t fileNameLen;
  uint16_t crc;

  // Decoder state
  uint16_t blockLeft;
  uint16_t treeLeft[kTreeNodes];
  uint16_t treeRight[kTreeNodes];
  uint16_t literalTable[4096];
  uint16_t smallTable[256];
  uint16_t np;
  uint16_t pBit;
  uint16_t checkValue;
  uint16_t bitBuf;
  uint8_t subBitBuf;
  uint8_t bitCount;
  uint8_t sinkKind;

  // Configuration and buffers
  SettingsBlock settings;
  uint8_t* header;
  uint8_t window[kWindowSize];
  char memberPath[kPathCapacity];
  uint8_t literalLengths[kLiteralSymbols];
  uint8_t smallLengths[128];
  char modulePath[kPathCapacity];
  char outPath[kOutPathCapacity];
  char extractDir[kDirCapacity];
  uint8_t inBuf[kInBufSize];
  char scratch[kScratchCapacity];
  char script[kScriptCapacity];
  char progPath[kPathCapacity];
  char iconPath[kPathCapacity];
  char itemTitle[80];
  char ddeCommand[1024];
  char classExt[20];
  char classTitle[20];
  char classKey[128];
  char classCheckText[80];
  char groupCheckText[80];
  char groupName[80];
};

// Program-wide values outside the work area.
struct ProgramState {
  void* instance;
  void* dialogIcon;
  int isWin32s;
  int autoStart;
  int dateCompare;
  int overwriteSilently;
  int askRegist;
  int dirFromCommandLine;
  uint16_t crcXor;
  int ddeState;
  platform::Window ddeServer;
};

// Constant-initialised so that the stub, which has no static constructors, can hold them.
extern WorkArea* work;
extern ProgramState program;
