// Whole files as byte strings, for the entry's tests of the files it keeps.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

inline void Write(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string Read(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
