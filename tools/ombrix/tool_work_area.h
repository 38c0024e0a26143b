// The core's work area for one host-tool command: allocated zero-filled like the stub's, with
// the program-wide values reset. The caller's work area and values come back afterwards, so a
// command can run inside a test or another command.
#pragma once

#include "startup/work_area.h"

class ToolWorkArea {
 public:
  ToolWorkArea();
  ~ToolWorkArea();
  ToolWorkArea(const ToolWorkArea&) = delete;
  ToolWorkArea& operator=(const ToolWorkArea&) = delete;

 private:
  WorkArea* savedWork_;
  ProgramState savedProgram_;
};
