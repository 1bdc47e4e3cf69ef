// Building and reading whole journals in memory, for the format's tests.
#pragma once

#include <string>
#include <vector>

#include "journal_format.h"

namespace journal_test {

using Bytes = std::vector<std::uint8_t>;

inline journal::Record MakeRecord(journal::Call call, std::vector<std::int64_t> question,
                                  std::vector<std::int64_t> answer, Bytes data = {}) {
    return journal::Record{call, std::move(question), std::move(answer), std::move(data)};
}

// A header's bytes, then every record's, taken in one go.
inline Bytes Encode(const journal::Header& header, const std::vector<journal::Record>& records) {
    Bytes bytes = journal::Encoder::EncodeHeader(header);
    journal::Encoder encoder;
    for (const journal::Record& record : records) encoder.Add(record);
    const Bytes body = encoder.TakeBytes();
    bytes.insert(bytes.end(), body.begin(), body.end());
    return bytes;
}

struct Decoded {
    journal::ReadStatus headerStatus = journal::ReadStatus::Corrupt;
    journal::Header header;
    std::vector<journal::Record> records;
    journal::ReadStatus last = journal::ReadStatus::Corrupt;  // what ended the records
    std::string why;
    std::size_t offset = 0;  // Offset() at that point
};

inline Decoded DecodeAll(const Bytes& bytes) {
    Decoded out;
    journal::Decoder decoder(bytes);
    out.headerStatus = decoder.ReadHeader(out.header, out.why);
    if (out.headerStatus != journal::ReadStatus::Ok) {
        out.last = out.headerStatus;
        out.offset = decoder.Offset();
        return out;
    }
    journal::Record record;
    while ((out.last = decoder.Next(record, out.why)) == journal::ReadStatus::Ok) out.records.push_back(record);
    out.offset = decoder.Offset();
    return out;
}

}  // namespace journal_test
