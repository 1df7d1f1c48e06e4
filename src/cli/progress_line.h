#pragma once

#include <cstdint>
#include <string>

// One line on a terminal's standard error kept up to date while a long run goes on ("[k/n]
// NAME", "sectors done of all"); nothing at all when standard error is not a terminal.
class ProgressLine {
  public:
    ProgressLine();
    ~ProgressLine();
    bool shown() const { return terminal_; }
    // Shows text in place of the line; redrawn at most a few times a second unless forced.
    void show(const std::string& text, bool force = false);
    // "NAME: done of total sectors" (or bytes).
    void count(const std::string& name, uint64_t done, uint64_t total, const char* unit);
    void clear();

  private:
    bool terminal_;
    bool drawn_ = false;
    int64_t lastDrawMs_ = 0;
};
