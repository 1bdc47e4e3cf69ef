// zarnok_assetgen <font folder> <resource folder> <docs folder>
// Draws every picture and synthesises every sound of the game, writes the
// icon, the desktop icons, the shipped best-score table and the contact sheet. Deterministic:
// the same sources give the same bytes.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "canvas.h"
#include "files.h"

namespace art {
bool MakePictures(const std::string& resDir, const std::string& docsDir);
bool MakeSounds(const std::string& resDir);
bool MakeDesktopIcons(const std::string& resDir);
}  // namespace art

namespace {

// Ten entries of 16 space-padded bytes, then ten little-endian 16-bit scores.
bool MakeHiscores(const std::string& path) {
    struct Entry {
        const char* name;
        unsigned score;
    };
    const Entry entries[10] = {{"old barnaby", 5200}, {"mira", 4100}, {"the night owl", 3300}, {"tom", 2600},
                               {"sleepy jo", 1900},   {"pip", 1400},  {"wanda", 950},          {"rook", 600},
                               {"grizelda", 300},     {"newcomer", 50}};
    std::vector<std::uint8_t> bytes;
    for (const Entry& e : entries) {
        std::size_t len = std::strlen(e.name);
        for (std::size_t i = 0; i < 16; ++i) bytes.push_back(i < len ? static_cast<std::uint8_t>(e.name[i]) : ' ');
    }
    for (const Entry& e : entries) {
        bytes.push_back(static_cast<std::uint8_t>(e.score & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(e.score >> 8));
    }
    return art::WriteBytes(path, bytes);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: zarnok_assetgen <font folder> <resource folder> <docs folder>\n");
        return 2;
    }
    if (!art::InitFonts(argv[1])) return 1;
    std::string res = argv[2], docs = argv[3];
    bool ok = art::MakePictures(res, docs);
    ok = art::MakeSounds(res) && ok;
    ok = MakeHiscores(res + "/hiscores.zk") && ok;
    ok = art::MakeDesktopIcons(res) && ok;
    if (!ok) {
        std::fprintf(stderr, "zarnok_assetgen: some files could not be written\n");
        return 1;
    }
    return 0;
}
