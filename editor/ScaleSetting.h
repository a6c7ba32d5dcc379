#pragma once

#include <string>

// The editor size the user last chose, remembered per user in a small text file (the scale in
// percent, e.g. "150"): $XDG_CONFIG_HOME/varnholt-pro/editor-scale, or ~/.config/... when
// XDG_CONFIG_HOME is unset or not absolute. Read and written on the GUI thread only, when an
// editor opens or the user chooses; never on the audio thread.

// The file's path; empty when neither XDG_CONFIG_HOME nor HOME says where.
std::string scaleSettingPath();
// The remembered scale (1 to 3 in quarter steps), or 0 when the file is missing, unreadable
// or holds anything else.
double readRememberedScale();
// Replaces the file in one step (a new file renamed over the old), so a reader sees the old
// choice or the new one, never part of one. False when it could not be written.
bool rememberScale(double scale);

// Whether the loudness panel is shown, kept the same way beside it in "loudness-panel" ("1" or
// "0"): 1 or 0, or -1 when the file is missing or holds anything else.
int readRememberedPanelShown();
bool rememberPanelShown(bool shown);
