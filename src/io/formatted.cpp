#include "io/formatted.h"

#include <cstdio>

std::string formattedList(const char* format, std::va_list args) {
    std::va_list measure;
    va_copy(measure, args);
    const int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    std::string text(length > 0 ? static_cast<size_t>(length) : 0, '\0');
    if (length > 0) std::vsnprintf(&text[0], text.size() + 1, format, args);
    return text;
}

std::string formatted(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    std::string text = formattedList(format, args);
    va_end(args);
    return text;
}
