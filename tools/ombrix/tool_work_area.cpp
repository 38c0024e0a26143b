#include "ombrix/tool_work_area.h"

#include <new>

#include "archive/member_header.h"
#include "startup/work_area.h"

ToolWorkArea::ToolWorkArea() {
  work = static_cast<WorkArea*>(platform::AllocZeroed(sizeof(WorkArea)));
  if (work == nullptr) throw std::bad_alloc();
  program = ProgramState{};
}

ToolWorkArea::~ToolWorkArea() {
  ReleaseHeader();
  platform::Release(work);
  work = nullptr;
}
