// Fills the modes into a template of the manual page or the shell completion, from the table of
// modes and what CLI11 knows of each, so that neither can drift from the program.
//   mode-docs TEMPLATE OUTPUT
// The template's markers: %MODE_SYNOPSES% (the manual's synopsis of each mode), %MODES% (their
// options), %VALUE_OPTIONS% (the options that take a value, as a case pattern) and
// %MODE_OPTIONS% (a case line for each mode with the options it takes).

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/mode_table.h"
#include "io/file_saving.h"

namespace {

std::string roff(const std::string& text) {
    std::string out;
    for (char c : text) out += c == '-' ? std::string("\\-") : std::string(1, c);
    return out;
}

// One macro line: text in font, bracketed when open, then the roman close ("]", "...").
std::string macroLine(char font, const std::string& text, bool open, const std::string& close) {
    const std::string tail = close.empty() ? "" : " " + close;
    if (open) return std::string(".R") + font + " [ " + text + tail + "\n";
    if (!close.empty()) return std::string(".") + font + "R " + text + tail + "\n";
    return std::string(".") + font + " " + text + "\n";
}

std::string manSynopses() {
    std::string out;
    for (const CliMode& mode : cliModes()) {
        out += ".SY veldraxis\\-viewer\n.B " + roff(mode.option) + "\n";
        for (const UsageWord& word : modeUsage(mode)) {
            const std::string close =
                std::string(word.optional ? "]" : "") + (word.repeated ? "..." : "");
            const bool option = word.name[0] == '-';
            if (word.value.empty()) {
                out += macroLine(option ? 'B' : 'I', roff(word.name), word.optional, close);
            } else {
                out += macroLine('B', roff(word.name), word.optional, "") +
                       macroLine('I', roff(word.value), false, close);
            }
        }
        out += ".YS\n";
    }
    return out;
}

std::string modeList() {
    std::string out;
    for (const CliMode& mode : cliModes())
        out += (out.empty() ? "" : " ") + std::string(mode.option);
    return out;
}

std::string valueOptions() {
    std::vector<std::string> names;
    for (const CliMode& mode : cliModes()) {
        for (const UsageWord& word : modeUsage(mode)) {
            if (word.value.empty()) continue;
            bool known = false;
            for (const std::string& name : names) known = known || name == word.name;
            if (!known) names.push_back(word.name);
        }
    }
    std::string out;
    for (const std::string& name : names) out += (out.empty() ? "" : " | ") + name;
    return out;
}

std::string modeOptionCases() {
    std::string out;
    for (const CliMode& mode : cliModes()) {
        std::string options;
        for (const UsageWord& word : modeUsage(mode)) {
            if (word.name[0] == '-') options += word.name + " ";
        }
        out += "        " + std::string(mode.option) + ") options='" + options + "--help' ;;\n";
    }
    return out;
}

void replaceAll(std::string& text, const std::string& marker, const std::string& by) {
    for (size_t at = text.find(marker); at != std::string::npos; at = text.find(marker, at)) {
        text.replace(at, marker.size(), by);
        at += by.size();
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: mode-docs TEMPLATE OUTPUT\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    std::stringstream read;
    read << in.rdbuf();
    if (!in) {
        std::fprintf(stderr, "%s: cannot read\n", argv[1]);
        return 1;
    }
    std::string text = read.str();
    replaceAll(text, "%MODE_SYNOPSES%\n", manSynopses());
    replaceAll(text, "%MODE_OPTIONS%\n", modeOptionCases());
    replaceAll(text, "%MODES%", modeList());
    replaceAll(text, "%VALUE_OPTIONS%", valueOptions());
    const SaveResult saved = saveFile(argv[2], std::vector<uint8_t>(text.begin(), text.end()));
    if (saved.outcome != SaveOutcome::Saved) {
        std::fprintf(stderr, "%s: %s\n", argv[2], std::strerror(saved.error));
        return 1;
    }
    return 0;
}
