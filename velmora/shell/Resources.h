// The program's resources as tables: the main menu and accelerator table (both 100), the
// document type string (100) and the prompts the shell shows.
#pragma once

#include "platform/win/WinTypes.h"
#include "velmora/commands/CommandIds.h"

// Menu, accelerator table and document string of the single document template.
constexpr UINT IDR_MAINFRAME = 100;
// The document strings, '\n'-separated in the class library's order.
extern const wchar_t* const kDocTypeString;

// User messages of the frame and view.
constexpr UINT WM_KX_UNIT_CHANGED = 0x410;
constexpr UINT WM_KX_DOC_READY = 0x40A;
constexpr UINT WM_KX_COLOR_CHANGE = 0x402;
constexpr UINT WM_KX_HIDE_RULERS = 0x407;
constexpr UINT WM_KX_SHOW_RULERS = 0x408;

// Accelerator table 100 as registered (its entry count in *count).
struct ACCEL;
const ACCEL* ShellAccelerators(int* count);

// Registers menu 100, accelerator table 100 and string 100 (again is harmless).
void RegisterShellResources();
