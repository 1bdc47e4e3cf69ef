// The best-score file: ten names of 16 bytes, then ten scores of 2 bytes
// (unsigned, low byte first), 180 bytes in all with no header. These helpers
// know the format and the safe way to replace the file; drawing the table is
// HiscoreTable's business.
#pragma once

namespace hiscore {

constexpr int kEntries = 10;
constexpr int kNameLength = 16;
constexpr int kFileSize = kEntries * kNameLength + kEntries * 2;  // 180

// The table as the file holds it. A name is its field's bytes up to the first
// zero byte, or all 16 when there is none; padding spaces belong to the name.
// Bytes of a name buffer after its end are always zero.
struct Records {
    char names[kEntries][kNameLength + 1];
    int scores[kEntries];
};

// Records of an empty table: empty names, scores 0.
Records EmptyRecords();

// The records that 180 bytes of file content describe.
Records Decode(const unsigned char (&bytes)[kFileSize]);

// The 180 bytes that store the records; each score keeps its low 16 bits.
void Encode(const Records& records, unsigned char (&bytes)[kFileSize]);

// Reads the file. Bytes the file does not have read as zero and bytes past
// the 180th are ignored. False when the file cannot be opened or read, or is
// not a regular file (a FIFO, socket, device or folder is refused without
// waiting on it); the records are then left as they were.
bool ReadFile(const char* fileName, Records& records);

// Replaces the file with the records so that it is either wholly the new table
// or untouched (see atomic_save::Replace: a unique temporary beside the file,
// flushed, renamed over it; a symbolic link stays and its target is
// replaced). False when any step fails; off Windows the failure is then also
// told once on standard error.
bool WriteFile(const char* fileName, const Records& records);

// Puts an entry in its place: above the first entry whose score is less than
// or equal to `score`, the tenth falling out. The name is padded with spaces
// to 16 bytes (longer names are cut). Returns the place (0 to 9), or -1 when
// the score earns none and the records are unchanged.
int Insert(Records& records, const char* name, int score);

}  // namespace hiscore
