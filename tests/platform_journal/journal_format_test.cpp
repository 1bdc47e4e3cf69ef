// The journal's bytes: what goes in comes out, a cut file reads up to its
// last whole record, and hostile bytes are refused with a reason.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "journal_format.h"
#include "journal_test_util.h"

using journal::Call;
using journal::Decoder;
using journal::Encoder;
using journal::Header;
using journal::ReadStatus;
using journal::Record;
using journal::StartFile;
using journal_test::Bytes;
using journal_test::DecodeAll;
using journal_test::Encode;
using journal_test::MakeRecord;

namespace {

constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();

Header SmallHeader() {
    return Header{journal::kFormatVersion, "1.0.0", {}};
}

Bytes Repeated(std::uint8_t byte, std::size_t count) { return Bytes(count, byte); }

struct Sequence {
    const char* name;
    std::vector<Record> records;
};

std::vector<Record> Times(const Record& record, int count) { return std::vector<Record>(count, record); }

std::vector<Record> Join(std::initializer_list<std::vector<Record>> parts) {
    std::vector<Record> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

const Bytes kMessage = {0x10, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x02, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0,
                        0x2C, 0x01, 0x90, 0x00, 0, 0, 0, 0, 0xE8, 0x03, 0, 0, 0x2C, 0x01, 0, 0, 0x90, 0, 0, 0, 0, 0, 0, 0};

std::vector<Sequence> Sequences() {
    const Record blit = MakeRecord(Call::SurfaceResult, {2}, {0});
    const Record flip = MakeRecord(Call::SurfaceResult, {0}, {0});
    const Record noMessage = MakeRecord(Call::PeekMessage, {0, 0, 1}, {0});
    return {
        {"nothing", {}},
        {"one empty record", {MakeRecord(Call::WaitMessage, {}, {})}},
        {"a run of empty records first", Times(MakeRecord(Call::End, {}, {}), 5)},
        {"ticks across the 32-bit wrap",
         {MakeRecord(Call::Tick, {}, {0xFFFFFFF0}), MakeRecord(Call::Tick, {}, {0xFFFFFFFF}),
          MakeRecord(Call::Tick, {}, {0x10}), MakeRecord(Call::Tick, {}, {0x10}), MakeRecord(Call::Tick, {}, {0x100000010}),
          MakeRecord(Call::Tick, {}, {0xFFFFFFF0})}},
        {"the ends of 64 bits",
         {MakeRecord(Call::Calendar, {}, {kMin}), MakeRecord(Call::Calendar, {}, {kMax}),
          MakeRecord(Call::Calendar, {}, {kMin}), MakeRecord(Call::Calendar, {}, {-1}),
          MakeRecord(Call::Calendar, {}, {0}), MakeRecord(Call::Calendar, {}, {kMax}),
          MakeRecord(Call::Calendar, {}, {-1})}},
        {"positions going backwards as a ring buffer wraps",
         {MakeRecord(Call::SoundPosition, {}, {0, 88000, 96000}), MakeRecord(Call::SoundPosition, {}, {0, 1200, 9200}),
          MakeRecord(Call::SoundPosition, {}, {0, 900, 8900}), MakeRecord(Call::SoundPosition, {}, {-2147024809, 0, 0})}},
        {"runs broken and taken up again",
         Join({Times(blit, 30), {flip}, Times(blit, 2), {flip, flip}, Times(blit, 1), {noMessage}, Times(blit, 7)})},
        {"calls interleaved, each coded against its own last record",
         {MakeRecord(Call::Tick, {}, {1000}), noMessage, MakeRecord(Call::Tick, {}, {1000}), noMessage,
          MakeRecord(Call::Tick, {}, {1041}), blit, MakeRecord(Call::Tick, {}, {1041}), noMessage}},
        {"shapes that grow and shrink",
         {noMessage, MakeRecord(Call::PeekMessage, {0, 0, 1}, {1}, kMessage), noMessage,
          MakeRecord(Call::PeekMessage, {0, 0, 1}, {1}, kMessage), MakeRecord(Call::PeekMessage, {0, 0}, {1, 2, 3}),
          MakeRecord(Call::PeekMessage, std::vector<std::int64_t>(16, -7), std::vector<std::int64_t>(16, 7)),
          MakeRecord(Call::PeekMessage, {}, {})}},
        {"data of every tail length, and words that wrap",
         {MakeRecord(Call::DeviceState, {16}, {0}, {1}), MakeRecord(Call::DeviceState, {16}, {0}, {1, 2}),
          MakeRecord(Call::DeviceState, {16}, {0}, {1, 2, 3}), MakeRecord(Call::DeviceState, {16}, {0}, {1, 2, 3, 4, 5}),
          MakeRecord(Call::DeviceState, {16}, {0}, {0xFF, 0xFF, 0xFF, 0xFF}),
          MakeRecord(Call::DeviceState, {16}, {0}, {0, 0, 0, 0}),
          MakeRecord(Call::DeviceState, {16}, {0}, {0, 0, 0, 0x80, 0xFF, 0xFF, 0xFF, 0x7F}),
          MakeRecord(Call::DeviceState, {16}, {0}, {0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 0, 0x80}),
          MakeRecord(Call::DeviceState, {16}, {0}, Bytes(65536, 0xA5)), MakeRecord(Call::DeviceState, {16}, {0}, {})}},
        {"more distinct records coming round than are kept",
         [] {
             std::vector<Record> records;
             for (int round = 0; round < 4; ++round) {
                 for (int which = 0; which < 10; ++which) {
                     for (int keep = 0; keep < 9 - round; keep += 3) {
                         records.push_back(MakeRecord(Call::ObjectWait, {1, which * 3 + keep}, {258}));
                     }
                 }
             }
             return records;
         }()},
        {"every call",
         {MakeRecord(Call::Resources, {}, {static_cast<std::int64_t>(0x9E3779B97F4A7C15)}),
          MakeRecord(Call::Tick, {}, {5}), MakeRecord(Call::Calendar, {}, {1700000000}), noMessage,
          MakeRecord(Call::GetMessage, {0, 0}, {1}, kMessage), MakeRecord(Call::WaitMessage, {}, {1}),
          MakeRecord(Call::SentMessage, {}, {0x10000, 0x1C, 1, 0}), MakeRecord(Call::ObjectWait, {1, 41}, {258}),
          MakeRecord(Call::DeviceData, {16, 32, 0}, {0, 0}), MakeRecord(Call::DeviceState, {16}, {0}, Bytes(16, 0)),
          MakeRecord(Call::DeviceResult, {1}, {0}), MakeRecord(Call::SoundStatus, {}, {0, 5}),
          MakeRecord(Call::SoundPosition, {}, {0, 100, 200}), MakeRecord(Call::SoundResult, {3}, {-2005401450}),
          flip, MakeRecord(Call::End, {}, {0})}},
    };
}

TEST(JournalFormat, RecordSequencesRoundTrip) {
    for (const Sequence& sequence : Sequences()) {
        SCOPED_TRACE(sequence.name);
        const journal_test::Decoded back = DecodeAll(Encode(SmallHeader(), sequence.records));
        ASSERT_EQ(back.headerStatus, ReadStatus::Ok) << back.why;
        EXPECT_EQ(back.last, ReadStatus::End) << back.why;
        EXPECT_EQ(back.records, sequence.records);
    }
}

// Taking the bytes in pieces (as a recorder flushing now and then does) cuts
// runs short but reads back the same records.
TEST(JournalFormat, BytesTakenInPiecesReadAsOne) {
    for (const Sequence& sequence : Sequences()) {
        SCOPED_TRACE(sequence.name);
        for (std::size_t every : {1u, 2u, 3u, 7u}) {
            Bytes bytes = Encoder::EncodeHeader(SmallHeader());
            Encoder encoder;
            for (std::size_t i = 0; i < sequence.records.size(); ++i) {
                encoder.Add(sequence.records[i]);
                if (i % every == 0) {
                    const Bytes piece = encoder.TakeBytes();
                    bytes.insert(bytes.end(), piece.begin(), piece.end());
                }
            }
            const Bytes rest = encoder.TakeBytes();
            bytes.insert(bytes.end(), rest.begin(), rest.end());
            const journal_test::Decoded back = DecodeAll(bytes);
            EXPECT_EQ(back.last, ReadStatus::End) << back.why;
            EXPECT_EQ(back.records, sequence.records);
        }
    }
}

TEST(JournalFormat, RunsAndRepeatedAnswersCostAByteOrTwo) {
    const Bytes headerOnly = Encoder::EncodeHeader(SmallHeader());
    const Record blit = MakeRecord(Call::SurfaceResult, {2}, {0});
    const Record peek = MakeRecord(Call::PeekMessage, {0, 0, 1}, {0});
    const std::size_t first = Encode(SmallHeader(), {blit}).size() - headerOnly.size();
    // A run adds its count and nothing else, however long.
    EXPECT_EQ(Encode(SmallHeader(), Times(blit, 1000)).size() - headerOnly.size(), first + 2);
    // A record equal to its call's last one is one byte even when not adjacent.
    const std::size_t alternating = Encode(SmallHeader(), Join({Times(blit, 1), {peek}, Times(blit, 1), {peek}})).size();
    const std::size_t once = Encode(SmallHeader(), {blit, peek}).size();
    EXPECT_EQ(alternating, once + 2);
    // A clear, blits and a flip coming round each frame cost two bytes each.
    const Record clear = MakeRecord(Call::SurfaceResult, {1}, {0});
    const Record flip = MakeRecord(Call::SurfaceResult, {0}, {0});
    const std::vector<Record> frame = Join({{clear}, Times(blit, 30), {flip}});
    const std::size_t oneFrame = Encode(SmallHeader(), frame).size();
    EXPECT_EQ(Encode(SmallHeader(), Join({frame, frame, frame})).size(), oneFrame + 2 * 3 * 2 + 2 * 1);
}

// The layout written out by hand, so that a change to the encoding, which
// would orphan every recording made so far, cannot pass unnoticed.
TEST(JournalFormat, BytesAreTheDocumentedLayout) {
    const Header header{journal::kFormatVersion, "1.0", {{"hiscores.zk", true, {1, 2, 3}}, {"x", false, {}}}};
    const std::vector<Record> records = {
        MakeRecord(Call::Tick, {}, {1000}),
        MakeRecord(Call::Tick, {}, {1041}),
        MakeRecord(Call::Tick, {}, {1030}),
        MakeRecord(Call::SurfaceResult, {1}, {0}),
        MakeRecord(Call::SurfaceResult, {1}, {0}),
        MakeRecord(Call::SurfaceResult, {1}, {0}),
        MakeRecord(Call::Tick, {}, {1030}),
        MakeRecord(Call::SurfaceResult, {1}, {0}),
        MakeRecord(Call::PeekMessage, {}, {}, {1, 0, 0, 0, 9, 8}),
        MakeRecord(Call::PeekMessage, {}, {}, {0, 0, 0, 0, 9, 8}),
        MakeRecord(Call::PeekMessage, {}, {}),
        MakeRecord(Call::PeekMessage, {}, {}, {2, 0, 0, 0, 9, 8}),
    };
    const Bytes expected = {
        'Z', 'K', 'J', 'N', 1, 0,                                      // magic, format 1
        3, '1', '.', '0',                                              // program version
        2,                                                             // two start files
        11, 'h', 'i', 's', 'c', 'o', 'r', 'e', 's', '.', 'z', 'k', 1, 3, 1, 2, 3,  // present, 3 bytes
        1, 'x', 0,                                                     // absent
        0x02, 0, 1, 0, 0xD0, 0x0F,  // Tick, counts 0/1/0, zigzag(1000) = 2000
        0x22, 82,                   // Tick, same shape, +41
        0x22, 21,                   // Tick, same shape, -11
        0x8F, 1, 1, 0, 2, 0, 2,     // SurfaceResult, run: counts, +1, 0, two more
        0x42,                       // Tick, same as its last
        0x4F,                       // SurfaceResult, same as its last
        0x04, 0, 0, 6, 2, 9, 8,     // PeekMessage, counts 0/0/6: word +1, tail 9 8
        0x24, 1, 9, 8,              // PeekMessage, same shape: word -1, tail 9 8
        0x64, 2,                    // PeekMessage, as its second most recent: the first, empty
        0x04, 0, 0, 6, 4, 9, 8,     // PeekMessage: word +2 from the last data it had
    };
    EXPECT_EQ(Encode(header, records), expected);
    const journal_test::Decoded back = DecodeAll(expected);
    EXPECT_EQ(back.header, header);
    EXPECT_EQ(back.records, records);
    EXPECT_EQ(back.last, ReadStatus::End);
}

TEST(JournalFormat, HeaderRoundTrips) {
    const std::vector<Header> headers = {
        {journal::kFormatVersion, "", {}},
        {journal::kFormatVersion, std::string(256, 'v'), {}},
        {journal::kFormatVersion,
         "1.0.0 (abc123)",
         {{"hiscores.zk", true, Bytes(180, 0x41)}, {"settings.ini", false, {}}, {"empty", true, {}},
          {std::string(255, 'n'), true, Bytes(1 << 20, 0x5A)}, {"..x", true, {0}}}},
    };
    for (const Header& header : headers) {
        const Bytes bytes = Encoder::EncodeHeader(header);
        ASSERT_FALSE(bytes.empty());
        Decoder decoder(bytes);
        Header back;
        std::string why;
        ASSERT_EQ(decoder.ReadHeader(back, why), ReadStatus::Ok) << why;
        EXPECT_EQ(back, header);
        EXPECT_EQ(decoder.Offset(), bytes.size());
        Record record;
        EXPECT_EQ(decoder.Next(record, why), ReadStatus::End);
    }
}

// A header the reader would refuse is not written at all.
TEST(JournalFormat, UnstorableHeadersAreRefused) {
    const std::vector<std::pair<const char*, Header>> cases = {
        {"another format", {2, "1.0", {}}},
        {"a long version", {journal::kFormatVersion, std::string(257, 'v'), {}}},
        {"too many files", {journal::kFormatVersion, "1.0", std::vector<StartFile>(65)}},
        {"an empty name", {journal::kFormatVersion, "1.0", {{"", true, {}}}}},
        {"a folder", {journal::kFormatVersion, "1.0", {{"saves/a", true, {}}}}},
        {"a Windows folder", {journal::kFormatVersion, "1.0", {{"saves\\a", true, {}}}}},
        {"the parent", {journal::kFormatVersion, "1.0", {{"..", true, {}}}}},
        {"a zero byte", {journal::kFormatVersion, "1.0", {{std::string("a\0b", 3), true, {}}}}},
        {"a long name", {journal::kFormatVersion, "1.0", {{std::string(256, 'n'), true, {}}}}},
        {"a name twice", {journal::kFormatVersion, "1.0", {{"a", true, {}}, {"a", false, {}}}}},
        {"a large file", {journal::kFormatVersion, "1.0", {{"a", true, Bytes((1 << 20) + 1)}}}},
        {"bytes of an absent file", {journal::kFormatVersion, "1.0", {{"a", false, {1}}}}},
    };
    for (const auto& [name, header] : cases) {
        SCOPED_TRACE(name);
        std::string why;
        EXPECT_FALSE(journal::HeaderStorable(header, why));
        EXPECT_FALSE(why.empty());
        EXPECT_TRUE(Encoder::EncodeHeader(header).empty());
    }
}

TEST(JournalFormat, RecordsThatDoNotFitAreCountedNotWritten) {
    Encoder encoder;
    encoder.Add(MakeRecord(Call::Tick, {}, {1}));
    encoder.Add(MakeRecord(Call::Tick, std::vector<std::int64_t>(17), {}));
    encoder.Add(MakeRecord(Call::Tick, {}, std::vector<std::int64_t>(17)));
    encoder.Add(MakeRecord(Call::Tick, {}, {}, Bytes(65537)));
    encoder.Add(MakeRecord(static_cast<Call>(0), {}, {}));
    encoder.Add(MakeRecord(static_cast<Call>(journal::kLastCall + 1), {}, {}));
    encoder.Add(MakeRecord(Call::Tick, {}, {2}));
    EXPECT_EQ(encoder.Dropped(), 5u);
    Bytes bytes = Encoder::EncodeHeader(SmallHeader());
    const Bytes body = encoder.TakeBytes();
    bytes.insert(bytes.end(), body.begin(), body.end());
    const std::vector<Record> expected = {MakeRecord(Call::Tick, {}, {1}), MakeRecord(Call::Tick, {}, {2})};
    EXPECT_EQ(DecodeAll(bytes).records, expected);
}

// Every prefix of a journal, as a crash at any moment would leave it: the
// whole records before the cut, then Truncated with the offset at the cut
// record's start, or End when the cut falls between records.
TEST(JournalFormat, EveryCutReadsTheWholeRecordsBeforeIt) {
    const Header header{journal::kFormatVersion, "1.0", {{"hiscores.zk", true, {1, 2, 3}}, {"gone", false, {}}}};
    std::vector<Record> records;
    for (const Sequence& sequence : Sequences()) {
        for (const Record& record : sequence.records) {
            if (record.data.size() <= 64) records.push_back(record);  // keeps the test quick
        }
    }
    const Bytes bytes = Encode(header, records);
    const std::size_t headerSize = Encoder::EncodeHeader(header).size();

    // Where each record read ends in the bytes; a run's copies end where it does.
    std::vector<std::size_t> ends;
    {
        Decoder decoder(bytes);
        Header ignored;
        std::string why;
        ASSERT_EQ(decoder.ReadHeader(ignored, why), ReadStatus::Ok);
        Record record;
        while (decoder.Next(record, why) == ReadStatus::Ok) ends.push_back(decoder.Offset());
        ASSERT_EQ(ends.size(), records.size());
    }

    for (std::size_t cut = 0; cut <= bytes.size(); ++cut) {
        SCOPED_TRACE("cut at " + std::to_string(cut));
        const journal_test::Decoded back = DecodeAll(Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(cut)));
        if (cut < headerSize) {
            ASSERT_EQ(back.headerStatus, ReadStatus::Truncated) << back.why;
            continue;
        }
        ASSERT_EQ(back.headerStatus, ReadStatus::Ok) << back.why;
        std::size_t whole = 0;
        while (whole < ends.size() && ends[whole] <= cut) ++whole;
        const std::size_t lastEnd = whole == 0 ? headerSize : ends[whole - 1];
        ASSERT_EQ(back.records, std::vector<Record>(records.begin(), records.begin() + static_cast<std::ptrdiff_t>(whole)));
        ASSERT_EQ(back.last, cut == lastEnd ? ReadStatus::End : ReadStatus::Truncated) << back.why;
        ASSERT_EQ(back.offset, lastEnd);
    }
}

struct Hostile {
    const char* name;
    Bytes bytes;
    std::size_t recordsBefore = 0;  // whole records read before the refusal
};

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

// Hand-made bytes, so that each case breaks exactly one rule.
std::vector<Hostile> HostileInputs() {
    const Bytes magic = {'Z', 'K', 'J', 'N'};
    const Bytes head = Cat({magic, {1, 0, 0, 0}});  // format 1, no version, no files
    const Bytes oneFile = Cat({magic, {1, 0, 0, 1}});
    const Bytes elevenBytes = Cat({Repeated(0x80, 10), {0}});
    const Bytes tick = {0x02, 0, 1, 0, 2};  // a whole Tick record answering 1
    return {
        {"wrong magic", {'Z', 'K', 'J', 'M', 1, 0, 0, 0}},
        {"wrong magic, short", {'M', 'Z'}},
        {"a future format", Cat({magic, {2, 0, 0, 0}})},
        {"format 0", Cat({magic, {0, 0, 0, 0}})},
        {"a version of 257 bytes", Cat({magic, {1, 0, 0x81, 0x02}, Repeated('v', 257), {0}})},
        {"an absurd version length", Cat({magic, {1, 0}, Repeated(0xFF, 9), {0x01}})},
        {"a number of eleven bytes", Cat({magic, {1, 0}, elevenBytes, {0}})},
        {"a number past 64 bits", Cat({magic, {1, 0}, Repeated(0xFF, 9), {0x02}})},
        {"65 start files", Cat({magic, {1, 0, 0, 65}})},
        {"a nameless start file", Cat({oneFile, {0, 0}})},
        {"a start file named .", Cat({oneFile, {1, '.', 0}})},
        {"a start file named ..", Cat({oneFile, {2, '.', '.', 0}})},
        {"a start file in a folder", Cat({oneFile, {3, 'a', '/', 'b', 0}})},
        {"a start file in a Windows folder", Cat({oneFile, {3, 'a', '\\', 'b', 0}})},
        {"a zero in a start file's name", Cat({oneFile, {3, 'a', 0, 'b', 0}})},
        {"a name of 256 bytes", Cat({oneFile, {0x80, 0x02}, Repeated('n', 256), {0}})},
        {"a start file twice", Cat({magic, {1, 0, 0, 2, 1, 'a', 0, 1, 'a', 0}})},
        {"a start file neither present nor absent", Cat({oneFile, {1, 'a', 2}})},
        {"a start file over 1 MiB", Cat({oneFile, {1, 'a', 1, 0x81, 0x80, 0x40}})},
        {"call 0", Cat({head, {0x00}})},
        {"call 0 in a run", Cat({head, {0x80, 1}})},
        {"a call past the last", Cat({head, {static_cast<std::uint8_t>(journal::kLastCall + 1), 0, 0, 0}})},
        {"call 31", Cat({head, {0x3F}})},
        {"17 questions", Cat({head, {0x02, 17, 0, 0}, Repeated(0, 17)})},
        {"17 answers", Cat({head, {0x02, 0, 17, 0}, Repeated(0, 17)})},
        {"an absurd count", Cat({head, {0x02}, Repeated(0xFF, 9), {0x01}})},
        {"data over 64 KiB", Cat({head, {0x02, 0, 0, 0x81, 0x80, 0x04}})},
        {"a value of eleven bytes", Cat({head, {0x02, 0, 1, 0}, elevenBytes})},
        {"a data word past 32 bits", Cat({head, {0x02, 0, 0, 4, 0x80, 0x80, 0x80, 0x80, 0x10}})},
        {"an earlier record that is not there", Cat({head, {0x62, 1}})},
        {"an earlier record that is the last", Cat({head, tick, {0x62, 0}}), 1},
        {"an earlier record past those kept", Cat({head, tick, {0x02, 0, 1, 0, 2}, {0x62, 3}}), 2},
        {"a run of no repeats", Cat({head, {0x82, 0, 1, 0, 2, 0}})},
        {"a run past 2^32", Cat({head, {0x82, 0, 1, 0, 2, 0x80, 0x80, 0x80, 0x80, 0x10}})},
        {"a bad record after good ones", Cat({head, tick, {0xC2, 3}, tick, {0x1F}}), 6},
    };
}

TEST(JournalFormat, HostileBytesAreRefusedWithAReason) {
    for (const Hostile& input : HostileInputs()) {
        SCOPED_TRACE(input.name);
        Decoder decoder(input.bytes);
        Header header;
        std::string why;
        ReadStatus status = decoder.ReadHeader(header, why);
        std::size_t read = 0;
        std::size_t before = decoder.Offset();
        Record record;
        while (status == ReadStatus::Ok) {
            before = decoder.Offset();
            status = decoder.Next(record, why);
            read += status == ReadStatus::Ok;
        }
        EXPECT_EQ(status, ReadStatus::Corrupt) << why;
        EXPECT_FALSE(why.empty());
        EXPECT_EQ(read, input.recordsBefore);
        // Stuck where it was refused, and refusing again.
        EXPECT_EQ(decoder.Offset(), before);
        if (decoder.Offset() > 0) {
            std::string again;
            EXPECT_EQ(decoder.Next(record, again), ReadStatus::Corrupt);
            EXPECT_EQ(again, why);
        }
    }
}

TEST(JournalFormat, RecordsBeforeTheHeaderAreRefused) {
    Decoder decoder(Encode(SmallHeader(), {MakeRecord(Call::Tick, {}, {1})}));
    Record record;
    std::string why;
    EXPECT_EQ(decoder.Next(record, why), ReadStatus::Corrupt);
    EXPECT_FALSE(why.empty());
}

TEST(JournalFormat, EveryCallHasAName) {
    std::vector<std::string> names;
    for (std::uint8_t call = 1; call <= journal::kLastCall; ++call) {
        names.push_back(journal::CallName(static_cast<Call>(call)));
        EXPECT_NE(names.back(), journal::CallName(static_cast<Call>(0))) << int(call);
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(std::adjacent_find(names.begin(), names.end()), names.end());
    EXPECT_STREQ(journal::CallName(Call::Tick), "GetTickCount");
    EXPECT_STREQ(journal::CallName(Call::PeekMessage), "PeekMessageA");
}

}  // namespace
