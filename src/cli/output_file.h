#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Saves bytes at path as pose files are saved (beside the target, renamed over it once
// complete; links, modes and write protection kept). false with the reason in error.
bool replaceFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error);
