#pragma once

#include <string>
#include <vector>

#include "source/source.h"

// Where a mode's output goes, decided before anything is read. OUT is a file, which must carry
// one of the mode's endings (any letter case), or a folder: an existing one or a name ending in
// '/', which receives NAME<folderEnding> for each archive NAME.bin. Several archives need a
// folder.
struct OutputPlan {
    bool folder = false;
    std::string folderPath;          // made, with its parents, by makeOutputFolder
    std::vector<std::string> files;  // one per archive, in order
};

// Whether an output names a folder: an existing one, or a name ending in /.
bool namesFolder(const std::string& path);

// Fills plan; "" when the outputs are sound, else the usage problem (nothing is written).
// Also refuses two archives that would write the same file.
std::string planOutputs(const std::string& out, const std::vector<Source>& archives,
                        const std::vector<std::string>& endings, const std::string& folderEnding,
                        OutputPlan& plan);

// "" when no output is one of the inputs (the same file through any path, link or hard link),
// else the problem naming both.
std::string outputNamingInput(const std::vector<std::string>& outputs,
                              const std::vector<std::string>& inputs);
// The files on disk that sources are read from, for outputNamingInput.
std::vector<std::string> inputFiles(const std::vector<Source>& sources);

// Makes the plan's folder and its parents when missing. false with one line "FOLDER: reason".
bool makeOutputFolder(const OutputPlan& plan);

// true when path ends in ending, in any letter case.
bool hasEnding(const std::string& path, const std::string& ending);
