// Ten minutes of play, as the layer would journal it frame by frame, must
// stay well under a megabyte: recordings are committed and shared.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <vector>

#include "journal_format.h"
#include "journal_test_util.h"

using journal::Call;
using journal::Record;
using journal_test::Bytes;
using journal_test::MakeRecord;

namespace {

// A fixed little generator, so the stream and its size are the same everywhere.
class Dice {
public:
    std::uint32_t Below(std::uint32_t n) {
        state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<std::uint32_t>(state_ >> 33) % n;
    }
    bool OneIn(std::uint32_t n) { return Below(n) == 0; }

private:
    std::uint64_t state_ = 0x5EED;
};

void PutWord(Bytes& bytes, std::size_t at, std::uint32_t word) {
    for (int b = 0; b < 4; ++b) bytes[at + b] = static_cast<std::uint8_t>(word >> (8 * b));
}

// One frame of a game in play: the message pump, the mouse read both ways,
// the sound buffers asked after, the frame's blits and flip, and the wait for
// the next frame. The mouse moves on two frames in three, as a player
// chasing things about does; a window message arrives now and then.
class PlayStream {
public:
    void Frame(std::vector<Record>& out) {
        const int peeks = 1 + static_cast<int>(dice_.Below(3));
        for (int i = 0; i < peeks; ++i) out.push_back(Peek(i == 0 && dice_.OneIn(40)));
        out.push_back(Tick());
        const bool moving = dice_.Below(3) != 0;
        out.push_back(MouseState(moving));
        out.push_back(MouseData(moving ? 1 + dice_.Below(3) : 0));
        out.push_back(Tick());
        for (int sound = 0; sound < 3; ++sound) {
            const bool stopped = sound == 2 && dice_.OneIn(10);
            out.push_back(MakeRecord(Call::SoundStatus, {}, {0, stopped ? 0 : 5}));
        }
        musicPlay_ = (musicPlay_ + 3616 + dice_.Below(32)) % 88200;
        out.push_back(MakeRecord(Call::SoundPosition, {}, {0, musicPlay_, (musicPlay_ + 3528) % 88200}));
        const int blits = 25 + static_cast<int>(dice_.Below(10));
        for (int i = 0; i < blits; ++i) out.push_back(MakeRecord(Call::SurfaceResult, {2}, {0}));
        out.push_back(MakeRecord(Call::SurfaceResult, {1}, {0}));  // the frame's one stretched blit
        out.push_back(MakeRecord(Call::SurfaceResult, {0}, {0}));  // Flip
        if (dice_.OneIn(2)) out.push_back(Tick());
        out.push_back(MakeRecord(Call::ObjectWait, {1, static_cast<std::int64_t>(dice_.Below(12))}, {258}));
        now_ += 39 + dice_.Below(5);
    }

    std::int64_t Now() const { return now_; }

private:
    Record Tick() {
        now_ += dice_.Below(3);
        return MakeRecord(Call::Tick, {}, {now_});
    }

    // A 64-bit MSG: window, message, wParam, lParam, time, point.
    Record Peek(bool found) {
        if (!found) return MakeRecord(Call::PeekMessage, {0, 0, 1}, {0});
        Bytes message(48, 0);
        PutWord(message, 0, 0x10000);
        PutWord(message, 8, dice_.OneIn(2) ? 0x0113 : 0x0020);  // WM_TIMER or WM_SETCURSOR
        PutWord(message, 16, dice_.Below(4));
        PutWord(message, 24, dice_.Below(800) | dice_.Below(600) << 16);
        PutWord(message, 32, static_cast<std::uint32_t>(now_));
        PutWord(message, 36, dice_.Below(800));
        PutWord(message, 40, dice_.Below(600));
        return MakeRecord(Call::PeekMessage, {0, 0, 1}, {1}, message);
    }

    // DIMOUSESTATE: relative x, y, wheel, four buttons.
    Record MouseState(bool moving) {
        Bytes state(16, 0);
        if (moving) {
            PutWord(state, 0, static_cast<std::uint32_t>(static_cast<std::int32_t>(dice_.Below(21)) - 10));
            PutWord(state, 4, static_cast<std::uint32_t>(static_cast<std::int32_t>(dice_.Below(21)) - 10));
        }
        if (dice_.OneIn(20)) buttons_ ^= 0x80;
        state[12] = buttons_;
        return MakeRecord(Call::DeviceState, {16}, {0}, state);
    }

    // DIDEVICEOBJECTDATA items: offset, data, time stamp, sequence number.
    Record MouseData(std::uint32_t items) {
        Bytes data(items * 16, 0);
        for (std::uint32_t i = 0; i < items; ++i) {
            PutWord(data, i * 16, 4 * dice_.Below(2));
            PutWord(data, i * 16 + 4, static_cast<std::uint32_t>(static_cast<std::int32_t>(dice_.Below(21)) - 10));
            PutWord(data, i * 16 + 8, static_cast<std::uint32_t>(now_) - dice_.Below(40));
            PutWord(data, i * 16 + 12, ++sequence_);
        }
        return MakeRecord(Call::DeviceData, {16, 32, 0}, {0, items}, data);
    }

    Dice dice_;
    std::int64_t now_ = 0xFFFF0000;  // crosses the 32-bit wrap early on
    std::int64_t musicPlay_ = 0;
    std::uint32_t sequence_ = 0;
    std::uint8_t buttons_ = 0;
};

TEST(JournalSize, TenMinutesOfPlayStayWellUnderAMegabyte) {
    PlayStream play;
    const std::int64_t start = play.Now();
    journal::Encoder encoder;
    Bytes bytes = journal::Encoder::EncodeHeader({journal::kFormatVersion, "1.0.0", {{"hiscores.zk", true, Bytes(180, 0x20)}}});
    std::vector<Record> all;
    std::size_t frames = 0;
    while (play.Now() - start < 10 * 60 * 1000) {
        std::vector<Record> frame;
        play.Frame(frame);
        for (const Record& record : frame) encoder.Add(record);
        all.insert(all.end(), frame.begin(), frame.end());
        // A recorder writes what it has once a frame, so a crash loses a frame at most.
        const Bytes piece = encoder.TakeBytes();
        bytes.insert(bytes.end(), piece.begin(), piece.end());
        ++frames;
    }
    std::printf("journal of %zu frames, %zu records: %zu bytes (%.1f per frame)\n", frames, all.size(), bytes.size(),
                static_cast<double>(bytes.size()) / static_cast<double>(frames));
    EXPECT_LT(bytes.size(), 1000000u);
    const journal_test::Decoded back = journal_test::DecodeAll(bytes);
    EXPECT_EQ(back.last, journal::ReadStatus::End) << back.why;
    EXPECT_TRUE(back.records == all);
}

}  // namespace
