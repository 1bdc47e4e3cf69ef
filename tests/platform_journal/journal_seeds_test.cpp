// The fuzzer's seed journals are made here, and the committed ones must be
// what the encoder makes today: a change of the bytes orphans recordings, so
// it comes with a new format version and seeds written again by running this
// test with ZARNOK_WRITE_JOURNAL_SEEDS=1.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "journal_format.h"
#include "journal_test_util.h"

using journal::Call;
using journal::Header;
using journal::Record;
using journal_test::Bytes;
using journal_test::MakeRecord;

namespace {

struct Seed {
    const char* file;
    Bytes bytes;
};

// A frame of play: the pump, the mouse, the sounds, the blits, the wait.
std::vector<Record> Frames(int count) {
    std::vector<Record> records = {MakeRecord(Call::Resources, {}, {0x1234567890ABCDEF}),
                                   MakeRecord(Call::Calendar, {}, {1700000000})};
    for (int frame = 0; frame < count; ++frame) {
        const std::int64_t now = 0xFFFFFFC0 + 41 * frame;
        const bool moving = frame % 2 == 1;
        records.push_back(MakeRecord(Call::PeekMessage, {0, 0, 1}, {0}));
        records.push_back(MakeRecord(Call::Tick, {}, {now}));
        records.push_back(MakeRecord(Call::DeviceState, {16}, {0}, {moving ? std::uint8_t(3) : std::uint8_t(0), 0, 0, 0,
                                                                     0xFE, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0x80, 0, 0, 0}));
        records.push_back(moving ? MakeRecord(Call::DeviceData, {16, 32, 0}, {0, 1},
                                              {0, 0, 0, 0, 3, 0, 0, 0, static_cast<std::uint8_t>(now), 0, 0, 0, 7, 0, 0, 0})
                                 : MakeRecord(Call::DeviceData, {16, 32, 0}, {0, 0}));
        records.push_back(MakeRecord(Call::SoundStatus, {}, {0, 5}));
        records.push_back(MakeRecord(Call::SoundPosition, {}, {0, 3616 * frame % 88200, 3616 * frame % 88200 + 3528}));
        for (int blit = 0; blit < 30; ++blit) records.push_back(MakeRecord(Call::SurfaceResult, {2}, {0}));
        records.push_back(MakeRecord(Call::SurfaceResult, {0}, {frame == 2 ? -2005532222 : 0}));
        records.push_back(MakeRecord(Call::ObjectWait, {1, 41 - frame}, {258}));
    }
    records.push_back(MakeRecord(Call::End, {}, {0}));
    return records;
}

std::vector<Seed> Seeds() {
    const Header plain{journal::kFormatVersion, "1.0.0", {}};
    const Header withFiles{journal::kFormatVersion,
                           "1.0.0",
                           {{"hiscores.zk", true, Bytes(180, 0x20)}, {"music.zk", false, {}}, {"empty", true, {}}}};
    Bytes cut = journal_test::Encode(plain, Frames(2));
    cut.resize(cut.size() - 3);
    const std::vector<Record> message = {
        MakeRecord(Call::GetMessage, {0, 0}, {1}, Bytes{0, 0, 1, 0, 0, 0, 0, 0, 0x0F, 0x02, 0, 0, 0, 0, 0, 0, 1}),
        MakeRecord(Call::SentMessage, {}, {0x10000, 0x1C, 1, 0}), MakeRecord(Call::WaitMessage, {}, {1}),
        MakeRecord(Call::DeviceResult, {1}, {-2147024866}), MakeRecord(Call::SoundResult, {3}, {0}),
        MakeRecord(Call::Tick, {}, {-1}), MakeRecord(Call::Tick, {}, {0x7FFFFFFFFFFFFFFF})};
    return {
        {"header_only.zkj", Bytes(journal::Encoder::EncodeHeader(plain))},
        {"start_files.zkj", journal_test::Encode(withFiles, Frames(1))},
        {"frames.zkj", journal_test::Encode(plain, Frames(4))},
        {"cut_short.zkj", cut},
        {"every_call.zkj", journal_test::Encode(plain, message)},
    };
}

Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

TEST(JournalSeeds, CommittedSeedsAreWhatTheEncoderMakes) {
    const bool write = std::getenv("ZARNOK_WRITE_JOURNAL_SEEDS") != nullptr;
    for (const Seed& seed : Seeds()) {
        const std::string path = std::string(JOURNAL_SEED_DIR) + "/" + seed.file;
        if (write) {
            std::ofstream(path, std::ios::binary | std::ios::trunc)
                .write(reinterpret_cast<const char*>(seed.bytes.data()), static_cast<std::streamsize>(seed.bytes.size()));
        }
        EXPECT_EQ(ReadFile(path), seed.bytes) << seed.file << " differs from what the encoder makes";
    }
}

}  // namespace
