#include "console/console.h"

#include <cstdarg>
#include <cstdio>
#include <string>
#include <utility>

#include "io/formatted.h"

namespace {

// One thread prints; the state is the console's own and needs no lock.
ConsoleTarget currentTarget = ConsoleTarget::StandardOutput;
std::string bufferText;
std::function<void()> beforeNextPrint;

}  // namespace

void consolePrintf(const char* format, ...) {
    if (beforeNextPrint) std::exchange(beforeNextPrint, nullptr)();
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
            bufferText += formattedList(format, args);
            break;
    }
    va_end(args);
}

void setBeforeNextPrint(std::function<void()> before) {
    beforeNextPrint = std::move(before);
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
