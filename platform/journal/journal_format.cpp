// The byte layout. Numbers are little-endian; "varint" is unsigned LEB128 of
// at most 10 bytes; "zigzag" maps a signed difference to a varint (0, -1, 1,
// -2, ... as 0, 1, 2, 3, ...).
//
// Header:
//   "ZKJN", u16 format version
//   varint n (<= 256), n bytes: the program's version
//   varint files (<= 64), for each file:
//     varint n (1..255), n bytes: a plain name, distinct from the others
//     u8 present (0 or 1); when 1: varint n (<= 1 MiB), n bytes
// Record:
//   u8 kind: the call in bits 0-4 (1..kLastCall), and the flags
//     0x20 SHAPE:   the counts are those of the last record of this call
//     0x40 SAME:    the record equals the last record of this call; no body
//     0x60 EARLIER: the record equals one of this call's recent distinct
//                   records: a byte k (1..7) follows, 1 being the one before
//                   the last; no body
//     0x80 RUN:     a varint n (1..2^32-1) ends the record: it occurs n more times
//   with none of SHAPE, SAME: varint questions (<= 16), answers (<= 16), data bytes (<= 64 KiB)
//   with neither SAME nor EARLIER: the questions, then the answers, each as the zigzag of its
//     64-bit wrapping difference from the last value this call had at that
//     place (0 where it never had one); then the data: each whole 32-bit word
//     as the zigzag of its 32-bit wrapping difference from the four bytes
//     this call's data last had there (0 where it never reached that far),
//     the last 1-3 bytes as they are.
//
// A call's recent distinct records are its last eight, most recent first; a
// record moves to the front whenever it occurs. In a new file a call's one
// recent record is the empty one, and nothing is at any place. Values the
// program reads again and again (ticks, play positions, "no message") thus
// cost a byte or two, a mouse event is coded against the last one even when
// frames without any came between, a frame's thirty identical blit results
// cost two bytes, and a clear, blits and a flip that come round every frame
// cost two each.
#include "journal_format.h"

#include <algorithm>
#include <iterator>
#include <set>
#include <string>
#include <tuple>
#include <utility>

namespace journal {

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kCallBits = 0x1F;
constexpr std::uint8_t kShapeFlag = 0x20;
constexpr std::uint8_t kSameFlag = 0x40;
constexpr std::uint8_t kEarlierFlags = kShapeFlag | kSameFlag;
constexpr std::uint8_t kRunFlag = 0x80;

constexpr std::size_t kMaxVarintBytes = 10;
constexpr std::uint64_t kMaxProgramVersion = 256;
constexpr std::uint64_t kMaxStartFiles = 64;
constexpr std::uint64_t kMaxNameBytes = 255;
constexpr std::uint64_t kMaxStartFileBytes = 1 << 20;
constexpr std::uint64_t kMaxValues = 16;
constexpr std::uint64_t kMaxData = 64 * 1024;
constexpr std::uint64_t kMaxRepeats = 0xFFFFFFFF;
constexpr std::size_t kRecentRecords = 8;

std::uint64_t Zigzag(std::int64_t value) {
    return (static_cast<std::uint64_t>(value) << 1) ^ static_cast<std::uint64_t>(value >> 63);
}

std::int64_t Unzigzag(std::uint64_t code) {
    return static_cast<std::int64_t>(code >> 1) ^ -static_cast<std::int64_t>(code & 1);
}

void PutVarint(Bytes& out, std::uint64_t value) {
    while (value >= 0x80) {
        out.push_back(static_cast<std::uint8_t>(value | 0x80));
        value >>= 7;
    }
    out.push_back(static_cast<std::uint8_t>(value));
}

void PutBytes(Bytes& out, const void* bytes, std::size_t count) {
    const auto* first = static_cast<const std::uint8_t*>(bytes);
    out.insert(out.end(), first, first + count);
}

std::uint32_t WordAt(const Bytes& data, std::size_t word) {
    const std::size_t at = word * 4;
    if (at + 4 > data.size()) return 0;
    return static_cast<std::uint32_t>(data[at]) | static_cast<std::uint32_t>(data[at + 1]) << 8 |
           static_cast<std::uint32_t>(data[at + 2]) << 16 | static_cast<std::uint32_t>(data[at + 3]) << 24;
}

// Differences are taken modulo 2^64, so a value may move anywhere, a wrapping
// 32-bit tick included, and still come back exactly.
void PutValues(Bytes& out, const std::vector<std::int64_t>& values, const std::vector<std::int64_t>& kept) {
    for (std::size_t i = 0; i < values.size(); ++i) {
        const std::uint64_t base = i < kept.size() ? static_cast<std::uint64_t>(kept[i]) : 0;
        PutVarint(out, Zigzag(static_cast<std::int64_t>(static_cast<std::uint64_t>(values[i]) - base)));
    }
}

void PutData(Bytes& out, const Bytes& data, const Bytes& kept) {
    const std::size_t words = data.size() / 4;
    for (std::size_t i = 0; i < words; ++i) {
        const auto difference = static_cast<std::int32_t>(WordAt(data, i) - WordAt(kept, i));
        PutVarint(out, (static_cast<std::uint32_t>(difference) << 1) ^ static_cast<std::uint32_t>(difference >> 31));
    }
    out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(words * 4), data.end());
}

