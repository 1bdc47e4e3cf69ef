#include "entry_options.h"

#include <algorithm>

namespace entry {

namespace {

const OptionSpec* Find(const std::vector<OptionSpec>& table, const std::string& name) {
    for (const OptionSpec& spec : table)
        if (name == spec.name) return &spec;
    return nullptr;
}

}  // namespace

ParsedOptions ParseOptions(const std::vector<OptionSpec>& table, int argc, const char* const* argv) {
    ParsedOptions parsed;
    bool optionsOver = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (optionsOver || arg.empty() || arg[0] != '-' || arg == "-") {
            parsed.rest.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsOver = true;
            continue;
        }
        const std::string::size_type equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        const OptionSpec* spec = Find(table, name);
        if (!spec) {
            parsed.error = "unknown option '" + arg + "'";
            return parsed;
        }
        if (!spec->valueName) {
            if (equals != std::string::npos) {
                parsed.error = "option '" + name + "' takes no value";
                return parsed;
            }
            parsed.given[name] = "";
            continue;
        }
        if (equals != std::string::npos) {
            parsed.given[name] = arg.substr(equals + 1);
        } else if (i + 1 < argc) {
            parsed.given[name] = argv[++i];
        } else {
            parsed.error = "option '" + name + "' needs " + spec->valueName;
            return parsed;
        }
        if (parsed.given[name].empty()) {
            parsed.error = "option '" + name + "' needs " + spec->valueName;
            return parsed;
        }
    }
    return parsed;
}

std::string Usage(const std::vector<OptionSpec>& table, const std::string& program, const std::string& summary) {
    std::string text = "Usage: " + program + " [OPTION]...\n" + summary + "\n\nOptions:\n";
    std::size_t width = 0;
    for (const OptionSpec& spec : table)
        width = std::max(width, std::string(spec.name).size() + (spec.valueName ? 1 + std::string(spec.valueName).size() : 0));
    for (const OptionSpec& spec : table) {
        std::string left = spec.name;
        if (spec.valueName) left += std::string(" ") + spec.valueName;
        text += "  " + left + std::string(width - left.size() + 2, ' ') + spec.help + "\n";
    }
    return text;
}

}  // namespace entry
