#pragma once

// freeglut destroys the GL context of every window it closes, so at exit (or when a view's
// window is closed from the window manager) the one context the three views share is destroyed
// once per window. The GLX library answers the second and third destruction with a
// GLXBadContext error, which Xlib's default handler prints before it ends the process with
// status 1. Call once the views' windows exist: from then on exactly that error, on a
// destroy-context request, is ignored; every other X error goes to the handler that had it.
void tolerateSharedContextTeardown();