bool SameContents(const Record& a, const Record& b) {
    return a.question == b.question && a.answer == b.answer && a.data == b.data;
}

// Where the record is among its call's recent ones, or kRecentRecords.
std::size_t FindRecent(const detail::CallHistory& history, const Record& record) {
    for (std::size_t i = 0; i < history.recent.size(); ++i) {
        if (SameContents(history.recent[i], record)) return i;
    }
    return kRecentRecords;
}

// What a record leaves at each place for the next record of its call to be
// coded against: its values and data bytes, over those of records before it.
void Remember(Record& memory, const Record& record) {
    const auto over = [](auto& kept, const auto& latest) {
        if (kept.size() < latest.size()) kept.resize(latest.size());
        std::copy(latest.begin(), latest.end(), kept.begin());
    };
    over(memory.question, record.question);
    over(memory.answer, record.answer);
    over(memory.data, record.data);
}

void Note(detail::CallHistory& history, const Record& record) {
    auto& recent = history.recent;
    const std::size_t at = FindRecent(history, record);
    if (at < recent.size()) {
        recent.erase(recent.begin() + static_cast<std::ptrdiff_t>(at));
    } else if (recent.size() == kRecentRecords) {
        recent.pop_back();
    }
    recent.insert(recent.begin(), record);
    Remember(history.memory, record);
}

// Why a start file's name is not a plain one, or nullptr: the name is joined
// to the player's folder on replay, so it must not lead out of it.
const char* NameProblem(const std::string& name) {
    if (name.empty()) return "a start file has no name";
    if (name.size() > kMaxNameBytes) return "a start file's name is longer than 255 bytes";
    if (name == "." || name == "..") return "a start file is named . or ..";
    if (name.find_first_of(std::string("/\\\0", 3)) != std::string::npos)
        return "a start file's name holds a folder separator or a zero byte";
    return nullptr;
}

// A cursor over the bytes that never reads past their end and says why it stopped.
class Reader {
public:
    Reader(const Bytes& bytes, std::size_t at) : bytes_(bytes), at_(at) {}

    std::size_t At() const { return at_; }
    std::size_t Left() const { return bytes_.size() - at_; }
    const std::string& Why() const { return why_; }

    ReadStatus Corrupt(std::string why) {
        why_ = std::move(why);
        return ReadStatus::Corrupt;
    }

    ReadStatus Byte(std::uint8_t& out) {
        if (Left() == 0) return ReadStatus::Truncated;
        out = bytes_[at_++];
        return ReadStatus::Ok;
    }

