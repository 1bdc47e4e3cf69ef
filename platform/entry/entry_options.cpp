#include "entry_options.h"

#include <algorithm>

namespace entry {

namespace {

const OptionRow* Find(const std::vector<OptionRow>& table, const std::string& name) {
    for (const OptionRow& row : table)
        if (name == row.name) return &row;
    return nullptr;
}

}  // namespace

ParsedOptions ParseOptions(const std::vector<OptionRow>& table, int argc, const char* const* argv) {
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
        const OptionRow* row = Find(table, name);
        if (!row) {
            parsed.error = "unknown option '" + arg + "'";
            return parsed;
        }
        if (!row->valueName) {
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
            parsed.error = "option '" + name + "' needs " + row->valueName;
            return parsed;
        }
        if (parsed.given[name].empty()) {
            parsed.error = "option '" + name + "' needs " + row->valueName;
            return parsed;
        }
    }
    return parsed;
}

std::string Usage(const std::vector<OptionRow>& table, const std::string& program, const std::string& summary) {
    std::string text = "Usage: " + program + " [OPTION]...\n" + summary + "\n\nOptions:\n";
    std::size_t width = 0;
    for (const OptionRow& row : table)
        width = std::max(width, std::string(row.name).size() + (row.valueName ? 1 + std::string(row.valueName).size() : 0));
    for (const OptionRow& row : table) {
        std::string left = row.name;
        if (row.valueName) left += std::string(" ") + row.valueName;
        text += "  " + left + std::string(width - left.size() + 2, ' ') + row.help + "\n";
    }
    return text;
}

}  // namespace entry
