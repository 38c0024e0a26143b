#include "ombrix/tool_work_area.h"

#include <new>

#include "archive/member_header.h"

ToolWorkArea::ToolWorkArea() : savedWork_(work), savedProgram_(program) {
  work = static_cast<WorkArea*>(platform::AllocZeroed(sizeof(WorkArea)));
  if (work == nullptr) {
    work = savedWork_;
    throw std::bad_alloc();
  }
  program = ProgramState{};
}

ToolWorkArea::~ToolWorkArea() {
  ReleaseHeader();
  platform::Release(work);
  work = savedWork_;
  program = savedProgram_;
}