    ReadStatus Varint(std::uint64_t& out) {
        std::uint64_t value = 0;
        for (std::size_t i = 0; i < kMaxVarintBytes; ++i) {
            std::uint8_t byte = 0;
            if (Byte(byte) != ReadStatus::Ok) return ReadStatus::Truncated;
            // The tenth byte holds the 64th bit alone.
            if (i == kMaxVarintBytes - 1 && byte > 1) return Corrupt("a number runs past 64 bits");
            value |= static_cast<std::uint64_t>(byte & 0x7F) << (7 * i);
            if ((byte & 0x80) == 0) {
                out = value;
                return ReadStatus::Ok;
            }
        }
        return Corrupt("a number runs past 64 bits");
    }

    ReadStatus Bounded(std::uint64_t& out, std::uint64_t most, const char* what) {
        if (const ReadStatus status = Varint(out); status != ReadStatus::Ok) return status;
        if (out > most) return Corrupt(std::string(what) + " " + std::to_string(out) + " is more than " + std::to_string(most));
        return ReadStatus::Ok;
    }

    // `count` is bounded by the caller, and checked here against what is
    // left before anything is allocated.
    ReadStatus Take(std::uint64_t count, Bytes& out) {
        if (count > Left()) return ReadStatus::Truncated;
        const auto first = bytes_.begin() + static_cast<std::ptrdiff_t>(at_);
        out.assign(first, first + static_cast<std::ptrdiff_t>(count));
        at_ += static_cast<std::size_t>(count);
        return ReadStatus::Ok;
    }

    ReadStatus Text(std::uint64_t most, const char* what, std::string& out) {
        std::uint64_t length = 0;
        if (const ReadStatus status = Bounded(length, most, what); status != ReadStatus::Ok) return status;
        if (length > Left()) return ReadStatus::Truncated;
        out.assign(reinterpret_cast<const char*>(bytes_.data() + at_), static_cast<std::size_t>(length));
        at_ += static_cast<std::size_t>(length);
        return ReadStatus::Ok;
    }

    ReadStatus Values(std::uint64_t count, const std::vector<std::int64_t>& kept, std::vector<std::int64_t>& out) {
        out.clear();
        for (std::uint64_t i = 0; i < count; ++i) {
            std::uint64_t code = 0;
            if (const ReadStatus status = Varint(code); status != ReadStatus::Ok) return status;
            const std::uint64_t base = i < kept.size() ? static_cast<std::uint64_t>(kept[i]) : 0;
            out.push_back(static_cast<std::int64_t>(base + static_cast<std::uint64_t>(Unzigzag(code))));
        }
        return ReadStatus::Ok;
    }

    ReadStatus Data(std::uint64_t length, const Bytes& kept, Bytes& out) {
        const std::size_t words = static_cast<std::size_t>(length / 4);
        const std::size_t tail = static_cast<std::size_t>(length % 4);
        if (words + tail > Left()) return ReadStatus::Truncated;  // each word takes a byte at least
        out.assign(static_cast<std::size_t>(length), 0);
        for (std::size_t i = 0; i < words; ++i) {
            std::uint64_t code = 0;
            if (const ReadStatus status = Varint(code); status != ReadStatus::Ok) return status;
            if (code > 0xFFFFFFFF) return Corrupt("a data word runs past 32 bits");
            const auto small = static_cast<std::uint32_t>(code);
            const std::uint32_t difference = (small >> 1) ^ (0u - (small & 1));
            const std::uint32_t word = WordAt(kept, i) + difference;
            for (std::size_t b = 0; b < 4; ++b) out[i * 4 + b] = static_cast<std::uint8_t>(word >> (8 * b));
        }
        if (tail > Left()) return ReadStatus::Truncated;
        for (std::size_t b = 0; b < tail; ++b) out[words * 4 + b] = bytes_[at_++];
        return ReadStatus::Ok;
    }

private:
    const Bytes& bytes_;
    std::size_t at_;
    std::string why_;
};

