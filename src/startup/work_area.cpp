#include "startup/work_area.h"

WorkArea* work = nullptr;
ProgramState program = {};
