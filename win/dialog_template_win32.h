// The dialog templates of res/ as in-memory DLGTEMPLATEEX blocks for the Windows dialog
// manager, so the Win32 dialog and the Qt dialog share one control inventory.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "dialog_template.h"
#include "text_win32.h"

// The block, DWORD-aligned as DialogBoxIndirectParamW and CreateDialogIndirectParamW need it.
std::vector<DWORD> BuildDialogTemplate(const DialogTemplate& dialog, DWORD extraStyle,
                                       DWORD exStyle);
// Window style and class name of a template control.
DWORD ControlWindowStyle(const ControlTemplate& control);
std::wstring ControlClassName(ControlKind kind);
// The common controls (the IP address control, the progress bar).
void InitControlClasses();
// The rich edit libraries; the panes are "RichEdit20A" controls.
void LoadRichEditLibraries();
// Both, for a dialog made without the program's start-up.
void LoadControlLibraries();
