// The program's main procedure: from the process start to the exit code.
#pragma once

// tail is the command line without the program name. Returns the exit code.
int RunProgram(void* instance, const char* tail);
