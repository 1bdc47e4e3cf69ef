#include "rc_script.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>

namespace rc {
namespace {

enum class TokenKind { End, Word, Number, String, Comma, Open, Close };

struct Token {
    TokenKind kind = TokenKind::End;
    std::string text;         // word (as written) or decoded string (UTF-8)
    std::uint32_t value = 0;  // number
    int line = 0;
};

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// Text as messages show it, in quotes, with anything that would break the
// one line of a message (a NUL, a line end, any control character) written
// as an escape.
std::string Quote(const std::string& text, char mark = '"') {
    std::string out(1, mark);
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\0') out += "\\0";
        else if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else if (c == '\t') out += "\\t";
        else if (byte < 0x20 || byte == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            out += escaped;
        } else out += c;
    }
    return out + mark;
}

// Resources are embedded in the program; anything larger is not a resource.
constexpr off_t kMaxFileBytes = 64 * 1024 * 1024;

// Reads a regular file whole. A folder, FIFO, socket or device is refused
// without waiting on it (opening a FIFO would wait for a writer, and a device
// may never end); `reason` then says why, naming the file as `shown`.
bool ReadRegularFile(const std::string& path, const std::string& shown, std::vector<std::uint8_t>& data,
                     std::string& reason) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        reason = "cannot open " + shown + ": " + std::strerror(errno);
        return false;
    }
    struct stat info;
    if (::fstat(fd, &info) != 0) reason = "cannot examine " + shown + ": " + std::strerror(errno);
    else if (S_ISDIR(info.st_mode)) reason = shown + " is a folder, not a file";
    else if (!S_ISREG(info.st_mode)) reason = shown + " is not a regular file";
    else if (info.st_size > kMaxFileBytes) reason = shown + " is larger than 64 MiB";
    if (reason.empty()) {
        data.resize(static_cast<std::size_t>(info.st_size));
        std::size_t got = 0;
        while (got < data.size()) {
            const ssize_t part = ::read(fd, data.data() + got, data.size() - got);
            if (part < 0 && errno == EINTR) continue;
            if (part < 0) reason = "cannot read " + shown + ": " + std::strerror(errno);
            if (part <= 0) break;
            got += static_cast<std::size_t>(part);
        }
        data.resize(got);
    }
    ::close(fd);
    return reason.empty();
}

class Lexer {
public:
    Lexer(std::string text, std::string file) : text_(std::move(text)), file_(std::move(file)) {}

    // Reads every token; false with `error` set on a malformed one.
    bool Run(std::vector<Token>& tokens, std::string& error) {
        for (;;) {
            Token token;
            if (!Next(token, error)) return false;
            tokens.push_back(token);
            if (token.kind == TokenKind::End) return true;
        }
    }

private:
    bool Fail(std::string& error, const std::string& message) const {
        error = file_ + ":" + std::to_string(line_) + ": " + message;
        return false;
    }

    bool AtLineStart() const {
        for (std::size_t i = pos_; i > 0; --i) {
            char c = text_[i - 1];
            if (c == '\n') return true;
            if (c != ' ' && c != '\t' && c != '\r') return false;
        }
        return true;
    }

    bool SkipSpaceAndComments(std::string& error) {
        while (pos_ < text_.size()) {
            char c = text_[pos_];
            if (c == '\n') {
                ++line_;
                ++pos_;
            } else if (std::isspace(static_cast<unsigned char>(c))) {
                ++pos_;
            } else if (text_.compare(pos_, 2, "//") == 0) {
                while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
            } else if (text_.compare(pos_, 2, "/*") == 0) {
                std::size_t end = text_.find("*/", pos_ + 2);
                if (end == std::string::npos) return Fail(error, "unterminated comment");
                line_ += static_cast<int>(std::count(text_.begin() + static_cast<long>(pos_),
                                                     text_.begin() + static_cast<long>(end), '\n'));
                pos_ = end + 2;
            } else if (c == '#' && AtLineStart()) {
                // No preprocessor here: a directive would silently mean
                // something different from what windres makes of it.
                return Fail(error, "preprocessor directives are not supported");
            } else {
                return true;
            }
        }
        return true;
    }

