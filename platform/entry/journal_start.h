// The entry's part of recording and replaying a game: the journal's header,
// which names the program's version and holds the player's files as they
// were when the recording began. The layer writes and reads the records
// after it.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace entry {

// Starts the journal at `journal` with the header: `version`, and the bytes
// of `files` in the current folder (a file that is not there is noted as
// absent). "" on success, else why not.
std::string StartJournal(const std::filesystem::path& journal, const std::string& version,
                         const std::vector<std::string>& files);

// Checks that `journal` is a journal of this program's `version` and puts
// its start files into the current folder (removing one that was absent).
// "" on success, else why not.
std::string RestoreJournalFiles(const std::filesystem::path& journal, const std::string& version);

}  // namespace entry
