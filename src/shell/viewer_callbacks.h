#pragma once

struct ViewerState;

// GLUT's callbacks take no argument of their own: they reach the viewer's state through the one
// pointer kept here, which the start-up sets for the whole run.
void setCallbackViewer(ViewerState* viewer);
ViewerState& callbackViewer();
