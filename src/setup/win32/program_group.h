// A Program Manager group with one item, made through a DDE conversation with Program Manager.
#pragma once

#include <windows.h>

#include "base/run_context.h"
#include "setup/setup_state.h"

// Carries out the "$Group=" line whose fields are filled: starts Program Manager when it has no
// window, asks it for the group and its item, and waits until the conversation has ended. The
// conversation is given up when no server answers the initiate, when the command cannot be sent,
// or when its acknowledgement has not come within kGroupAckWaitMs; it then counts as ended.
void MakeProgramGroup(RunContext& run, SetupState& setup, HWND dialog);

// The main dialog's WM_DDE_ACK: server is its wParam, what it carries its lParam.
void OnDdeAck(SetupState& setup, HWND dialog, HWND server, LPARAM carried);

inline constexpr DWORD kGroupAckWaitMs = 10000;
