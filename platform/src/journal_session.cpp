// Recording and replaying the program's questions to the outside world. The
// journal's header (the program's version, the player's files it started
// with) is the entry's business; from the first record on the file is ours.
#include "journal_session.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "frame_output.h"
#include "layer_log.h"
#include "resources_internal.h"
#include "window_registry.h"

namespace layer {

namespace {

using journal::Call;
using journal::Record;

// Library constructors run on the process's first thread, the program's.
const std::thread::id kProgramThread = std::this_thread::get_id();

struct Session {
    JournalMode mode = JournalMode::Off;
    std::string path;

    // Recording.
    int fd = -1;
    journal::Encoder encoder;

    // Replaying.
    journal::Decoder* decoder = nullptr;
    bool paced = false;
    bool pacingStarted = false;
    DWORD firstTick = 0;
    std::chrono::steady_clock::time_point wallStart;

    DWORD lastTick = 0;
    std::uint64_t calls = 0;
};

[[noreturn]] void Stop(int code) {
    FlushFrameOutput();
    std::fflush(stdout);
    std::fflush(stderr);
    // Mid-frame: the program's own objects are in no state to be torn down.
    _exit(code);
}

std::string Describe(const Record& record) {
    std::string text = journal::CallName(record.call);
    text += '(';
    for (std::size_t i = 0; i < record.question.size(); ++i) {
        if (i) text += ", ";
        text += std::to_string(record.question[i]);
    }
    return text + ')';
}

void WriteAll(int fd, const std::vector<std::uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            LogLine("recording: cannot write the journal: %s", std::strerror(errno));
            return;
        }
        done += static_cast<std::size_t>(n);
    }
}

Session& TheSession();

void FinishAtExit();

Record NextRecord(Session& session);

void OpenRecording(Session& session) {
    session.fd = open(session.path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (session.fd < 0) {
        LogLine("recording: %s: %s", session.path.c_str(), std::strerror(errno));
        session.mode = JournalMode::Off;
        return;
    }
    Record first;
    first.call = Call::Resources;
    first.answer = {static_cast<std::int64_t>(ResourcesHash())};
    session.encoder.Add(first);
    WriteAll(session.fd, session.encoder.TakeBytes());
}

void OpenReplay(Session& session) {
    std::FILE* file = std::fopen(session.path.c_str(), "rb");
    std::vector<std::uint8_t> bytes;
    if (file) {
        std::uint8_t chunk[65536];
        std::size_t n;
        while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.insert(bytes.end(), chunk, chunk + n);
        std::fclose(file);
    }
    session.decoder = new journal::Decoder(std::move(bytes));
    journal::Header header;
    std::string why;
    if (session.decoder->ReadHeader(header, why) != journal::ReadStatus::Ok) {
        std::fprintf(stderr, "replay: %s: %s\n", session.path.c_str(), why.empty() ? "unreadable" : why.c_str());
        Stop(2);
    }
    const Record first = NextRecord(session);
    if (first.call != Call::Resources || first.answer.size() != 1 ||
        static_cast<std::uint64_t>(first.answer[0]) != ResourcesHash()) {
        std::fprintf(stderr, "replay: %s was recorded with other pictures and sounds than this program's\n",
                     session.path.c_str());
        Stop(2);
    }
    const char* fast = std::getenv("WINLAYER_REPLAY_FAST");
    session.paced = !(fast && fast[0] == '1');
}

Session& TheSession() {
    static Session* session = [] {
        auto* s = new Session;
        const char* record = std::getenv("WINLAYER_RECORD");
        const char* replay = std::getenv("WINLAYER_REPLAY");
        if (replay && replay[0]) {
            s->mode = JournalMode::Replaying;
            s->path = replay;
        } else if (record && record[0]) {
            s->mode = JournalMode::Recording;
            s->path = record;
        }
        return s;
    }();
    return *session;
}

// Opened at the first journaled call, so that a program that never makes
// one never touches the file.
bool Opened(Session& session) {
    static bool opened = [&session] {
        if (session.mode == JournalMode::Recording) OpenRecording(session);
        if (session.mode == JournalMode::Replaying) OpenReplay(session);
        if (session.mode != JournalMode::Off) std::atexit(FinishAtExit);
        return true;
    }();
    return opened;
}

thread_local int sendDepth = 0;
thread_local int outsideDepth = 0;

void DeliverSent(const Record& record) {
    if (record.answer.size() != 4) {
        std::fprintf(stderr, "replay: record %llu is malformed\n", static_cast<unsigned long long>(TheSession().calls));
        Stop(3);
    }
    const auto window = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(record.answer[0]));
    const WNDPROC proc = WindowProcOf(window);
    if (proc == nullptr) return;
    ++sendDepth;
    proc(window, static_cast<UINT>(record.answer[1]), static_cast<WPARAM>(record.answer[2]),
         static_cast<LPARAM>(record.answer[3]));
    --sendDepth;
}

