#pragma once

#include <functional>
#include <string>

// text as it is when width says it fits maxWidth, else its start and end around a middle "…"
// (U+2026), as much of both as fits. Cuts fall between UTF-8 characters, never inside one.
std::string shortenInMiddle(const std::string& text, float maxWidth,
                            const std::function<float(const std::string&)>& width);
