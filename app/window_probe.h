// Hooks for the screenshot and start-up benchmark scripts, driven by the environment:
//   QN7_PROBE_SHOT=FILE.png  grab the window once it is painted, save it, close the dialog
//   QN7_PROBE_QUIT=1         close the dialog as soon as the window is first painted
// Without them nothing is watched.
#pragma once

class QDialog;

void WatchWindowForProbe(QDialog& dialog);
