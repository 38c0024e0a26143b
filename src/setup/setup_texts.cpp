#include "setup/setup_texts.h"

#include <initializer_list>

#include "base/run_context.h"
#include "base/text.h"

bool ClassKeyFits(const char* classKey) {
  return TextLength(classKey) + sizeof kOpenCommandKey <= kKeyPathCapacity;
}

bool JoinedPathFits(const char* dir, const char* name) {
  return TextLength(dir) + 1 + TextLength(name) < kDirCapacity;
}

// Copies the pieces one after the other into out, within capacity.
static void Join(char* out, uint32_t capacity, std::initializer_list<const char*> pieces) {
  out[0] = '\0';
  for (const char* piece : pieces) AppendText(out, capacity, piece);
}

void FormatOpenCommand(char* out, uint32_t capacity, const char* program) {
  Join(out, capacity, {"\"", program, "\" \"%1\""});
}

void FormatClassIcon(char* out, uint32_t capacity, const char* program) {
  Join(out, capacity, {program, ",0"});
}

void FormatIniExtension(char* out, uint32_t capacity, const char* program, const char* extension) {
  Join(out, capacity, {program, " ^", extension});
}

void FormatGroupCommand(char* out, uint32_t capacity, const char* group, const char* program,
                        const char* title, const char* icon) {
  Join(out, capacity, {"[CreateGroup(\"", group, "\",0)]\n[AddItem(", program, ",", title});
  if (icon[0] != '\0') {
    AppendText(out, capacity, ",");
    AppendText(out, capacity, icon);
  }
  AppendText(out, capacity, ")]");
}
