#include "console/console.h"

#include <cstdarg>
#include <cstdio>
#include <string>
#include <utility>

namespace {

// One thread prints; the state is the console's own and needs no lock.
ConsoleTarget currentTarget = ConsoleTarget::StandardOutput;
std::string bufferText;
ProblemLog* openLog = nullptr;

// The text format and args make; args is used up.
std::string formatted(const char* format, std::va_list args) {
    std::va_list measure;
    va_copy(measure, args);
    const int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    std::string text(length > 0 ? static_cast<size_t>(length) : 0, '\0');
    if (length > 0) std::vsnprintf(&text[0], text.size() + 1, format, args);
    return text;
}

}  // namespace

void consolePrintf(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    switch (currentTarget) {
        case ConsoleTarget::StandardOutput:
            std::vfprintf(stdout, format, args);
            break;
        case ConsoleTarget::StandardError:
            std::vfprintf(stderr, format, args);
            break;
        case ConsoleTarget::Discard:
            break;
        case ConsoleTarget::Buffer:
            bufferText += formatted(format, args);
            break;
    }
    va_end(args);
}

void consoleProblem(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    std::string line = formatted(format, args);
    va_end(args);
    consolePrintf("%s", line.c_str());
    if (!openLog) return;
    while (!line.empty() && line.back() == '\n') line.pop_back();
    openLog->lines_.push_back(std::move(line));
}

ProblemLog::ProblemLog() : outer_(openLog) {
    openLog = this;
}

ProblemLog::~ProblemLog() {
    openLog = outer_;
}

void consoleFlush() {
    if (currentTarget == ConsoleTarget::StandardOutput) std::fflush(stdout);
    if (currentTarget == ConsoleTarget::StandardError) std::fflush(stderr);
}

void setConsoleTarget(ConsoleTarget target) {
    currentTarget = target;
}

ConsoleTarget consoleTarget() {
    return currentTarget;
}

const std::string& consoleBufferText() {
    return bufferText;
}

void clearConsoleBuffer() {
    bufferText.clear();
}

ConsoleCapture::ConsoleCapture()
    : previousTarget_(currentTarget), previousText_(std::exchange(bufferText, std::string())) {
    currentTarget = ConsoleTarget::Buffer;
}

ConsoleCapture::~ConsoleCapture() {
    currentTarget = previousTarget_;
    bufferText = std::move(previousText_);
}

const std::string& ConsoleCapture::text() const {
    return bufferText;
}
