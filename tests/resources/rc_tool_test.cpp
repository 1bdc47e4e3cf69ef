// The resource compiler as the build runs it: malformed scripts are refused
// with a message naming the line and a non-zero exit; a good one gives a
// source and a depfile that names every file it read.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

class RcTool : public testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::path(testing::TempDir()) / ("zarnok_rc_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                               "_" + testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        for (const char* name : {"tiny.bmp", "tiny.ico", "tiny.wav"}) fs::copy_file(fs::path(FIXTURE_DIR) / name, dir_ / name);
    }
    void TearDown() override { fs::remove_all(dir_); }

    // Runs the tool on `script`; returns its exit status, its stderr in `messages`.
    int Run(const std::string& script, std::string& messages) {
        std::ofstream(dir_ / "s.rc") << script;
        return RunOn(dir_ / "s.rc", messages);
    }
    // The time limit turns a read without end into a failure.
    int RunOn(const fs::path& script, std::string& messages) {
        std::string command = std::string("timeout 30 \"") + RC_TOOL + "\" \"" + script.string() + "\" \"" +
                              (dir_ / "out.cpp").string() + "\" \"" + (dir_ / "out.d").string() + "\" 2> \"" +
                              (dir_ / "err.txt").string() + "\"";
        int status = std::system(command.c_str());
        messages = Read(dir_ / "err.txt");
        return status;
    }
    static std::string Read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    fs::path dir_;
};

TEST_F(RcTool, RefusesMalformedScripts) {
    struct Case {
        const char* script;
        const char* message;
    };
    const Case cases[] = {
        {"1 BITMAP \"missing.bmp\"\n", "s.rc:1: cannot open \"missing.bmp\""},
        {"\n1 BITMAP \"tiny.wav\"\n", "s.rc:2: \"tiny.wav\" is not a BMP file"},
        {"1 ICON \"tiny.bmp\"\n", "is not an icon file"},
        {"1 BITMAP 42\n", "expected a file name in quotes, found '42'"},
        {"1 BITMAP \"tiny.bmp\n", "unterminated string"},
        {"1 BITMAP \"tiny.bmp\"\n1 BITMAP \"tiny.bmp\"\n", "s.rc:2: resource 1 is defined twice"},
        {"70000 BITMAP \"tiny.bmp\"\n", "is above 65535"},
        {"1 DIALOG \"tiny.bmp\"\n", "resource type DIALOG is not supported"},
        {"1 WAVE { 1, 2 }\n", "inline resource data is not supported"},
        {"STRINGTABLE\nBEGIN\n 1, \"a\"\n", "STRINGTABLE is not closed"},
        {"STRINGTABLE\nBEGIN\n 1, \"a\"\n 1, \"b\"\nEND\n", "s.rc:4: string id 1 is defined twice"},
        {"STRINGTABLE\nBEGIN\n 1 2\nEND\n", "expected a string after string id 1"},
        {"STRINGTABLE { \"a\" }\n", "expected string id"},
        {"STRINGTABLE\nBEGIN\n 1, \"a\\q\"\nEND\n", "unknown escape"},
        {"#include <windows.h>\n", "preprocessor directives are not supported"},
        {"1 BITMAP \"tiny.bmp\" /* open\n", "unterminated comment"},
        {"12x BITMAP \"tiny.bmp\"\n", "malformed number"},
        {"1 BITMAP\n", "expected a file name in quotes, found end of file"},
        {"@\n", "unexpected character '@'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        std::string messages;
        EXPECT_NE(Run(c.script, messages), 0);
        EXPECT_NE(messages.find(c.message), std::string::npos) << messages;
        EXPECT_NE(messages.find("error"), std::string::npos) << messages;
    }
}

// A name that is not a regular file is refused with one line naming the
// script line and status 1: no abort, no wait on a FIFO, no read without end.
TEST_F(RcTool, RefusesNamesThatAreNotRegularFiles) {
    using namespace std::string_literals;
    ASSERT_EQ(mkfifo((dir_ / "fifo").c_str(), 0600), 0);
    fs::create_directory(dir_ / "folder");
    struct Case {
        std::string script;
        std::string message;
    };
    const Case cases[] = {
        {"1 RCDATA \".\"\n", "s.rc:1: \".\" is a folder, not a file"},
        {"\n1 BITMAP \"folder\"\n", "s.rc:2: \"folder\" is a folder, not a file"},
        {"1 RCDATA \"\"\n", "s.rc:1: empty file name"},
        {"1 RCDATA \"a\\0b\"\n", "s.rc:1: \"a\\0b\": a file name cannot hold a NUL byte"},
        {"1 RCDATA \"a\0b\"\n"s, "s.rc:1: \"a\\0b\": a file name cannot hold a NUL byte"},
        {"1 RCDATA \"/dev/zero\"\n", "s.rc:1: \"/dev/zero\" is not a regular file"},
        {"1 WAVE \"fifo\"\n", "s.rc:1: \"fifo\" is not a regular file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        std::string messages;
        const int status = Run(c.script, messages);
        ASSERT_TRUE(WIFEXITED(status)) << status;
        EXPECT_EQ(WEXITSTATUS(status), 1) << messages;
        EXPECT_EQ(messages.rfind("zarnok_rc: error: ", 0), 0u) << messages;
        EXPECT_NE(messages.find(c.message), std::string::npos) << messages;
        EXPECT_EQ(std::count(messages.begin(), messages.end(), '\n'), 1) << messages;
    }
    std::string messages;
    const int status = RunOn(dir_ / "folder", messages);
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 1) << messages;
    EXPECT_NE(messages.find("the resource script \"" + (dir_ / "folder").string() + "\" is a folder, not a file"), std::string::npos) << messages;
}

TEST_F(RcTool, WritesSourceAndDepfileForAGoodScript) {
    std::string messages;
    ASSERT_EQ(Run("// comment\nLANGUAGE 9, 1\n1 BITMAP \"tiny.bmp\"\n2 ICON \"tiny.ico\"\n3 WAVE \"tiny.wav\"\n"
                  "STRINGTABLE DISCARDABLE { 1 \"x\"\"y\" }\n",
                  messages),
              0)
        << messages;
    std::string source = Read(dir_ / "out.cpp");
    EXPECT_NE(source.find("layer::RegisterResources(kEntries, 6u)"), std::string::npos) << "bitmap, 2 icon images, group, wave, strings";
    EXPECT_NE(source.find("\"WAVE\""), std::string::npos);
    std::string deps = Read(dir_ / "out.d");
    for (const char* name : {"tiny.bmp", "tiny.ico", "tiny.wav"}) EXPECT_NE(deps.find(name), std::string::npos) << deps;
    EXPECT_EQ(deps.rfind((dir_ / "out.cpp").string() + ":", 0), 0u) << deps;
}

}  // namespace
