#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

// Every line the system prints goes through consolePrintf. Where it lands can be swapped: the
// viewer prints to standard output (line-buffered), the command-line modes to standard error
// so that their standard output carries only their own output, tests into a string and
// benchmarks and fuzzing nowhere.
enum class ConsoleTarget { StandardOutput, StandardError, Discard, Buffer };

void consolePrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Pushes out what is printed so far, for a prompt that waits for an answer.
void consoleFlush();

// Sends every later line to target. Buffer appends to the text consoleBufferText returns.
void setConsoleTarget(ConsoleTarget target);
ConsoleTarget consoleTarget();

// Runs once, just before the next print: a progress line on a terminal clears itself there, so
// that the lines printed meanwhile take its place. An empty function removes it.
void setBeforeNextPrint(std::function<void()> before);

// The text printed while the target was Buffer, since the last clearConsoleBuffer.
const std::string& consoleBufferText();
void clearConsoleBuffer();

// Collects the console into a string for its lifetime, then restores the previous target:
// for tests and for the modes that report what the loaders printed.
class ConsoleCapture {
  public:
    ConsoleCapture();
    ~ConsoleCapture();
    ConsoleCapture(const ConsoleCapture&) = delete;
    ConsoleCapture& operator=(const ConsoleCapture&) = delete;

    const std::string& text() const;

  private:
    ConsoleTarget previousTarget_;
    std::string previousText_;
};