    bool Next(Token& token, std::string& error) {
        if (!SkipSpaceAndComments(error)) return false;
        token.line = line_;
        if (pos_ >= text_.size()) {
            token.kind = TokenKind::End;
            return true;
        }
        char c = text_[pos_];
        if (c == ',') return Single(token, TokenKind::Comma);
        if (c == '{') return Single(token, TokenKind::Open);
        if (c == '}') return Single(token, TokenKind::Close);
        if (c == '"') return ReadString(token, error);
        if (std::isdigit(static_cast<unsigned char>(c))) return ReadNumber(token, error);
        if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
            std::size_t start = pos_;
            while (pos_ < text_.size() &&
                   (std::isalnum(static_cast<unsigned char>(text_[pos_])) || text_[pos_] == '_'))
                ++pos_;
            token.kind = TokenKind::Word;
            token.text = text_.substr(start, pos_ - start);
            return true;
        }
        return Fail(error, "unexpected character " + Quote(std::string(1, c), '\''));
    }

    bool Single(Token& token, TokenKind kind) {
        token.kind = kind;
        token.text = std::string(1, text_[pos_++]);
        return true;
    }

    bool ReadNumber(Token& token, std::string& error) {
        std::size_t start = pos_;
        int base = 10;
        if (text_.compare(pos_, 2, "0x") == 0 || text_.compare(pos_, 2, "0X") == 0) {
            base = 16;
            pos_ += 2;
        }
        std::uint64_t value = 0;
        std::size_t digits = 0;
        while (pos_ < text_.size()) {
            char c = static_cast<char>(std::tolower(static_cast<unsigned char>(text_[pos_])));
            int digit = -1;
            if (c >= '0' && c <= '9') digit = c - '0';
            else if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
            if (digit < 0) break;
            value = value * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
            if (value > 0xFFFFFFFFu) return Fail(error, "number too large");
            ++digits;
            ++pos_;
        }
        if (digits == 0) return Fail(error, "malformed number '" + text_.substr(start, pos_ - start) + "'");
        if (pos_ < text_.size() && (text_[pos_] == 'L' || text_[pos_] == 'l')) ++pos_;
        if (pos_ < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[pos_])) || text_[pos_] == '_'))
            return Fail(error, "malformed number '" + text_.substr(start, pos_ - start + 1) + "'");
        token.kind = TokenKind::Number;
        token.value = static_cast<std::uint32_t>(value);
        token.text = text_.substr(start, pos_ - start);
        return true;
    }

    // A C-style string; "" inside stands for one quote, as in rc.exe.
    bool ReadString(Token& token, std::string& error) {
        ++pos_;
        std::string out;
        for (;;) {
            if (pos_ >= text_.size() || text_[pos_] == '\n') return Fail(error, "unterminated string");
            char c = text_[pos_++];
            if (c == '"') {
                if (pos_ < text_.size() && text_[pos_] == '"') {
                    out.push_back('"');
                    ++pos_;
                    continue;
                }
                break;
            }
            if (c != '\\') {
                out.push_back(c);
                continue;
            }
            if (pos_ >= text_.size()) return Fail(error, "unterminated string");
            char e = text_[pos_++];
            switch (e) {
                case 'n': out.push_back('\n'); break;
                case 't': out.push_back('\t'); break;
                case 'r': out.push_back('\r'); break;
                case 'a': out.push_back('\a'); break;
                case '\\': out.push_back('\\'); break;
                case '"': out.push_back('"'); break;
                case '0': out.push_back('\0'); break;
                default: return Fail(error, "unknown escape " + Quote(std::string("\\") + e, '\'') + " in string");
            }
        }
        token.kind = TokenKind::String;
        token.text = std::move(out);
        return true;
    }

    std::string text_;
    std::string file_;
    std::size_t pos_ = 0;
    int line_ = 1;
};

// Memory options of 16-bit Windows that rc still accepts and ignores.
bool IsMemoryOption(const std::string& word) {
    static const std::set<std::string> options = {"DISCARDABLE", "MOVEABLE", "FIXED", "PURE",
                                                  "IMPURE",      "PRELOAD",  "LOADONCALL"};
    return options.count(Upper(word)) != 0;
}

void PutWord(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

std::uint32_t ReadLe(const std::vector<std::uint8_t>& data, std::size_t at, int bytes) {
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | data[at + static_cast<std::size_t>(i)];
    return value;
}

// UTF-8 to UTF-16 code units; false on a malformed sequence.
bool Utf8ToUtf16(const std::string& text, std::vector<std::uint16_t>& out) {
    for (std::size_t i = 0; i < text.size();) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        std::uint32_t cp = 0;
        int extra = 0;
        if (c < 0x80) cp = c;
        else if ((c & 0xE0) == 0xC0) { cp = c & 0x1F; extra = 1; }
        else if ((c & 0xF0) == 0xE0) { cp = c & 0x0F; extra = 2; }
        else if ((c & 0xF8) == 0xF0) { cp = c & 0x07; extra = 3; }
        else return false;
        if (i + static_cast<std::size_t>(extra) >= text.size() && extra > 0) return false;
        for (int k = 1; k <= extra; ++k) {
            unsigned char n = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
            if ((n & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (n & 0x3F);
        }
        i += 1 + static_cast<std::size_t>(extra);
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<std::uint16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<std::uint16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<std::uint16_t>(cp));
        }
    }
    return true;
}

