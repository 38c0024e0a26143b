// The core's work area for one host-tool command: allocated zero-filled like the stub's, with
// the program-wide values reset, and released with any header buffer left behind.
#pragma once

class ToolWorkArea {
 public:
  ToolWorkArea();
  ~ToolWorkArea();
  ToolWorkArea(const ToolWorkArea&) = delete;
  ToolWorkArea& operator=(const ToolWorkArea&) = delete;
};
