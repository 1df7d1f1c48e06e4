#pragma once

#include <cstdarg>
#include <string>

// printf-style text into a string of whatever length it takes.
std::string formatted(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string formattedList(const char* format, std::va_list args);