class Compiler {
public:
    Compiler(std::string path, CompiledScript& out) : path_(std::move(path)), out_(out) {
        folder_ = std::filesystem::path(path_).parent_path();
    }

    bool Run(const std::string& text, std::string& error) {
        if (!Lexer(text, path_).Run(tokens_, error)) return false;
        while (Peek().kind != TokenKind::End) {
            if (!Statement(error)) return false;
        }
        return FinishStrings(error);
    }

private:
    const Token& Peek(std::size_t ahead = 0) const {
        return tokens_[std::min(at_ + ahead, tokens_.size() - 1)];
    }
    Token Take() {
        Token t = Peek();
        if (at_ < tokens_.size() - 1) ++at_;
        return t;
    }
    bool Fail(std::string& error, int line, const std::string& message) const {
        error = path_ + ":" + std::to_string(line) + ": " + message;
        return false;
    }
    static std::string Describe(const Token& t) {
        switch (t.kind) {
            case TokenKind::End: return "end of file";
            case TokenKind::String: return "string " + Quote(t.text);
            default: return Quote(t.text, '\'');
        }
    }
    bool IsWord(const Token& t, const char* word) const { return t.kind == TokenKind::Word && Upper(t.text) == word; }

    bool Number16(std::string& error, std::uint16_t& value, const char* what) {
        Token t = Take();
        if (t.kind != TokenKind::Number) return Fail(error, t.line, std::string("expected ") + what + ", found " + Describe(t));
        if (t.value > 0xFFFF) return Fail(error, t.line, std::string(what) + " " + t.text + " is above 65535");
        value = static_cast<std::uint16_t>(t.value);
        return true;
    }

    bool Statement(std::string& error) {
        const Token& first = Peek();
        if (IsWord(first, "LANGUAGE")) return Language(error);
        if (IsWord(first, "STRINGTABLE")) return StringTable(error);
        return FileResource(error);
    }

    // LANGUAGE primary, sub: one language is all the layer keeps.
    bool Language(std::string& error) {
        Take();
        std::uint16_t primary = 0, sub = 0;
        if (!Number16(error, primary, "language")) return false;
        Token comma = Take();
        if (comma.kind != TokenKind::Comma) return Fail(error, comma.line, "expected ',' after the language");
        return Number16(error, sub, "sublanguage");
    }

    bool StringTable(std::string& error) {
        Token head = Take();
        while (Peek().kind == TokenKind::Word && IsMemoryOption(Peek().text)) Take();
        if (IsWord(Peek(), "LANGUAGE") && !Language(error)) return false;
        Token open = Take();
        if (!(open.kind == TokenKind::Open || IsWord(open, "BEGIN")))
            return Fail(error, open.line, "expected BEGIN or '{' after STRINGTABLE, found " + Describe(open));
        for (;;) {
            Token t = Peek();
            if (t.kind == TokenKind::Close || IsWord(t, "END")) {
                Take();
                return true;
            }
            if (t.kind == TokenKind::End) return Fail(error, head.line, "STRINGTABLE is not closed");
            std::uint16_t id = 0;
            if (!Number16(error, id, "string id")) return false;
            if (Peek().kind == TokenKind::Comma) Take();
            Token text = Take();
            if (text.kind != TokenKind::String)
                return Fail(error, text.line, "expected a string after string id " + std::to_string(id));
            std::vector<std::uint16_t> units;
            if (!Utf8ToUtf16(text.text, units)) return Fail(error, text.line, "string is not valid UTF-8");
            if (!strings_.emplace(id, std::move(units)).second)
                return Fail(error, t.line, "string id " + std::to_string(id) + " is defined twice");
        }
    }

    bool ReadKey(std::string& error, ResourceKey& key, const char* what) {
        Token t = Take();
        if (t.kind == TokenKind::Number) {
            if (t.value > 0xFFFF) return Fail(error, t.line, std::string(what) + " " + t.text + " is above 65535");
            key = ResourceKey::Number(static_cast<std::uint16_t>(t.value));
            return true;
        }
        if (t.kind == TokenKind::Word || t.kind == TokenKind::String) {
            if (t.text.empty()) return Fail(error, t.line, std::string("empty ") + what);
            key = ResourceKey::Text(Upper(t.text));
            return true;
        }
        return Fail(error, t.line, std::string("expected ") + what + ", found " + Describe(t));
    }

