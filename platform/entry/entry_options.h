// The options the entry reads before the rest of the command line reaches
// the program. One table row per option, so a new one is a row and a branch
// in the entry, not a new parser.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace entry {

struct OptionRow {
    const char* name;     // "--window"
    const char* valueName;  // "DIR" for an option that takes a value, else nullptr
    const char* help;
};

struct ParsedOptions {
    std::map<std::string, std::string> given;  // option name -> value ("" for a flag)
    std::vector<std::string> rest;             // what the program receives
    std::string error;                         // set when the command line is refused

    bool Has(const std::string& name) const { return given.count(name) != 0; }
    std::string Value(const std::string& name) const {
        auto it = given.find(name);
        return it == given.end() ? std::string() : it->second;
    }
};

// Takes the table's options out of argv[1..]; "--name=value" and "--name
// value" both work. Anything else starting with '-' is refused, except after
// "--", which passes everything behind it on.
ParsedOptions ParseOptions(const std::vector<OptionRow>& table, int argc, const char* const* argv);

// The usage text: a line per option, aligned.
std::string Usage(const std::vector<OptionRow>& table, const std::string& program, const std::string& summary);

}  // namespace entry
