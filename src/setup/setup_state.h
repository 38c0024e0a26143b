// What the setup script sets up: the two check boxes it offers, and the fields of the class and
// group lines that the actions after the extraction carry out.
#pragma once

#include <cstdint>

#include "base/run_context.h"

struct SetupState {
  uint32_t groupChecked;  // the Start Menu box, offered by $GroupTitle=
  uint32_t classChecked;  // the Set Class box, offered by $ClassTitle=
  int askRegist;          // ask before registering a file class
  int ddeState;
  platform::Window ddeServer;
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
