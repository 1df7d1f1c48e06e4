#pragma once

#include <string>
#include <vector>

// The folder walk's choices, apart from loading: which files a folder offers and in which order
// the walk tries them.

// The folder part of path ("" for a bare name, "/" for a file in the root).
std::string folderOf(const std::string& path);
// The name part of path.
std::string fileNameOf(const std::string& path);
// name in folder, written the way folderOf split it.
std::string pathIn(const std::string& folder, const std::string& name);

// The names of the regular files in folder (links followed), in natural order. Hidden names
// (a leading '.') are left out: they include the half-written files that saves rename over
// their targets. Empty when the folder cannot be read.
std::vector<std::string> walkableFiles(const std::string& folder);

// The names to try, in order, for the file after (direction +1) or before (-1) current among
// names (in natural order), wrapping around at the ends; current itself is not among them. A
// current name missing from names (removed) starts the walk where it would stand.
std::vector<std::string> walkCandidates(const std::vector<std::string>& names,
                                        const std::string& current, int direction);