ReadStatus ReadStartFile(Reader& reader, StartFile& file) {
    if (const ReadStatus status = reader.Text(kMaxNameBytes, "a start file's name length", file.name);
        status != ReadStatus::Ok)
        return status;
    if (const char* problem = NameProblem(file.name)) return reader.Corrupt(problem);
    std::uint8_t present = 0;
    if (const ReadStatus status = reader.Byte(present); status != ReadStatus::Ok) return status;
    if (present > 1) return reader.Corrupt("start file " + file.name + " is neither present nor absent");
    file.present = present == 1;
    file.bytes.clear();
    if (!file.present) return ReadStatus::Ok;
    std::uint64_t length = 0;
    if (const ReadStatus status = reader.Bounded(length, kMaxStartFileBytes, "a start file's length");
        status != ReadStatus::Ok)
        return status;
    return reader.Take(length, file.bytes);
}

ReadStatus ReadHeaderFields(Reader& reader, Header& header) {
    for (const char letter : kMagic) {
        std::uint8_t byte = 0;
        if (const ReadStatus status = reader.Byte(byte); status != ReadStatus::Ok) return status;
        if (byte != static_cast<std::uint8_t>(letter)) return reader.Corrupt("not a replay journal (wrong magic)");
    }
    std::uint8_t low = 0, high = 0;
    if (reader.Byte(low) != ReadStatus::Ok || reader.Byte(high) != ReadStatus::Ok) return ReadStatus::Truncated;
    header.formatVersion = static_cast<std::uint16_t>(low | high << 8);
    if (header.formatVersion != kFormatVersion)
        return reader.Corrupt("journal format " + std::to_string(header.formatVersion) + ", this build reads format " +
                              std::to_string(kFormatVersion));
    if (const ReadStatus status = reader.Text(kMaxProgramVersion, "the program version's length", header.programVersion);
        status != ReadStatus::Ok)
        return status;
    std::uint64_t files = 0;
    if (const ReadStatus status = reader.Bounded(files, kMaxStartFiles, "the count of start files");
        status != ReadStatus::Ok)
        return status;
    header.startFiles.assign(static_cast<std::size_t>(files), StartFile{});
    std::set<std::string> names;
    for (StartFile& file : header.startFiles) {
        if (const ReadStatus status = ReadStartFile(reader, file); status != ReadStatus::Ok) return status;
        if (!names.insert(file.name).second) return reader.Corrupt("start file " + file.name + " is listed twice");
    }
    return ReadStatus::Ok;
}

ReadStatus ReadRecord(Reader& reader, const std::vector<detail::CallHistory>& histories, Record& out,
                      std::uint64_t& repeats) {
    std::uint8_t kind = 0;
    if (const ReadStatus status = reader.Byte(kind); status != ReadStatus::Ok) return status;
    const std::uint8_t call = kind & kCallBits;
    if (call == 0 || call > kLastCall) return reader.Corrupt("unknown call " + std::to_string(call));
    const detail::CallHistory& history = histories[call];
    const Record& previous = history.recent.front();
    if ((kind & kEarlierFlags) == kSameFlag) {
        out = previous;
    } else if ((kind & kEarlierFlags) == kEarlierFlags) {
        std::uint8_t back = 0;
        if (const ReadStatus status = reader.Byte(back); status != ReadStatus::Ok) return status;
        if (back == 0 || back >= history.recent.size())
            return reader.Corrupt("a record refers to recent record " + std::to_string(back) + " of " +
                                  std::to_string(history.recent.size()));
        out = history.recent[back];
    } else {
        std::uint64_t questions = previous.question.size();
        std::uint64_t answers = previous.answer.size();
        std::uint64_t dataLength = previous.data.size();
        if ((kind & kShapeFlag) == 0) {
            for (auto [count, most, what] : {std::tuple{&questions, kMaxValues, "the count of questions"},
                                             std::tuple{&answers, kMaxValues, "the count of answers"},
                                             std::tuple{&dataLength, kMaxData, "the length of data"}}) {
                if (const ReadStatus status = reader.Bounded(*count, most, what); status != ReadStatus::Ok) return status;
            }
        }
        const Record& memory = history.memory;
        if (const ReadStatus status = reader.Values(questions, memory.question, out.question); status != ReadStatus::Ok)
            return status;
        if (const ReadStatus status = reader.Values(answers, memory.answer, out.answer); status != ReadStatus::Ok)
            return status;
        if (const ReadStatus status = reader.Data(dataLength, memory.data, out.data); status != ReadStatus::Ok)
            return status;
    }
    out.call = static_cast<Call>(call);
    repeats = 0;
    if ((kind & kRunFlag) == 0) return ReadStatus::Ok;
    if (const ReadStatus status = reader.Bounded(repeats, kMaxRepeats, "a run's length"); status != ReadStatus::Ok)
        return status;
    if (repeats == 0) return reader.Corrupt("a run of no repeats");
    return ReadStatus::Ok;
}

}  // namespace

