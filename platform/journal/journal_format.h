// The replay journal's file format: every answer the layer gave a program
// that depended on time or the outside world, in call order, so that a run
// can be fed the same answers again and reproduce itself exactly.
//
// A file is a header (magic, format version, the program's version and the
// bytes of the player's files the program started with) and then records.
// Records are written whole and in order; a file cut short by a crash or a
// kill reads up to its last complete record. The reader trusts nothing in
// the file: every length and count is checked against what is left.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace journal {

inline constexpr char kMagic[4] = {'Z', 'K', 'J', 'N'};
inline constexpr std::uint16_t kFormatVersion = 1;

// What the program asked. The numbers are stored in the file: append only.
enum class Call : std::uint8_t {
    Resources = 1,      // first record: answer[0] is the hash of the program's resources
    Tick = 2,           // GetTickCount / timeGetTime
    Calendar = 3,       // GetSystemTimeAsFileTime (time() goes through it): answer[0] ms since 1601
    PeekMessage = 4,    // question: filterMin, filterMax, remove flags; answer: result; data: MSG when found
    GetMessage = 5,     // question: filterMin, filterMax; answer: result; data: MSG
    WaitMessage = 6,    // answer: result
    SentMessage = 7,    // not a question: the layer called a window procedure from outside
                        // (answer: window, message, wParam, lParam)
    ObjectWait = 8,     // WaitForSingleObject / WaitForMultipleObjects / MsgWaitForMultipleObjects:
                        // question: count, timeout; answer: result
    DeviceData = 9,     // GetDeviceData: question: object size, items asked, flags; answer: result,
                        // items; data: the items
    DeviceState = 10,   // GetDeviceState: question: size; answer: result; data: the state
    DeviceResult = 11,  // Acquire / Unacquire / Poll: question: which; answer: result
    SoundStatus = 12,   // GetStatus: answer: result, status
    SoundPosition = 13, // GetCurrentPosition: answer: result, play, write
    SoundResult = 14,   // Play / Stop / Lock / Restore: question: which; answer: result
    SurfaceResult = 15, // Flip / Blt / BltFast / Lock / GetDC / IsLost / Restore: question: which;
                        // answer: result
    End = 16,           // the program ended (written at its exit)
};
inline constexpr std::uint8_t kLastCall = static_cast<std::uint8_t>(Call::End);

// Names for messages: "GetTickCount", "PeekMessageA", ...
const char* CallName(Call call);

struct Record {
    Call call = Call::Tick;
    std::vector<std::int64_t> question;  // checked on replay against what the program asks
    std::vector<std::int64_t> answer;    // handed back on replay
    std::vector<std::uint8_t> data;      // bytes handed back on replay (a MSG, device items)

    bool operator==(const Record&) const = default;
};

// A file of the player's the program started with, restored before a replay.
struct StartFile {
    std::string name;  // a plain file name, no folders
    bool present = false;
    std::vector<std::uint8_t> bytes;

    bool operator==(const StartFile&) const = default;
};

struct Header {
    std::uint16_t formatVersion = kFormatVersion;
    std::string programVersion;
    std::vector<StartFile> startFiles;

    bool operator==(const Header&) const = default;
};

namespace detail {
// What the coding of a call's next record refers to, alike when writing and
// reading: the call's last distinct records, most recent first (at first one
// empty record), and the last value and data byte it had at each place.
struct CallHistory {
    std::vector<Record> recent = std::vector<Record>(1);
    Record memory;
};
}  // namespace detail

// Whether the encoder can store the header (this build's format version, a
// program version of at most 256 bytes, at most 64 start files with plain,
// distinct names and at most 1 MiB each, no bytes for an absent file); when
// not, `why` says what is wrong.
bool HeaderStorable(const Header& header, std::string& why);

// Collects records into the compact form (values coded as differences from
// the last ones of the same call, runs of identical records as one
// record and a count) and hands out the bytes ready to be written. Nothing
// is lost by holding a run back: TakeBytes() closes it.
class Encoder {
public:
    // The header's bytes; call once, first. Empty when the header cannot be
    // stored (HeaderStorable says why): a reader would refuse the file.
    static std::vector<std::uint8_t> EncodeHeader(const Header& header);

    // Whether a record can be stored: a known call, at most 16 question and
    // 16 answer values, at most 64 KiB of data.
    static bool Fits(const Record& record);

    // A record that does not fit is not stored, only counted in Dropped().
    void Add(const Record& record);
    // Everything added so far that has not been taken, as whole records.
    // Runs only form between takes: taking after every record costs a byte
    // for each repeated record instead of a byte for the whole run.
    std::vector<std::uint8_t> TakeBytes();

    std::uint64_t Dropped() const { return dropped_; }

private:
    std::vector<detail::CallHistory> history_ = std::vector<detail::CallHistory>(kLastCall + 1);
    std::vector<std::uint8_t> pending_;
    Record runRecord_;
    std::uint64_t runLength_ = 0;
    std::uint64_t dropped_ = 0;
    void CloseRun();
    void EncodeOne(const Record& record, std::uint64_t repeats);
};

enum class ReadStatus {
    Ok,         // a record was read
    End,        // the bytes ended exactly after a complete record
    Truncated,  // the bytes end inside a record
    Corrupt,    // the bytes cannot be a journal (bad magic, version, lengths, values)
};

// Reads a whole journal held in memory.
class Decoder {
public:
    explicit Decoder(std::vector<std::uint8_t> bytes);

    // Reads the header; Ok, Truncated or Corrupt. `why` says what was wrong.
    ReadStatus ReadHeader(Header& header, std::string& why);
    // The next record, expanding runs; call after ReadHeader returned Ok.
    // After Truncated or Corrupt, Offset() is the start of the record that
    // could not be read, and asking again gives the same answer.
    ReadStatus Next(Record& record, std::string& why);

    std::size_t Offset() const { return offset_; }         // bytes consumed
    std::uint64_t RecordsRead() const { return records_; }  // records handed out

private:
    std::vector<std::uint8_t> bytes_;
    std::size_t offset_ = 0;
    std::uint64_t records_ = 0;
    bool headerRead_ = false;
    std::vector<detail::CallHistory> history_ = std::vector<detail::CallHistory>(kLastCall + 1);
    Record runRecord_;
    std::uint64_t runLeft_ = 0;
};

}  // namespace journal
