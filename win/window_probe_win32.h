// The dialog as scripts see it (the installer's check, the README's screenshot): with
// QN7_PROBE_QUIT or QN7_PROBE_SHOT set, the dialog ends itself once it is shown and painted,
// after writing "painted" to standard output; QN7_PROBE_SHOT=FILE.png first saves its picture.
#pragma once

#include <windows.h>

// Whether a script asked for the probe.
bool ProbeRequested();
// What the probe does with the shown window; the caller then ends the dialog. A picture that
// cannot be saved is reported on standard error.
void ProbeShownWindow(HWND window);
