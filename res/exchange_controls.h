// The controls the dialog adds to template 102 for exchanges that run in the background: the
// progress bar, the Bridge button and the Stop button below the action buttons, and the status
// line between the log pane and the user slots. Dialog units, as the template's own controls.
#pragma once

#include "dialog_template.h"

inline constexpr DialogRect kProgressRect = {233, 326, 120, 8};
inline constexpr DialogRect kBridgeRect = {358, 324, 45, 12};
inline constexpr DialogRect kStopRect = {406, 324, 45, 12};
inline constexpr DialogRect kStatusRect = {7, 261, 225, 9};
inline constexpr int kProgressSteps = 1000;
inline constexpr const char* kStopLabel = "Stop";
inline constexpr const char* kStopGloss = "Stop the running exchange and release the port";
inline constexpr const char* kBridgeLabel = "Bridge";
inline constexpr const char* kBridgeGloss =
    "Open the Bridge window (Ctrl+B): both ends of the module's data path, live; it holds the "
    "port";

// Control IDs where a toolkit needs them, clear of the template's.
inline constexpr int kProgressId = 1100;
inline constexpr int kStopId = 1101;
inline constexpr int kStatusId = 1102;
inline constexpr int kBridgeId = 1103;
