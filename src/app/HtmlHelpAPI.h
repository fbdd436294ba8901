// The HTML help engine as the program reaches it: a library loaded at run time and its one
// entry point.
#pragma once

#include <windows.h>

// HtmlHelpA(owner window, help file or command string, command, command data); the window it
// returns is not used.
using THtmlHelpA = HWND(WINAPI*)(HWND caller, LPCSTR file, UINT command, DWORD_PTR data);

inline constexpr wchar_t kHtmlHelpLibrary[] = L"HHCTRL.OCX";
inline constexpr char kHtmlHelpEntryPoint[] = "HtmlHelpA";

// The engine's commands we send.
inline constexpr UINT kHhDisplayTopic = 0x00;  // file is "help file::/topic"
inline constexpr UINT kHhDisplayToc = 0x01;
inline constexpr UINT kHhDisplayIndex = 0x02;  // data is the keyword
inline constexpr UINT kHhHelpContext = 0x0F;   // data is the context number
inline constexpr UINT kHhCloseAll = 0x12;      // no window, no file
