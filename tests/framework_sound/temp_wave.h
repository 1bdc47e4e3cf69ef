// A wave image written to a file of its own for the file-name forms, removed
// when the test is done.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "../platform_sound/riff_builder.h"

class TempWave {
public:
    explicit TempWave(const riff::Bytes& bytes) {
        char name[] = "wave_XXXXXX";
        const int fd = mkstemp(name);
        EXPECT_GE(fd, 0);
        EXPECT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
        close(fd);
        path = name;
    }
    ~TempWave() { std::remove(path.c_str()); }
    TempWave(const TempWave&) = delete;
    TempWave& operator=(const TempWave&) = delete;

    char* Name() { return path.data(); }

private:
    std::string path;
};