// The next answer of the journal; messages the outside world sent meanwhile
// are delivered first, as the pump delivered them while recording.
Record NextRecord(Session& session) {
    for (;;) {
        Record record;
        std::string why;
        const journal::ReadStatus status = session.decoder->Next(record, why);
        if (status == journal::ReadStatus::Ok) {
            if (record.call == Call::SentMessage) {
                DeliverSent(record);
                continue;
            }
            return record;
        }
        if (status == journal::ReadStatus::Corrupt) {
            std::fprintf(stderr, "replay: %s is damaged at byte %zu: %s\n", session.path.c_str(),
                         session.decoder->Offset(), why.c_str());
            Stop(3);
        }
        std::fprintf(stderr, "replay: %s ends after call %llu (byte %zu)%s, before the program did\n",
                     session.path.c_str(), static_cast<unsigned long long>(session.decoder->RecordsRead()),
                     session.decoder->Offset(),
                     status == journal::ReadStatus::Truncated ? ", in the middle of a record" : "");
        Stop(4);
    }
}

void FinishAtExit() {
    Session& session = TheSession();
    if (session.mode == JournalMode::Recording && session.fd >= 0) {
        Record end;
        end.call = Call::End;
        session.encoder.Add(end);
        WriteAll(session.fd, session.encoder.TakeBytes());
        close(session.fd);
        session.fd = -1;
    }
    if (session.mode == JournalMode::Replaying && session.decoder) {
        Record record;
        std::string why;
        const journal::ReadStatus status = session.decoder->Next(record, why);
        if (status == journal::ReadStatus::Ok && record.call != Call::End) {
            std::fprintf(stderr, "replay: the program ended at call %llu; the journal goes on with %s\n",
                         static_cast<unsigned long long>(session.calls), Describe(record).c_str());
            Stop(3);
        }
    }
    FlushFrameOutput();
}

void Pace(Session& session, DWORD tick) {
    if (!session.paced) return;
    const auto now = std::chrono::steady_clock::now();
    if (!session.pacingStarted) {
        session.pacingStarted = true;
        session.firstTick = tick;
        session.wallStart = now;
        return;
    }
    const auto due = session.wallStart + std::chrono::milliseconds(static_cast<DWORD>(tick - session.firstTick));
    if (due > now) std::this_thread::sleep_until(due);
}

}  // namespace

JournalMode JournalModeHere() {
    Session& session = TheSession();
    if (session.mode == JournalMode::Off || std::this_thread::get_id() != kProgramThread) return JournalMode::Off;
    Opened(session);
    return session.mode;
}

bool ReplayingAnywhere() { return TheSession().mode == JournalMode::Replaying; }

Record JournalExchange(Call call, std::initializer_list<std::int64_t> question,
                       const std::function<void(Record&)>& live) {
    Session& session = TheSession();
    Record asked;
    asked.call = call;
    asked.question = question;
    ++session.calls;
    if (session.mode == JournalMode::Recording) {
        live(asked);
        session.encoder.Add(asked);
        if (call == Call::Tick && !asked.answer.empty()) session.lastTick = static_cast<DWORD>(asked.answer[0]);
        return asked;
    }
    Record recorded = NextRecord(session);
    if (recorded.call != call || recorded.question != asked.question) {
        std::fprintf(stderr, "replay: call %llu differs: the journal has %s, the program made %s\n",
                     static_cast<unsigned long long>(session.calls),
                     recorded.call == Call::End ? "the program's end" : Describe(recorded).c_str(),
                     Describe(asked).c_str());
        Stop(3);
    }
    if (recorded.answer.empty()) {
        std::fprintf(stderr, "replay: call %llu of the journal has no answer\n",
                     static_cast<unsigned long long>(session.calls));
        Stop(3);
    }
    if (call == Call::Tick) {
        session.lastTick = static_cast<DWORD>(recorded.answer[0]);
        Pace(session, session.lastTick);
    }
    return recorded;
}

OutsideWorldScope::OutsideWorldScope() { ++outsideDepth; }
OutsideWorldScope::~OutsideWorldScope() { --outsideDepth; }

LRESULT CallWindowProcedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, WNDPROC proc) {
    if (outsideDepth > 0 && sendDepth == 0 && JournalModeHere() == JournalMode::Recording) {
        Record sent;
        sent.call = Call::SentMessage;
        sent.answer = {static_cast<std::int64_t>(reinterpret_cast<std::uintptr_t>(window)), msg,
                       static_cast<std::int64_t>(wParam), static_cast<std::int64_t>(lParam)};
        TheSession().encoder.Add(sent);
    }
    ++sendDepth;
    const LRESULT result = proc(window, msg, wParam, lParam);
    --sendDepth;
    return result;
}

void StopReplayByPlayer() {
    std::fprintf(stderr, "replay: stopped by the player at call %llu\n",
                 static_cast<unsigned long long>(TheSession().calls));
    Stop(0);
}

DWORD LastJournalTick() { return TheSession().lastTick; }

void FlushJournal() {
    Session& session = TheSession();
    if (session.mode == JournalMode::Recording && session.fd >= 0) WriteAll(session.fd, session.encoder.TakeBytes());
}

}  // namespace layer
