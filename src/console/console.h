#pragma once

#include <cstdio>
#include <string>
#include <vector>

// Every line the system prints goes through consolePrintf. Where it lands can be swapped: the
// viewer prints to standard output (line-buffered), the command-line modes to standard error
// so that their standard output carries only their own output, tests into a string and
// benchmarks and fuzzing nowhere.
enum class ConsoleTarget { StandardOutput, StandardError, Discard, Buffer };

void consolePrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// A loader's problem line (not progress): printed as consolePrintf prints it, and kept by the
// ProblemLog that is open, so that a caller learns what went wrong from the load itself.
void consoleProblem(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Keeps the problem lines printed during its lifetime, without their line ends. Logs nest: the
// innermost open one keeps the lines.
class ProblemLog {
  public:
    ProblemLog();
    ~ProblemLog();
    ProblemLog(const ProblemLog&) = delete;
    ProblemLog& operator=(const ProblemLog&) = delete;

    const std::vector<std::string>& lines() const { return lines_; }

  private:
    friend void consoleProblem(const char* format, ...);
    ProblemLog* outer_;
    std::vector<std::string> lines_;
};

// Pushes out what is printed so far, for a prompt that waits for an answer.
void consoleFlush();

// Sends every later line to target. Buffer appends to the text consoleBufferText returns.
void setConsoleTarget(ConsoleTarget target);
ConsoleTarget consoleTarget();

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
