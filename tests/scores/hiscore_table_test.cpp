// The best-score table as the title screen shows it: rows drawn from what the
// file holds, the file replaced by new entries, and the rows scrolling
// through the clipped box.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "scores/hiscore_table.h"
#include "scores/name_entry.h"
#include "scores/score_panel.h"
#include "shell/globals.h"
#include "surface_readback.h"

namespace fs = std::filesystem;
using scores_test::Image;
using scores_test::ReadBack;
using Bytes = std::vector<unsigned char>;

namespace {

const char* const kNames[10] = {"alice", "bob", "carol", "dave", "eve", "frank", "grace", "heidi", "ivan", "judy"};
const unsigned kScores[10] = {900, 800, 700, 600, 500, 400, 300, 200, 100, 50};

Bytes BuildFile() {
    Bytes bytes(180, 0);
    for (int i = 0; i < 10; ++i) {
        const std::string name = kNames[i];
        for (std::size_t c = 0; c < 16; ++c) bytes[i * 16 + c] = c < name.size() ? name[c] : ' ';
        bytes[160 + i * 2] = kScores[i] & 0xFF;
        bytes[161 + i * 2] = kScores[i] >> 8;
    }
    return bytes;
}

std::string Padded(const std::string& name) { return name + std::string(16 - name.size(), ' '); }

class HiscoreTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(scores_test::StartDisplay());
        folder = fs::temp_directory_path() /
                 ("zarnok_table_" + std::to_string(::getpid()) + "_" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
        path = (folder / "hiscores.zk").string();
        std::ofstream out(path, std::ios::binary);
        const Bytes bytes = BuildFile();
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    void TearDown() override { fs::remove_all(folder); }

    Bytes FileBytes() const {
        std::ifstream in(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }

    // Every row shows its entry's name and score.
    void ExpectRows(const HiscoreTable& table) {
        for (int i = 0; i < 10; ++i) {
            EXPECT_TRUE(scores_test::ShowsText(table.Line(i), table.Name(i))) << "row " << i;
            std::string digits = std::to_string(table.Score(i));
            digits.resize(5, '_');
            EXPECT_TRUE(scores_test::ShowsDigits(ReadBack(table.Counter(i).surface), 0, 0, digits)) << "row " << i;
        }
    }

    fs::path folder;
    std::string path;
};

TEST_F(HiscoreTableTest, BeforeReadingEveryRowSaysSo) {
    HiscoreTable table;
    EXPECT_TRUE(ReadBack(table.surface).SameBlock(0, 0, ReadBack(HiscoreTable::picture), 0, 0, 800, 600));
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(table.Line(i).x, 50);
        EXPECT_EQ(table.Line(i).y, 400 + 55 * i);
        EXPECT_EQ(table.Counter(i).x, 600);
        EXPECT_EQ(table.Counter(i).y, 404 + 55 * i);
        // The final d would end at 561, past the line's 530 pixels.
        EXPECT_TRUE(scores_test::ShowsText(table.Line(i), "no hiscores loade")) << i;
        EXPECT_TRUE(scores_test::ShowsDigits(ReadBack(table.Counter(i).surface), 0, 0, "0____")) << i;
        EXPECT_EQ(table.Score(i), 0);
    }
    EXPECT_EQ(table.TenthScore(), 0);
}

TEST_F(HiscoreTableTest, ReadingShowsWhatTheFileHolds) {
    HiscoreTable table;
    ASSERT_TRUE(table.LoadFromFile(path.c_str()));
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(table.Name(i), Padded(kNames[i]));
        EXPECT_EQ(table.Score(i), static_cast<int>(kScores[i]));
    }
    EXPECT_EQ(table.TenthScore(), 50);
    ExpectRows(table);
}

TEST_F(HiscoreTableTest, AMissingFileLeavesTheTableAsItWas) {
    HiscoreTable table;
    ASSERT_TRUE(table.LoadFromFile(path.c_str()));
    EXPECT_FALSE(table.LoadFromFile((folder / "absent.zk").string().c_str()));
    EXPECT_EQ(table.Name(0), Padded("alice"));
    ExpectRows(table);
}

TEST_F(HiscoreTableTest, AddingPlacesWritesAndReadsBack) {
    HiscoreTable table;
    ASSERT_TRUE(table.LoadFromFile(path.c_str()));
    ASSERT_TRUE(table.AddEntry("zed", 700, path.c_str()));
    EXPECT_EQ(table.Name(2), Padded("zed"));
    EXPECT_EQ(table.Name(3), Padded("carol"));
    EXPECT_EQ(table.Score(2), 700);
    EXPECT_EQ(table.TenthScore(), 100);  // judy fell out
    ASSERT_TRUE(table.AddEntry("big", 70000, path.c_str()));
    EXPECT_EQ(table.Name(0), Padded("big"));
    EXPECT_EQ(table.Score(0), 4464);
    EXPECT_EQ(FileBytes().size(), 180u);
    ExpectRows(table);
}

