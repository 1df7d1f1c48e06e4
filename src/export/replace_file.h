#pragma once

#include <string>

// Writes bytes to a temporary file beside path and renames it over path once every byte is on
// disk, so a failed write leaves whatever path held before. false with the reason in error.
bool replaceFile(const std::string& path, const std::string& bytes, std::string& error);