    bool ReadFile(std::string& error, int line, const std::string& name, std::vector<std::uint8_t>& data) {
        if (name.empty()) return Fail(error, line, "empty file name");
        if (name.find('\0') != std::string::npos) return Fail(error, line, Quote(name) + ": a file name cannot hold a NUL byte");
        std::filesystem::path p = std::filesystem::path(name);
        if (p.is_relative()) p = folder_ / p;
        std::string reason;
        if (!ReadRegularFile(p.string(), Quote(name), data, reason)) return Fail(error, line, reason);
        out_.dependencies.push_back(std::filesystem::absolute(p).lexically_normal().string());
        return true;
    }

    bool Add(std::string& error, int line, ResourceKey type, ResourceKey name, std::vector<std::uint8_t> data) {
        for (const Resource& r : out_.resources) {
            if (r.type == type && r.name == name)
                return Fail(error, line, "resource " + (name.isString ? name.text : std::to_string(name.id)) +
                                             " is defined twice for its type");
        }
        out_.resources.push_back({std::move(type), std::move(name), std::move(data)});
        return true;
    }

    // <name> <type> [options] "file"
    bool FileResource(std::string& error) {
        int line = Peek().line;
        ResourceKey name;
        if (!ReadKey(error, name, "resource name")) return false;
        Token typeToken = Take();
        std::string typeWord = Upper(typeToken.text);
        ResourceKey type;
        if (typeToken.kind == TokenKind::Number) {
            if (typeToken.value > 0xFFFF || typeToken.value == 0)
                return Fail(error, typeToken.line, "resource type " + typeToken.text + " is out of range");
            type = ResourceKey::Number(static_cast<std::uint16_t>(typeToken.value));
        } else if (typeToken.kind == TokenKind::Word) {
            static const std::set<std::string> unsupported = {
                "CURSOR", "MENU", "MENUEX", "DIALOG", "DIALOGEX", "ACCELERATORS", "VERSIONINFO",
                "FONT",   "MESSAGETABLE", "HTML", "MANIFEST", "ANICURSOR", "ANIICON", "TOOLBAR", "DLGINIT"};
            if (unsupported.count(typeWord))
                return Fail(error, typeToken.line, "resource type " + typeWord + " is not supported");
            if (typeWord == "BITMAP") type = ResourceKey::Number(kRtBitmap);
            else if (typeWord == "ICON") type = ResourceKey::Number(kRtIcon);
            else if (typeWord == "RCDATA") type = ResourceKey::Number(kRtRcData);
            else if (typeWord == "STRINGTABLE" || typeWord == "BEGIN" || typeWord == "END" || typeWord == "LANGUAGE")
                return Fail(error, typeToken.line, "expected a resource type, found " + typeWord);
            else type = ResourceKey::Text(typeWord);
        } else if (typeToken.kind == TokenKind::String && !typeToken.text.empty()) {
            type = ResourceKey::Text(Upper(typeToken.text));
        } else {
            return Fail(error, typeToken.line, "expected a resource type, found " + Describe(typeToken));
        }
        while (Peek().kind == TokenKind::Word && IsMemoryOption(Peek().text)) Take();
        Token file = Take();
        if (file.kind != TokenKind::String) {
            if (file.kind == TokenKind::Open || IsWord(file, "BEGIN"))
                return Fail(error, file.line, "inline resource data is not supported; name a file");
            return Fail(error, file.line, "expected a file name in quotes, found " + Describe(file));
        }
        std::vector<std::uint8_t> data;
        if (!ReadFile(error, file.line, file.text, data)) return false;

        if (!type.isString && type.id == kRtBitmap) return AddBitmap(error, line, file.text, name, data);
        if (!type.isString && type.id == kRtIcon) return AddIcon(error, line, file.text, name, data);
        return Add(error, line, type, name, std::move(data));
    }

    // A bitmap resource is the .bmp without its 14-byte BITMAPFILEHEADER.
    bool AddBitmap(std::string& error, int line, const std::string& file, const ResourceKey& name,
                   const std::vector<std::uint8_t>& data) {
        if (data.size() < 14 + 12 || data[0] != 'B' || data[1] != 'M')
            return Fail(error, line, Quote(file) + " is not a BMP file");
        std::uint32_t headerSize = ReadLe(data, 14, 4);
        if (headerSize < 12 || 14 + headerSize > data.size())
            return Fail(error, line, Quote(file) + " has a malformed bitmap header");
        std::uint32_t offset = ReadLe(data, 10, 4);
        if (offset > data.size() || offset < 14 + headerSize)
            return Fail(error, line, Quote(file) + " has a pixel offset outside the file");
        return Add(error, line, ResourceKey::Number(kRtBitmap), name,
                   std::vector<std::uint8_t>(data.begin() + 14, data.end()));
    }

