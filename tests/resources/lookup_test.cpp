// The resource functions over the fixture script (fixture/test.rc), whose
// generated source this test binary links: lookup, layouts, strings, icons.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "res_file.h"
#include "seam/resources.h"

namespace {

std::vector<std::uint8_t> ReadFixture(const std::string& name) {
    std::ifstream in(std::string(FIXTURE_DIR) + "/" + name, std::ios::binary);
    EXPECT_TRUE(in) << name;
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::uint8_t> Bytes(HMODULE module, LPCSTR name, LPCSTR type) {
    HRSRC found = FindResourceA(module, name, type);
    if (found == nullptr) return {};
    HGLOBAL loaded = LoadResource(module, found);
    EXPECT_NE(loaded, nullptr);
    const auto* data = static_cast<const std::uint8_t*>(LockResource(loaded));
    EXPECT_NE(data, nullptr);
    return {data, data + SizeofResource(module, found)};
}

TEST(ResourceLookup, FileResourcesHoldTheBytesWindowsStores) {
    std::vector<std::uint8_t> bmp = ReadFixture("tiny.bmp");
    std::vector<std::uint8_t> wav = ReadFixture("tiny.wav");
    ASSERT_GT(bmp.size(), 14u);
    std::vector<std::uint8_t> dib(bmp.begin() + 14, bmp.end());

    struct Case {
        HMODULE module;
        LPCSTR name;
        LPCSTR type;
        const std::vector<std::uint8_t>* expected;
    };
    HMODULE exe = GetModuleHandleA(nullptr);
    const Case cases[] = {
        {nullptr, MAKEINTRESOURCEA(20), RT_BITMAP, &dib},
        {exe, MAKEINTRESOURCEA(20), RT_BITMAP, &dib},
        {nullptr, MAKEINTRESOURCEA(21), RT_BITMAP, &dib},
        {nullptr, "#20", RT_BITMAP, &dib},
        {nullptr, MAKEINTRESOURCEA(30), "WAVE", &wav},
        {nullptr, MAKEINTRESOURCEA(30), "wave", &wav},
        {nullptr, "SOUND", "WAVE", &wav},
        {nullptr, "sound", "Wave", &wav},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(IS_INTRESOURCE(c.name) ? std::to_string(reinterpret_cast<std::uintptr_t>(c.name)) : c.name);
        EXPECT_EQ(Bytes(c.module, c.name, c.type), *c.expected);
    }
}

TEST(ResourceLookup, MissingResourcesAreNull) {
    struct Case {
        HMODULE module;
        LPCSTR name;
        LPCSTR type;
        DWORD error;
    };
    static int otherModule;
    const Case cases[] = {
        {nullptr, MAKEINTRESOURCEA(22), RT_BITMAP, ERROR_RESOURCE_NAME_NOT_FOUND},  // no such id
        {nullptr, MAKEINTRESOURCEA(30), RT_BITMAP, ERROR_RESOURCE_NAME_NOT_FOUND},  // id of another type
        {nullptr, MAKEINTRESOURCEA(20), "SOUND", ERROR_RESOURCE_TYPE_NOT_FOUND},    // no such type
        {nullptr, MAKEINTRESOURCEA(20), RT_RCDATA, ERROR_RESOURCE_TYPE_NOT_FOUND},
        {nullptr, "NOISE", "WAVE", ERROR_RESOURCE_NAME_NOT_FOUND},
        {nullptr, "#", RT_BITMAP, ERROR_RESOURCE_NAME_NOT_FOUND},  // not a number: a name nobody has
        {reinterpret_cast<HMODULE>(&otherModule), MAKEINTRESOURCEA(20), RT_BITMAP, ERROR_RESOURCE_DATA_NOT_FOUND},
        {nullptr, nullptr, RT_BITMAP, ERROR_INVALID_PARAMETER},
        {nullptr, MAKEINTRESOURCEA(20), nullptr, ERROR_INVALID_PARAMETER},
    };
    for (const Case& c : cases) {
        SetLastError(0);
        EXPECT_EQ(FindResourceA(c.module, c.name, c.type), nullptr);
        EXPECT_EQ(GetLastError(), c.error);
    }
    EXPECT_EQ(LoadResource(nullptr, nullptr), nullptr);
    EXPECT_EQ(SizeofResource(nullptr, nullptr), 0u);
    EXPECT_EQ(LockResource(nullptr), nullptr);
}

// Strings live in blocks of 16: block id / 16 + 1, each string a length word
// and its UTF-16 units, the unused slots of a block as zero lengths.
TEST(ResourceLookup, StringsAreStoredSixteenToABlock) {
    std::vector<std::uint8_t> block1 = Bytes(nullptr, MAKEINTRESOURCEA(1), RT_STRING);
    std::vector<std::uint8_t> block2 = Bytes(nullptr, MAKEINTRESOURCEA(2), RT_STRING);
    auto words = [](const std::vector<std::uint8_t>& bytes) {
        std::vector<std::uint16_t> out;
        for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) out.push_back(static_cast<std::uint16_t>(bytes[i] | bytes[i + 1] << 8));
        return out;
    };
    auto units = [](std::initializer_list<std::uint16_t> head, const char* text) {
        std::vector<std::uint16_t> out(head);
        out.push_back(static_cast<std::uint16_t>(std::strlen(text)));
        for (const char* p = text; *p; ++p) out.push_back(static_cast<std::uint16_t>(*p));
        return out;
    };
    // Block 1: ids 0..15, with 1 and 15 present.
    std::vector<std::uint16_t> expected1 = units({0}, "First");
    expected1.insert(expected1.end(), 13, 0);  // ids 2..14
    std::vector<std::uint16_t> tail = units({}, "Fifteen");
    expected1.insert(expected1.end(), tail.begin(), tail.end());
    EXPECT_EQ(words(block1), expected1);
    // Block 2: ids 16..31, 16 and 17 present.
    std::vector<std::uint16_t> expected2 = units({}, "Sixteen");
    tail = units({}, "Seventeen");
    expected2.insert(expected2.end(), tail.begin(), tail.end());
    expected2.insert(expected2.end(), 14, 0);
    EXPECT_EQ(words(block2), expected2);
    EXPECT_EQ(FindResourceA(nullptr, MAKEINTRESOURCEA(4), RT_STRING), nullptr);  // ids 48..63: none
}

TEST(ResourceLookup, LoadStringCopiesTerminatesAndTruncates) {
    struct Case {
        UINT id;
        int bufferMax;
        int result;
        const char* text;
    };
    const Case cases[] = {
        {1, 64, 5, "First"},
        {15, 64, 7, "Fifteen"},
        {16, 64, 7, "Sixteen"},
        {17, 64, 9, "Seventeen"},
        {40, 64, 34, "A line long enough to be cut short"},
        {40, 7, 6, "A line"},       // bufferMax - 1 characters and the terminator
        {17, 10, 9, "Seventeen"},   // exactly fits
        {17, 9, 8, "Seventee"},
        {1, 1, 0, ""},
        {0, 64, 0, ""},             // an empty slot in a present block
        {2, 64, 0, ""},
        {41, 64, 0, ""},            // a slot of a block that holds other strings
        {100, 64, 0, ""},           // a block that does not exist
        {70000, 64, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("id " + std::to_string(c.id) + " max " + std::to_string(c.bufferMax));
        char buffer[64];
        std::memset(buffer, 'x', sizeof buffer);
        EXPECT_EQ(LoadStringA(nullptr, c.id, buffer, c.bufferMax), c.result);
        EXPECT_STREQ(buffer, c.text);
        if (c.bufferMax < 64) {
            EXPECT_EQ(buffer[c.bufferMax], 'x') << "wrote past bufferMax";
        }
    }
    char untouched = 'x';
    EXPECT_EQ(LoadStringA(nullptr, 1, &untouched, 0), 0);
    EXPECT_EQ(untouched, 'x');
    EXPECT_EQ(LoadStringA(nullptr, 1, nullptr, 10), 0);
}

TEST(ResourceLookup, IconGroupsNameTheirImages) {
    HINSTANCE exe = GetModuleHandleA(nullptr);
    std::vector<std::uint8_t> ico = ReadFixture("tiny.ico");
    std::vector<std::uint8_t> group = Bytes(nullptr, MAKEINTRESOURCEA(7), RT_GROUP_ICON);
    ASSERT_EQ(group.size(), 6u + 2 * 14u);
    EXPECT_EQ(std::vector<std::uint8_t>(group.begin(), group.begin() + 6),
              std::vector<std::uint8_t>(ico.begin(), ico.begin() + 6));
    for (int i = 0; i < 2; ++i) {
        const std::uint8_t* entry = &group[6 + 14 * static_cast<std::size_t>(i)];
        const std::uint8_t* fileEntry = &ico[6 + 16 * static_cast<std::size_t>(i)];
        EXPECT_EQ(0, std::memcmp(entry, fileEntry, 12)) << "image " << i;
        int imageId = entry[12] | entry[13] << 8;
        std::uint32_t size = fileEntry[8] | fileEntry[9] << 8 | fileEntry[10] << 16 | static_cast<std::uint32_t>(fileEntry[11]) << 24;
        std::uint32_t offset = fileEntry[12] | fileEntry[13] << 8 | fileEntry[14] << 16 | static_cast<std::uint32_t>(fileEntry[15]) << 24;
        EXPECT_EQ(Bytes(nullptr, MAKEINTRESOURCEA(imageId), RT_ICON),
                  std::vector<std::uint8_t>(ico.begin() + offset, ico.begin() + offset + size));
    }

    HICON icon = LoadIconA(exe, MAKEINTRESOURCEA(7));
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(LoadIconA(exe, MAKEINTRESOURCEA(7)), icon);
    EXPECT_EQ(LoadIconA(exe, MAKEINTRESOURCEA(8)), nullptr);
    EXPECT_EQ(LoadIconA(exe, MAKEINTRESOURCEA(20)), nullptr);  // a bitmap, not an icon

    for (int size : {16, 32}) {
        std::vector<std::uint32_t> pixels;
        int w = 0, h = 0;
        ASSERT_TRUE(seam::DecodeIcon(icon, size, pixels, w, h));
        EXPECT_EQ(w, size);
        EXPECT_EQ(h, size);
        ASSERT_EQ(pixels.size(), static_cast<std::size_t>(size * size));
        EXPECT_EQ(pixels[0], 0u) << "masked corner";
        EXPECT_EQ(pixels[1], 0xFF0000FFu) << "blue border";
        EXPECT_EQ(pixels[static_cast<std::size_t>(size + 1)], 0xFFFF0000u) << "red inside";
    }
    std::vector<std::uint32_t> pixels;
    int w = 0, h = 0;
    EXPECT_FALSE(seam::DecodeIcon(reinterpret_cast<HICON>(&w), 32, pixels, w, h));
}

}  // namespace

namespace {

TEST(ResourceLookup, MatchesWhatWindresMakesOfTheSameScript) {
    std::string windres = WINDRES;
    if (windres.empty()) GTEST_SKIP() << "no windres on this machine";
    std::vector<ResEntry> entries = CompileWithWindres(windres, FIXTURE_DIR, "test.rc");
    ASSERT_GE(entries.size(), 9u);  // 2 icon images, group, 2 bitmaps, 2 waves, 2 string blocks
    for (const ResEntry& e : entries) {
        SCOPED_TRACE(e.Describe());
        EXPECT_EQ(Bytes(nullptr, e.Name(), e.Type()), e.data);
    }
}

}  // namespace
