#include "cli/progress_line.h"

#include <unistd.h>

#include <chrono>
#include <cinttypes>
#include <cstdio>

namespace {

int64_t nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

ProgressLine::ProgressLine() : terminal_(::isatty(STDERR_FILENO) == 1) {}

ProgressLine::~ProgressLine() {
    clear();
}

void ProgressLine::show(const std::string& text, bool force) {
    if (!terminal_) return;
    const int64_t now = nowMs();
    if (!force && drawn_ && now - lastDrawMs_ < 100) return;
    lastDrawMs_ = now;
    drawn_ = true;
    std::fprintf(stderr, "\r\33[2K%s", text.c_str());
    std::fflush(stderr);
}

void ProgressLine::count(const std::string& name, uint64_t done, uint64_t total, const char* unit) {
    if (!terminal_) return;
    char text[64];
    std::snprintf(text, sizeof text, ": %" PRIu64 " of %" PRIu64 " %s", done, total, unit);
    show(name + text);
}

void ProgressLine::clear() {
    if (!terminal_ || !drawn_) return;
    std::fprintf(stderr, "\r\33[2K");
    std::fflush(stderr);
    drawn_ = false;
}
