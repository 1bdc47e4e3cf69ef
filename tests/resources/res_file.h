// windres's own compilation of a script, read back from its .res output, so
// that tests can hold the layer's resources against what Windows would get.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

struct ResEntry {
    bool typeIsName = false, nameIsName = false;
    std::uint16_t typeId = 0, nameId = 0;
    std::string typeName, name;
    std::vector<std::uint8_t> data;

    LPCSTR Type() const { return typeIsName ? typeName.c_str() : MAKEINTRESOURCEA(typeId); }
    LPCSTR Name() const { return nameIsName ? name.c_str() : MAKEINTRESOURCEA(nameId); }
    std::string Describe() const {
        return (typeIsName ? typeName : std::to_string(typeId)) + " / " + (nameIsName ? name : std::to_string(nameId));
    }
};

inline bool ReadResKey(const std::vector<std::uint8_t>& f, std::size_t& at, bool& isName, std::uint16_t& id,
                       std::string& name) {
    auto word = [&](std::size_t p) { return static_cast<std::uint16_t>(f[p] | f[p + 1] << 8); };
    if (at + 4 > f.size()) return false;
    if (word(at) == 0xFFFF) {
        isName = false;
        id = word(at + 2);
        at += 4;
        return true;
    }
    isName = true;
    for (; at + 2 <= f.size() && word(at) != 0; at += 2) name.push_back(static_cast<char>(word(at)));
    at += 2;
    return at <= f.size();
}

// Entries of a .res file: a DWORD-aligned run of headers (data size, header
// size, type, name, ...) each followed by its data; the first is empty.
inline std::vector<ResEntry> ReadRes(const std::vector<std::uint8_t>& f) {
    std::vector<ResEntry> out;
    auto dword = [&](std::size_t p) {
        return static_cast<std::uint32_t>(f[p] | f[p + 1] << 8 | f[p + 2] << 16) | static_cast<std::uint32_t>(f[p + 3]) << 24;
    };
    std::size_t at = 0;
    while (at + 8 <= f.size()) {
        std::uint32_t dataSize = dword(at), headerSize = dword(at + 4);
        std::size_t keys = at + 8;
        ResEntry e;
        if (!ReadResKey(f, keys, e.typeIsName, e.typeId, e.typeName) || !ReadResKey(f, keys, e.nameIsName, e.nameId, e.name))
            break;
        std::size_t data = at + headerSize;
        if (data + dataSize > f.size()) break;
        e.data.assign(f.begin() + static_cast<long>(data), f.begin() + static_cast<long>(data + dataSize));
        if (dataSize != 0 || headerSize != 32) out.push_back(std::move(e));
        at = (data + dataSize + 3) & ~static_cast<std::size_t>(3);
    }
    return out;
}

// Runs windres on `script` in `folder` and reads its output; empty on failure.
inline std::vector<ResEntry> CompileWithWindres(const std::string& windres, const std::string& folder,
                                                const std::string& script) {
    std::string res = testing::TempDir() + script + ".windres.res";
    std::string command = "\"" + windres + "\" -I \"" + folder + "\" -O res -o \"" + res + "\" \"" + folder + "/" + script + "\"";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    std::ifstream in(res, std::ios::binary);
    std::vector<ResEntry> entries = ReadRes({std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()});
    in.close();
    std::remove(res.c_str());
    return entries;
}
