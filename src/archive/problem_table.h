#pragma once

#include <string>

#include "archive/archive_problem.h"

// The one table of archive problems: each code's stable lower-case name (a public interface:
// --info --json gives it), the loader that meets it, and the line that loader prints for it.

const char* problemCodeName(ProblemCode code);
ProblemSource problemSource(ProblemCode code);
// The loader's line for the problem, with its line end.
std::string problemLine(const ArchiveProblem& problem);