TEST_F(HiscoreTableTest, AScoreThatEarnsNoPlaceTouchesNothing) {
    HiscoreTable table;
    ASSERT_TRUE(table.LoadFromFile(path.c_str()));
    const auto stamp = fs::last_write_time(path);
    EXPECT_FALSE(table.AddEntry("low", 49, path.c_str()));
    EXPECT_EQ(FileBytes(), BuildFile());
    EXPECT_EQ(fs::last_write_time(path), stamp);
    EXPECT_EQ(table.TenthScore(), 50);
}

TEST_F(HiscoreTableTest, AFailedWriteShowsTheOldTable) {
    HiscoreTable table;
    ASSERT_TRUE(table.LoadFromFile(path.c_str()));
    // A file size limit stops the write half way, as a full disk would, and
    // stops root as well. Only the soft limit moves, so it can be put back.
    rlimit before{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
    const auto oldSignal = signal(SIGXFSZ, SIG_IGN);
    const rlimit small{100, before.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    testing::internal::CaptureStderr();
    const bool added = table.AddEntry("lost", 5000, path.c_str());
    const std::string said = testing::internal::GetCapturedStderr();
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &before), 0);
    signal(SIGXFSZ, oldSignal);
    EXPECT_FALSE(added);
    EXPECT_NE(said.find("not saved"), std::string::npos) << said;
    EXPECT_EQ(FileBytes(), BuildFile());
    EXPECT_EQ(table.Name(0), Padded("alice"));
    EXPECT_EQ(table.Score(0), 900);
    ExpectRows(table);
}

TEST_F(HiscoreTableTest, NamesAndCountersWrapIndependently) {
    HiscoreTable table;
    for (int step = 1; step <= 405; ++step) {
        table.ScrollStep();
        if (step == 400) {
            EXPECT_EQ(table.Line(0).y, 0);
            EXPECT_EQ(table.Counter(0).y, 4);
        }
        if (step == 401) {
            EXPECT_EQ(table.Line(0).y, 550);
            EXPECT_EQ(table.Counter(0).y, 3);
        }
    }
    EXPECT_EQ(table.Line(0).y, 546);
    EXPECT_EQ(table.Counter(0).y, 550);
    EXPECT_EQ(table.Line(9).y, 895 - 405);  // still on its first way up
    // A whole cycle is 551 steps.
    for (int step = 0; step < 551; ++step) table.ScrollStep();
    EXPECT_EQ(table.Line(0).y, 546);
    EXPECT_EQ(table.Counter(0).y, 550);
}

// What the table's surface must hold: the title picture, and inside the
// scroll box the rows laid over it with their keys, in row order.
Image ExpectedScreen(const HiscoreTable& table) {
    Image expected = ReadBack(HiscoreTable::picture);
    for (int i = 0; i < 10; ++i) {
        const Sprite* parts[2] = {&table.Line(i), &table.Counter(i)};
        for (const Sprite* part : parts) {
            const Image image = ReadBack(part->surface);
            const std::uint32_t key = image.At(0, 0);
            for (int y = 0; y < image.height; ++y)
                for (int x = 0; x < image.width; ++x) {
                    const int sx = part->x + x;
                    const int sy = part->y + y;
                    if (sx < 50 || sx >= 750 || sy < 400 || sy >= 500) continue;
                    if (image.At(x, y) != key) expected.pixels[static_cast<std::size_t>(sy) * 800 + sx] = image.At(x, y);
                }
        }
    }
    return expected;
}

TEST_F(HiscoreTableTest, RowsAreDrawnOnlyInsideTheBox) {
    HiscoreTable table;
    ASSERT_TRUE(table.LoadFromFile(path.c_str()));
    for (int steps : {1, 60, 400}) {
        while (steps-- > 0) table.ScrollStep();
        const Image shown = ReadBack(table.surface);
        const Image expected = ExpectedScreen(table);
        int differing = 0;
        for (std::size_t p = 0; p < shown.pixels.size(); ++p) differing += shown.pixels[p] != expected.pixels[p];
        EXPECT_EQ(differing, 0) << "line 0 at y " << table.Line(0).y;
    }
    // The rows did draw something into the box.
    EXPECT_FALSE(ReadBack(table.surface).SameBlock(50, 400, ReadBack(HiscoreTable::picture), 50, 400, 700, 100));
}

TEST_F(HiscoreTableTest, WithoutADisplayNothingIsDrawnAndNothingBreaks) {
    IDirectDraw7* saved = directDraw;
    directDraw = nullptr;
    {
        HiscoreTable table;
        EXPECT_EQ(table.surface, nullptr);
        EXPECT_EQ(table.clipper, nullptr);
        ASSERT_TRUE(table.LoadFromFile(path.c_str()));
        EXPECT_TRUE(table.AddEntry("abc", 1000, path.c_str()));
        EXPECT_EQ(table.Name(0), Padded("abc"));
        table.ScrollStep();
        EXPECT_EQ(table.Line(0).y, 399);
        ScorePanel panel(0, 20);
        panel.SetValues(1, 2, 3);
        EXPECT_EQ(panel.surface, nullptr);
        NameEntry entry(132, 356, 530);
        EXPECT_FALSE(entry.OnKey('A'));
        EXPECT_STREQ(entry.Name(), "a");
        DigitCounter counter(0, 0, 5, 12);
        counter.SetValue(3);
        EXPECT_EQ(counter.surface, nullptr);
    }
    directDraw = saved;
}

}  // namespace
