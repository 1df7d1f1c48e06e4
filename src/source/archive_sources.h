#pragma once

#include <string>
#include <vector>

#include "source/source.h"

// The archives one argument stands for. A disc image, or a file holding archives at offsets (a
// container), stands for every archive found in it, in scan order; any other file, a member, an
// item at an offset, standard input and the demo stand for themselves, so that a damaged archive
// still reaches the loaders and their lines.
struct ArchiveSources {
    std::vector<Source> sources;
    std::string failure;  // one line when the argument cannot be read or holds no archive
};
ArchiveSources archivesOf(const Source& source);

// Whether path is a disc image this program reads (by content), so that the viewer's walk can
// go through its archives.
bool isDiscImage(const std::string& path);

// The file whose change means the source has changed: the file itself, or for a member the image;
// for a CUE sheet its data track, which is what tools rewrite. "" for the demo and standard
// input.
std::string fileToFollow(const Source& source);
