// The host tool's seam for the operations that tests wrap (tests/support/platform_double.cpp):
// straight onto the posix platform, with a user interface that has no dialog to update.
#include "platform/posix/posix_platform.h"

namespace platform {

int32_t Seek(FileHandle file, int32_t offset, int origin) {
  return posix::Seek(file, offset, origin);
}
int32_t Read(FileHandle file, void* buffer, uint32_t count) {
  return posix::Read(file, buffer, count);
}
FileHandle CreateOutputFile(const char* path) {
  return posix::CreateOutputFile(path);
}
bool WriteOutput(FileHandle file, const void* bytes, uint32_t count) {
  return posix::WriteOutput(file, bytes, count);
}
bool CloseOutput(FileHandle file) {
  return posix::CloseOutput(file);
}
void DeleteOutput(const char* path) {
  posix::DeleteOutput(path);
}
void SetOutputTime(FileHandle file, uint32_t dosDateTime) {
  posix::SetOutputTime(file, dosDateTime);
}
void MakeDirectory(const char* path) {
  posix::MakeDirectory(path);
}
void SetAttributes(const char* path, uint32_t attributes) {
  posix::SetAttributes(path, attributes);
}
void* AllocZeroed(uint32_t size) {
  return posix::AllocZeroed(size);
}
int ShowMessageBox(Window owner, const char* text, const char* caption, uint32_t style) {
  return posix::ShowMessageBox(owner, text, caption, style);
}
void EndProcess(int status) {
  posix::EndProcess(status);
}
void SetItemText(Window /*window*/, int /*itemId*/, const char* /*text*/) {}
void PumpMessages(Window /*window*/) {}

}  // namespace platform
