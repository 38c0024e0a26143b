// Acting on a dialog of another process the way a user would, so that a disabled control
// refuses as it would refuse a click.
#pragma once

#include <windows.h>

#include <string>

// button is a control id in decimal or a button's text, compared without '&' and without
// regard to case ("yes" finds "&Yes"). Returns the pressed id, or 0 with a reason in problem.
int PressButton(HWND dialog, const std::wstring& button, std::string& problem);
bool ReplaceItemText(HWND dialog, int id, const std::wstring& text, std::string& problem);
