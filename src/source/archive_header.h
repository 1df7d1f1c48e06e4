#pragma once

#include <string>

// Whether the file at path begins as a model archive does: an entry count of 1 to 255, a table
// that fits the file, and every offset it gives inside the file. Reads at most the table (a few
// hundred bytes), so that the viewer's walk through a folder can pass over a large file that is
// not an archive (a video, a disc image) without reading it.
bool headerLooksLikeArchive(const std::string& path);
