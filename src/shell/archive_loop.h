#pragma once

struct ViewerState;

// The modding loop's commands: the shown archive read again, and the walk through its folder.

// F5 and "Reload archive" (and a change on disk): shows the shown archive's file again, keeping
// what a reload keeps (model_takeover.h), and prints "Reloaded PATH"; a file that cannot be
// read, is cut short or is no archive leaves the model as it was, and one line says so.
void reloadShownArchive(ViewerState& viewer);

// PageDown and "Next archive" (+1), PageUp and "Previous archive" (-1): shows the next or the
// previous file of the shown archive's folder that loads, in natural order, wrapping around.
// Each file passed over gets one line; when none loads, the model stays and one line says so.
void walkFolder(ViewerState& viewer, int direction);
