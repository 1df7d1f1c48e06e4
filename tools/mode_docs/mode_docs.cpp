// mode-docs TEMPLATE OUTPUT: the manual page or the shell completion with the modes filled in
// from the table of modes, so that neither can drift from the program. The markers:
// %MODE_SYNOPSES% (a line), %MODES%, %VALUE_OPTIONS% (those taking a value, as a case pattern)
// and %MODE_OPTIONS% (a line: each mode's case with its options).

#include <cstdio>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>

#include "cli/mode_table.h"
#include "io/file_saving.h"

namespace {

std::string roff(std::string text) {
    for (size_t at = text.find('-'); at != std::string::npos; at = text.find('-', at + 2)) {
        text.insert(at, "\\");
    }
    return text;
}

// One line of the synopsis: text in font, after "[ " when open, then close in roman.
std::string macro(char font, const std::string& text, bool open, const std::string& close) {
    const std::string tail = close.empty() ? "" : " " + close;
    if (open) return std::string(".R") + font + " [ " + text + tail + "\n";
    return std::string(".") + font + (close.empty() ? "" : "R") + " " + text + tail + "\n";
}

void replace(std::string& text, const std::string& marker, const std::string& by) {
    const size_t at = text.find(marker);
    if (at != std::string::npos) text.replace(at, marker.size(), by);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    std::string synopses, modes, cases, valued;
    std::set<std::string> seen;
    for (const CliMode& mode : cliModes()) {
        modes += std::string(modes.empty() ? "" : " ") + mode.option;
        synopses += ".SY veldraxis\\-viewer\n.B " + roff(mode.option) + "\n";
        std::string options;
        for (const UsageWord& word : modeUsage(mode)) {
            const std::string close =
                std::string(word.optional ? "]" : "") + (word.repeated ? "..." : "");
            const bool option = word.name[0] == '-';
            if (word.value.empty()) {
                synopses += macro(option ? 'B' : 'I', roff(word.name), word.optional, close);
            } else {
                synopses += macro('B', roff(word.name), word.optional, "") +
                            macro('I', word.value, false, close);
                if (seen.insert(word.name).second)
                    valued += (valued.empty() ? "" : " | ") + word.name;
            }
            if (option) options += word.name + " ";
        }
        synopses += ".YS\n";
        cases += "        " + std::string(mode.option) + ") options='" + options + "--help' ;;\n";
    }
    std::ifstream in(argv[1], std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    if (!in) {
        std::fprintf(stderr, "mode-docs: cannot read %s\n", argv[1]);
        return 1;
    }
    std::string out = text.str();
    replace(out, "%MODE_SYNOPSES%\n", synopses);
    replace(out, "%MODE_OPTIONS%\n", cases);
    replace(out, "%MODES%", modes);
    replace(out, "%VALUE_OPTIONS%", valued);
    const SaveResult saved = saveFile(argv[2], std::vector<uint8_t>(out.begin(), out.end()));
    if (saved.outcome != SaveOutcome::Saved) {
        std::fprintf(stderr, "mode-docs: %s: %s\n", argv[2], std::strerror(saved.error));
        return 1;
    }
    return 0;
}
