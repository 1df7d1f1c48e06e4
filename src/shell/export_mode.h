#pragma once

// The command-line export: veldraxis-viewer --export OUT [--pose POSEFILE]... [ARCHIVE].
// Loads the archive (the demo model without one) exactly as the viewer does, without GLUT or a
// display, and writes it as glTF. Exit status 0, 1 on a failure (one line on standard error),
// 2 on a usage error.
constexpr const char* kExportOption = "--export";

int runExportMode(int argc, char** argv);
