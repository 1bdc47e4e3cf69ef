// Replacing a small file so that readers see it wholly old or wholly new,
// whatever happens to the program in between, and so that nothing an earlier
// run left behind can stop the next save.
#pragma once

#include <cstddef>
#include <string>

namespace atomic_save {

// A save's temporary file is "<name>.tmp-" and six letters or digits, created
// exclusively beside the file. True when `candidate` is one of `name`'s.
bool IsTemporaryOf(const std::string& name, const std::string& candidate);

// Puts `bytes` in place of the file: into a fresh temporary beside it, flushed
// to the disk, then renamed over it. When the name is a symbolic link, the
// file it leads to is replaced and the link stays (off Windows, where players
// link their files; on Windows a link is replaced like a file). Temporaries of earlier
// saves that were killed are removed first. False with the reason in
// `failure` when any step fails; the old file is then untouched and no
// temporary of this save is left.
bool Replace(const char* fileName, const unsigned char* bytes, std::size_t size, std::string& failure);

}  // namespace atomic_save
