#include "setup/win32/program_group.h"

#include <dde.h>

#include "base/text.h"
#include "setup/setup_texts.h"
#include "setup/win32/file_class.h"

namespace {

enum DdeState : int { kNoConversation = 0, kInitiated = 1, kExecuted = 2, kEnded = -1 };

constexpr DWORD kProgramManagerIdleMs = 3000;
constexpr uint32_t kCommandMemory = 1025;

void StartProgramManager() {
  if (FindWindowA("Progman", nullptr) != nullptr) return;
  char commandLine[] = "PROGMAN.EXE";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process;
  if (!CreateProcessA(nullptr, commandLine, nullptr, nullptr, TRUE,
                      CREATE_NEW_PROCESS_GROUP | NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup,
                      &process)) {
    return;
  }
  WaitForInputIdle(process.hProcess, kProgramManagerIdleMs);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
}

// The server's acknowledgement of the initiate arrives, sent, inside this broadcast.
void BroadcastInitiate(SetupState& setup, HWND dialog) {
  setup.ddeState = kInitiated;
  setup.ddeServer = nullptr;
  const ATOM application = GlobalAddAtomA("PROGMAN");
  const ATOM topic = GlobalAddAtomA("PROGMAN");
  SendMessageA(reinterpret_cast<HWND>(-1), WM_DDE_INITIATE, reinterpret_cast<WPARAM>(dialog),
               MAKELPARAM(application, topic));
  GlobalDeleteAtom(topic);
  GlobalDeleteAtom(application);
}

void SendGroupCommand(SetupState& setup, HWND dialog) {
  FormatGroupCommand(setup.ddeCommand, sizeof setup.ddeCommand, setup.groupName, setup.progPath,
                     setup.itemTitle, setup.iconPath);
  const HGLOBAL memory = GlobalAlloc(GMEM_DDESHARE | GMEM_MOVEABLE, kCommandMemory);
  if (memory == nullptr) return;  // no command: the conversation stays initiated and is given up
  CopyText(static_cast<char*>(GlobalLock(memory)), kCommandMemory, setup.ddeCommand);
  GlobalUnlock(memory);
  setup.ddeState = kExecuted;
  const LPARAM packed = PackDDElParam(WM_DDE_EXECUTE, 0, reinterpret_cast<UINT_PTR>(memory));
  if (!PostMessageA(static_cast<HWND>(setup.ddeServer), WM_DDE_EXECUTE,
                    reinterpret_cast<WPARAM>(dialog), packed)) {
    GlobalFree(memory);
    FreeDDElParam(WM_DDE_EXECUTE, packed);
    setup.ddeState = kEnded;  // no acknowledgement can come
  }
}

// What an acknowledgement carries is the receiver's to release: the atoms of the initiate's, the
// command memory and the packed parameter of the execute's.
void ReleaseExecuteAck(LPARAM carried) {
  UINT_PTR status = 0;
  UINT_PTR memory = 0;
  if (!UnpackDDElParam(WM_DDE_ACK, carried, &status, &memory)) return;
  GlobalFree(reinterpret_cast<HGLOBAL>(memory));
  FreeDDElParam(WM_DDE_ACK, carried);
}

}  // namespace

// Only the server that answered the initiate first is asked; a later answer to the same
// initiate carries atoms, not an execute's acknowledgement, and its conversation is ended at once.
void OnDdeAck(SetupState& setup, HWND dialog, HWND server, LPARAM carried) {
  if (setup.ddeState == kExecuted && server == setup.ddeServer) {
    ReleaseExecuteAck(carried);
    PostMessageA(server, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(dialog), 0);
    setup.ddeState = kEnded;
    return;
  }
  if (server == setup.ddeServer) return;  // an acknowledgement that came after the wait
  GlobalDeleteAtom(LOWORD(carried));
  GlobalDeleteAtom(HIWORD(carried));
  if (setup.ddeState != kInitiated) {
    PostMessageA(server, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(dialog), 0);
    return;
  }
  setup.ddeServer = server;
  SendGroupCommand(setup, dialog);
}

void MakeProgramGroup(RunContext& run, SetupState& setup, HWND dialog) {
  // The item's program and icon go to Program Manager by their short paths; a line whose paths
  // do not fit is passed over.
  if (!MakeShortPath(run.extractDir, setup.progPath, setup.progPath, kDirCapacity) ||
      (setup.iconPath[0] != '\0' &&
       !MakeShortPath(run.extractDir, setup.iconPath, setup.iconPath, kDirCapacity))) {
    return;
  }
  StartProgramManager();
  BroadcastInitiate(setup, dialog);
  // The command's acknowledgement is posted: it comes through the message queue.
  const DWORD start = GetTickCount();
  for (DWORD waited = 0; setup.ddeState == kExecuted && waited < kGroupAckWaitMs;
       waited = GetTickCount() - start) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, kGroupAckWaitMs - waited, QS_ALLINPUT);
    platform::PumpMessages(dialog);
  }
  setup.ddeState = kEnded;
}
