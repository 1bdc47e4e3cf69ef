#include "journal_start.h"

#include <fstream>
#include <iterator>
#include <system_error>

#include "journal_format.h"

namespace entry {

namespace fs = std::filesystem;

namespace {

bool ReadWhole(const fs::path& path, std::vector<std::uint8_t>& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// Beside the folder's file, then renamed over it: a replay stopped half-way
// through this leaves no half-written file behind.
std::string WriteFile(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    const fs::path temporary = path.string() + ".replay";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out) return temporary.string() + ": cannot write it";
    }
    std::error_code error;
    fs::rename(temporary, path, error);
    return error ? path.string() + ": " + error.message() : "";
}

}  // namespace

std::string StartJournal(const fs::path& journal, const std::string& version, const std::vector<std::string>& files) {
    journal::Header header;
    header.programVersion = version;
    for (const std::string& name : files) {
        journal::StartFile file;
        file.name = name;
        std::error_code error;
        file.present = fs::is_regular_file(name, error) && ReadWhole(name, file.bytes);
        header.startFiles.push_back(std::move(file));
    }
    const std::vector<std::uint8_t> bytes = journal::Encoder::EncodeHeader(header);
    std::ofstream out(journal, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return out ? "" : journal.string() + ": cannot write it";
}

std::string RestoreJournalFiles(const fs::path& journal, const std::string& version) {
    std::vector<std::uint8_t> bytes;
    if (!ReadWhole(journal, bytes)) return journal.string() + ": cannot read it";
    journal::Decoder decoder(std::move(bytes));
    journal::Header header;
    std::string why;
    const journal::ReadStatus status = decoder.ReadHeader(header, why);
    if (status == journal::ReadStatus::Truncated) return journal.string() + ": the recording is cut short in its header";
    if (status != journal::ReadStatus::Ok) return journal.string() + ": not a recording of this program (" + why + ")";
    if (header.programVersion != version)
        return journal.string() + ": recorded by version " + header.programVersion + ", and this is version " + version;
    for (const journal::StartFile& file : header.startFiles) {
        if (file.present) {
            if (std::string failed = WriteFile(file.name, file.bytes); !failed.empty()) return failed;
        } else {
            std::error_code ignored;
            fs::remove(file.name, ignored);
        }
    }
    return "";
}

}  // namespace entry
