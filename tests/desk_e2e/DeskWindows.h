// The desk's windows as an operator meets them: found by caption or text,
// read, and clicked, from another process. Every wait is bounded.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Polls `ready` every 50 ms until it holds or `timeoutMs` passes.
bool WaitUntil(const std::function<bool()>& ready, DWORD timeoutMs);

std::wstring WindowText(HWND window);
std::wstring ItemText(HWND dialog, int id);

// Visible dialog windows (message boxes included) of process `pid`.
std::vector<HWND> DialogsOf(DWORD pid);
// The visible dialog of `pid` with this caption, or null.
HWND FindDialog(DWORD pid, const std::wstring& caption);
// A message box of `pid` whose text begins with `text`, or null.
HWND FindMessageBox(DWORD pid, const std::wstring& text);
// Waits for a dialog with this caption, at most `timeoutMs`.
HWND WaitForDialog(DWORD pid, const std::wstring& caption, DWORD timeoutMs);

bool IsItemEnabled(HWND dialog, int id);
// Clicks button `id` of `dialog` as the mouse would, without waiting for
// what the click opens. False when the button is missing or disabled.
bool ClickButton(HWND dialog, int id);
