// Arbitrary bytes as a replay journal: the header, then every record. The
// reader must stop with a reason and never step outside the bytes; what it
// read must come back unchanged when written again (taken in pieces, as a
// recorder flushing now and then takes it); and a journal cut where the
// reader stopped must read the same records and end there.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "journal_format.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using journal::ReadStatus;

// A run may repeat a record of 64 KiB four billion times; this much says all
// there is to say, and keeps each input quick.
constexpr std::size_t kMostRecords = 1 << 12;
constexpr std::size_t kMostDataBytes = 1 << 20;

void Require(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "replay journal fuzz: %s\n", what);
    std::abort();
}

struct Read {
    bool headerRead = false;
    journal::Header header;
    std::vector<journal::Record> records;
    ReadStatus last = ReadStatus::Corrupt;
    bool enough = false;  // stopped after kMostRecords or kMostDataBytes
    std::size_t offset = 0;
};

// Reads the header and records up to kMostRecords or kMostDataBytes,
// checking the reader's promises on the way.
Read ReadAll(const Bytes& bytes) {
    Read read;
    journal::Decoder decoder(bytes);
    std::string why;
    read.last = decoder.ReadHeader(read.header, why);
    if (read.last != ReadStatus::Ok) {
        Require(read.last == ReadStatus::Truncated || read.last == ReadStatus::Corrupt, "a header status out of range");
        Require(!why.empty(), "a header refused without a reason");
        Require(decoder.Offset() == 0, "a refused header moved the offset");
        return read;
    }
    read.headerRead = true;
    Require(decoder.Offset() <= bytes.size(), "the header ends past the bytes");
    journal::Record record;
    std::size_t dataBytes = 0;
    for (;;) {
        read.enough = read.records.size() >= kMostRecords || dataBytes >= kMostDataBytes;
        if (read.enough) break;
        const std::size_t before = decoder.Offset();
        read.last = decoder.Next(record, why);
        Require(decoder.Offset() >= before && decoder.Offset() <= bytes.size(), "the offset left the bytes");
        if (read.last != ReadStatus::Ok) {
            Require(decoder.Offset() == before, "a record not read moved the offset");
            break;
        }
        Require(journal::Encoder::Fits(record), "a record read does not fit the format");
        dataBytes += record.data.size();
        read.records.push_back(record);
        Require(decoder.RecordsRead() == read.records.size(), "the count of records read is off");
    }
    read.offset = decoder.Offset();
    if (read.last == ReadStatus::End) Require(read.offset == bytes.size(), "End before the bytes end");
    if (read.last == ReadStatus::Truncated || read.last == ReadStatus::Corrupt) {
        Require(!why.empty(), "a record refused without a reason");
        std::string again;
        Require(decoder.Next(record, again) == read.last && again == why, "a refusal did not stay");
    }
    return read;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Bytes bytes(data, data + size);
    const Read read = ReadAll(bytes);
    if (!read.headerRead) return 0;

    Bytes written = journal::Encoder::EncodeHeader(read.header);
    Require(!written.empty(), "a header read cannot be written");
    journal::Encoder encoder;
    const std::size_t every = 1 + size % 7;
    for (std::size_t i = 0; i < read.records.size(); ++i) {
        encoder.Add(read.records[i]);
        if (i % every == 0) {
            const Bytes piece = encoder.TakeBytes();
            written.insert(written.end(), piece.begin(), piece.end());
        }
    }
    const Bytes rest = encoder.TakeBytes();
    written.insert(written.end(), rest.begin(), rest.end());
    Require(encoder.Dropped() == 0, "a record read was dropped when written");

    const Read back = ReadAll(written);
    Require(back.header == read.header, "the header changed when written again");
    Require(back.records == read.records, "the records changed when written again");
    Require(back.last == (read.enough ? ReadStatus::Ok : ReadStatus::End),
            "the journal written again does not end after its records");

    if (read.last == ReadStatus::Truncated) {
        const Read cut = ReadAll(Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(read.offset)));
        Require(cut.last == ReadStatus::End && cut.records == read.records,
                "the journal cut where the reader stopped reads otherwise");
    }
    return 0;
}