    // An icon file becomes one RT_ICON per image (numbered across the whole
    // script, as rc does) and an RT_GROUP_ICON directory naming them.
    bool AddIcon(std::string& error, int line, const std::string& file, const ResourceKey& name,
                 const std::vector<std::uint8_t>& data) {
        if (data.size() < 6 || ReadLe(data, 0, 2) != 0 || ReadLe(data, 2, 2) != 1)
            return Fail(error, line, Quote(file) + " is not an icon file");
        std::uint32_t count = ReadLe(data, 4, 2);
        if (count == 0) return Fail(error, line, Quote(file) + " holds no images");
        if (6 + 16 * static_cast<std::size_t>(count) > data.size())
            return Fail(error, line, Quote(file) + " has a truncated directory");
        std::vector<std::uint8_t> group;
        PutWord(group, 0);
        PutWord(group, 1);
        PutWord(group, count);
        std::vector<Resource> images;
        for (std::uint32_t i = 0; i < count; ++i) {
            std::size_t entry = 6 + 16 * static_cast<std::size_t>(i);
            std::uint32_t bytes = ReadLe(data, entry + 8, 4);
            std::uint32_t offset = ReadLe(data, entry + 12, 4);
            if (bytes == 0 || offset > data.size() || bytes > data.size() - offset)
                return Fail(error, line, Quote(file) + " image " + std::to_string(i) + " lies outside the file");
            if (nextIconId_ == 0xFFFF) return Fail(error, line, "too many icon images");
            std::uint16_t iconId = nextIconId_++;
            // GRPICONDIRENTRY: the ICONDIRENTRY's first 12 bytes, then the image's id.
            group.insert(group.end(), data.begin() + static_cast<long>(entry), data.begin() + static_cast<long>(entry + 12));
            PutWord(group, iconId);
            images.push_back({ResourceKey::Number(kRtIcon), ResourceKey::Number(iconId),
                              std::vector<std::uint8_t>(data.begin() + offset, data.begin() + offset + bytes)});
        }
        for (Resource& image : images) {
            if (!Add(error, line, image.type, image.name, std::move(image.data))) return false;
        }
        return Add(error, line, ResourceKey::Number(kRtGroupIcon), name, std::move(group));
    }

    // Strings go in blocks of 16: block b holds ids 16 (b - 1) to 16 b - 1,
    // each a length word and that many UTF-16 units, absent ones as length 0.
    bool FinishStrings(std::string& error) {
        std::map<std::uint32_t, std::vector<std::uint8_t>> blocks;
        std::set<std::uint32_t> blockIds;
        for (const auto& [id, units] : strings_) blockIds.insert(id / 16u + 1u);
        for (std::uint32_t block : blockIds) {
            std::vector<std::uint8_t> data;
            for (std::uint32_t k = 0; k < 16; ++k) {
                auto it = strings_.find((block - 1) * 16 + k);
                if (it == strings_.end()) {
                    PutWord(data, 0);
                    continue;
                }
                if (it->second.size() > 0xFFFF)
                    return Fail(error, 0, "string " + std::to_string(it->first) + " is too long");
                PutWord(data, static_cast<std::uint32_t>(it->second.size()));
                for (std::uint16_t unit : it->second) PutWord(data, unit);
            }
            if (!Add(error, 0, ResourceKey::Number(kRtString), ResourceKey::Number(static_cast<std::uint16_t>(block)),
                     std::move(data)))
                return false;
        }
        return true;
    }

    std::string path_;
    std::filesystem::path folder_;
    CompiledScript& out_;
    std::vector<Token> tokens_;
    std::size_t at_ = 0;
    std::map<std::uint32_t, std::vector<std::uint16_t>> strings_;
    std::uint16_t nextIconId_ = 1;
};

}  // namespace

bool CompileScript(const std::string& path, CompiledScript& out, std::string& error) {
    out = CompiledScript{};
    std::vector<std::uint8_t> bytes;
    if (!ReadRegularFile(path, "the resource script " + Quote(path), bytes, error)) return false;
    return CompileScriptText(std::string(bytes.begin(), bytes.end()), path, out, error);
}

bool CompileScriptText(const std::string& text, const std::string& path, CompiledScript& out, std::string& error) {
    out = CompiledScript{};
    return Compiler(path, out).Run(text, error);
}

}  // namespace rc
