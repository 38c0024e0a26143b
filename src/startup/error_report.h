// Error boxes in the program's one format, and the stop that ends the process.
#pragma once

// Shows "\"subject\" message" with the error icon, owned by the dialog (none during the scan).
void ReportError(const char* message, const char* subject);

// Each reports its message about the program file (FailOpen: about name), sets failed and
// returns 0, so that callers can write `return FailRead();`.
int FailRead();
int FailEof();
int FailHeader();
int FailOpen(const char* name);

// Closes and deletes a partly written output file, closes the archive, ends the process.
[[noreturn]] void FatalStop(int status);