const char* CallName(Call call) {
    switch (call) {
    case Call::Resources: return "ResourceHash";
    case Call::Tick: return "GetTickCount";
    case Call::Calendar: return "time";
    case Call::PeekMessage: return "PeekMessageA";
    case Call::GetMessage: return "GetMessageA";
    case Call::WaitMessage: return "WaitMessage";
    case Call::SentMessage: return "SentMessage";
    case Call::ObjectWait: return "WaitForObjects";
    case Call::DeviceData: return "GetDeviceData";
    case Call::DeviceState: return "GetDeviceState";
    case Call::DeviceResult: return "Acquire/Unacquire/Poll";
    case Call::SoundStatus: return "GetStatus";
    case Call::SoundPosition: return "GetCurrentPosition";
    case Call::SoundResult: return "Play/Stop/Lock/Restore";
    case Call::SurfaceResult: return "Flip/Blt/Lock/GetDC/IsLost/Restore";
    case Call::End: return "End";
    }
    return "an unknown call";
}

bool HeaderStorable(const Header& header, std::string& why) {
    if (header.formatVersion != kFormatVersion) {
        why = "format version " + std::to_string(header.formatVersion) + " is not the one this build writes";
        return false;
    }
    if (header.programVersion.size() > kMaxProgramVersion) {
        why = "the program version is longer than 256 bytes";
        return false;
    }
    if (header.startFiles.size() > kMaxStartFiles) {
        why = "more than 64 start files";
        return false;
    }
    std::set<std::string> names;
    for (const StartFile& file : header.startFiles) {
        if (const char* problem = NameProblem(file.name)) {
            why = problem;
            return false;
        }
        if (!names.insert(file.name).second) {
            why = "start file " + file.name + " is listed twice";
            return false;
        }
        if (file.bytes.size() > kMaxStartFileBytes) {
            why = "start file " + file.name + " is larger than 1 MiB";
            return false;
        }
        if (!file.present && !file.bytes.empty()) {
            why = "start file " + file.name + " is absent but has bytes";
            return false;
        }
    }
    return true;
}

std::vector<std::uint8_t> Encoder::EncodeHeader(const Header& header) {
    std::string why;
    if (!HeaderStorable(header, why)) return {};
    Bytes out(std::begin(kMagic), std::end(kMagic));
    out.push_back(static_cast<std::uint8_t>(header.formatVersion & 0xFF));
    out.push_back(static_cast<std::uint8_t>(header.formatVersion >> 8));
    PutVarint(out, header.programVersion.size());
    PutBytes(out, header.programVersion.data(), header.programVersion.size());
    PutVarint(out, header.startFiles.size());
    for (const StartFile& file : header.startFiles) {
        PutVarint(out, file.name.size());
        PutBytes(out, file.name.data(), file.name.size());
        out.push_back(file.present ? 1 : 0);
        if (!file.present) continue;
        PutVarint(out, file.bytes.size());
        PutBytes(out, file.bytes.data(), file.bytes.size());
    }
    return out;
}

