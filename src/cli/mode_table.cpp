#include "cli/mode_table.h"

#include <CLI/CLI.hpp>
#include <algorithm>

namespace {

// Filled by the registrations before main, sorted as each arrives.
std::vector<CliMode>& registeredModes() {
    static std::vector<CliMode> modes;
    return modes;
}

}  // namespace

ModeRegistration::ModeRegistration(const CliMode& mode) {
    std::vector<CliMode>& modes = registeredModes();
    const auto later = std::find_if(modes.begin(), modes.end(),
                                    [&](const CliMode& other) { return other.order > mode.order; });
    modes.insert(later, mode);
}

const std::vector<CliMode>& cliModes() {
    return registeredModes();
}

std::vector<UsageWord> modeUsage(const CliMode& mode) {
    CLI::App app;
    mode.declare(app);
    std::vector<UsageWord> positionals, options;
    for (const CLI::Option* option : app.get_options()) {
        if (option == app.get_help_ptr()) continue;
        const bool takesValue = option->get_type_size() != 0;
        UsageWord word{option->get_name(false, true), "", !option->get_required(),
                       takesValue && option->get_items_expected_max() > 1};
        if (option->get_positional()) {
            positionals.push_back(word);
        } else {
            if (takesValue) word.value = option->get_type_name();
            options.push_back(word);
        }
    }
    std::vector<UsageWord> words = positionals;
    if (!words.empty()) words.pop_back();
    words.insert(words.end(), options.begin(), options.end());
    if (!positionals.empty()) words.push_back(positionals.back());
    return words;
}

std::string usageLine(const std::vector<UsageWord>& words) {
    std::string line;
    for (const UsageWord& word : words) {
        std::string text = word.value.empty() ? word.name : word.name + " " + word.value;
        if (word.optional) text = "[" + text + "]";
        if (word.repeated) text += "...";
        line += (line.empty() ? "" : " ") + text;
    }
    return line;
}
