#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "io/result.h"

// Saves bytes at path as pose files are saved (beside the target, renamed over it once
// complete; links, modes and write protection kept). Fails with the reason.
Result<> replaceFile(const std::string& path, const std::vector<uint8_t>& bytes);