bool Encoder::Fits(const Record& record) {
    const auto call = static_cast<std::uint8_t>(record.call);
    return call >= 1 && call <= kLastCall && record.question.size() <= kMaxValues &&
           record.answer.size() <= kMaxValues && record.data.size() <= kMaxData;
}

void Encoder::Add(const Record& record) {
    if (!Fits(record)) {
        ++dropped_;
        return;
    }
    if (runLength_ > 0 && runLength_ <= kMaxRepeats && record == runRecord_) {
        ++runLength_;
        return;
    }
    CloseRun();
    runRecord_ = record;
    runLength_ = 1;
}

std::vector<std::uint8_t> Encoder::TakeBytes() {
    CloseRun();
    return std::exchange(pending_, {});
}

void Encoder::CloseRun() {
    if (runLength_ == 0) return;
    EncodeOne(runRecord_, runLength_ - 1);
    runLength_ = 0;
}

void Encoder::EncodeOne(const Record& record, std::uint64_t repeats) {
    const auto call = static_cast<std::uint8_t>(record.call);
    detail::CallHistory& history = history_[call];
    const std::uint8_t kind = call | (repeats > 0 ? kRunFlag : 0);
    const std::size_t recent = FindRecent(history, record);
    if (recent == 0) {
        pending_.push_back(kind | kSameFlag);
    } else if (recent < kRecentRecords) {
        pending_.push_back(kind | kEarlierFlags);
        pending_.push_back(static_cast<std::uint8_t>(recent));
    } else {
        const Record& previous = history.recent.front();
        const bool sameShape = record.question.size() == previous.question.size() &&
                               record.answer.size() == previous.answer.size() &&
                               record.data.size() == previous.data.size();
        pending_.push_back(kind | (sameShape ? kShapeFlag : 0));
        if (!sameShape) {
            PutVarint(pending_, record.question.size());
            PutVarint(pending_, record.answer.size());
            PutVarint(pending_, record.data.size());
        }
        PutValues(pending_, record.question, history.memory.question);
        PutValues(pending_, record.answer, history.memory.answer);
        PutData(pending_, record.data, history.memory.data);
    }
    if (repeats > 0) PutVarint(pending_, repeats);
    Note(history, record);
}

Decoder::Decoder(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}

ReadStatus Decoder::ReadHeader(Header& header, std::string& why) {
    Reader reader(bytes_, 0);
    Header read;
    const ReadStatus status = ReadHeaderFields(reader, read);
    if (status == ReadStatus::Truncated) why = "the journal ends inside its header";
    if (status == ReadStatus::Corrupt) why = reader.Why();
    if (status != ReadStatus::Ok) return status;
    header = std::move(read);
    offset_ = reader.At();
    headerRead_ = true;
    return ReadStatus::Ok;
}

ReadStatus Decoder::Next(Record& record, std::string& why) {
    if (!headerRead_) {
        why = "the journal's header has not been read";
        return ReadStatus::Corrupt;
    }
    if (runLeft_ > 0) {
        --runLeft_;
        record = runRecord_;
        ++records_;
        return ReadStatus::Ok;
    }
    if (offset_ == bytes_.size()) return ReadStatus::End;
    Reader reader(bytes_, offset_);
    Record read;
    std::uint64_t repeats = 0;
    const ReadStatus status = ReadRecord(reader, history_, read, repeats);
    if (status != ReadStatus::Ok) {
        const std::string where = "at byte " + std::to_string(offset_) + ", after " + std::to_string(records_) + " records";
        why = status == ReadStatus::Truncated ? "the journal ends inside a record " + where : reader.Why() + " " + where;
        return status;
    }
    Note(history_[static_cast<std::size_t>(read.call)], read);
    offset_ = reader.At();
    runRecord_ = read;
    runLeft_ = repeats;
    record = std::move(read);
    ++records_;
    return ReadStatus::Ok;
}

}  // namespace journal
