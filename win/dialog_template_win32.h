// The dialog templates of res/ as in-memory DLGTEMPLATEEX blocks for the Windows dialog
// manager, so the Win32 dialog and the Qt dialog share one control inventory.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "dialog_template.h"

// The block, DWORD-aligned as DialogBoxIndirectParamW and CreateDialogIndirectParamW need it.
std::vector<DWORD> BuildDialogTemplate(const DialogTemplate& dialog, DWORD extraStyle,
                                       DWORD exStyle);
// Window style and class name of a template control.
DWORD ControlWindowStyle(const ControlTemplate& control);
std::wstring ControlClassName(ControlKind kind);
std::wstring Widen(const char* utf8);
// Common controls (the IP address control) and the rich edit libraries of the panes.
void LoadControlLibraries();
