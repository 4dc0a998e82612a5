#include "registry_file.h"

#include "qx/win32/codepage.h"
#include "qx/win32/utf.h"
#include "registry_limits.h"
#include "winreg.h"

#include <cstdio>
#include <optional>
#include <vector>

namespace qx::registry::detail {

using win32::IsHighSurrogate;
using win32::IsLowSurrogate;

namespace {

struct TypeName {
    DWORD type;
    const char* name;
};
constexpr TypeName kTypeNames[] = {
    {REG_NONE, "none"},           {REG_SZ, "sz"},
    {REG_EXPAND_SZ, "expand_sz"}, {REG_BINARY, "binary"},
    {REG_DWORD, "dword"},         {REG_DWORD_BIG_ENDIAN, "dword_be"},
    {REG_LINK, "link"},           {REG_MULTI_SZ, "multi_sz"},
    {REG_QWORD, "qword"},
};

bool IsStringType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_LINK || type == REG_MULTI_SZ;
}

// The value of a hexadecimal digit of the file's text or of quoted text; -1 for anything else.
int HexDigit(char32_t c) {
    if (c >= U'0' && c <= U'9')
        return static_cast<int>(c - U'0');
    if (c >= U'a' && c <= U'f')
        return static_cast<int>(c - U'a' + 10);
    if (c >= U'A' && c <= U'F')
        return static_cast<int>(c - U'A' + 10);
    return -1;
}

void AppendHex32(std::string& out, std::uint32_t v) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08X", static_cast<unsigned>(v));
    out += buffer;
}

// How many units from `at` on are written as UTF-8: characters from U+00A0 up, surrogates only
// in pairs; 0 when the unit there is escaped or plain ASCII.
std::size_t ShownAsUtf8(std::u16string_view text, std::size_t at) {
    std::size_t end = at;
    while (end < text.size()) {
        const char16_t c = text[end];
        if (IsHighSurrogate(c) && end + 1 < text.size() && IsLowSurrogate(text[end + 1]))
            end += 2;
        else if (c >= 0xA0 && !IsHighSurrogate(c) && !IsLowSurrogate(c))
            ++end;
        else
            break;
    }
    return end - at;
}

void AppendQuoted(std::string& out, std::u16string_view text) {
    out += '"';
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'"' || c == u'\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else if (const std::size_t units = ShownAsUtf8(text, i); units != 0) {
            out += qx::win32::WideToUtf8(text.substr(i, units));
            i += units - 1;
        } else {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04X", static_cast<unsigned>(c));
            out += buffer;
        }
    }
    out += '"';
}

void AppendValue(std::string& out, const Value& value) {
    out += "value ";
    AppendQuoted(out, value.name);
    out += ' ';
    const char* typeName = nullptr;
    for (const auto& entry : kTypeNames)
        if (entry.type == value.type)
            typeName = entry.name;
    if (typeName)
        out += typeName;
    else
        AppendHex32(out, value.type);
    const auto& data = value.data;
    if (value.type == REG_DWORD && data.size() == 4) {
        out += " dword ";
        AppendHex32(out, static_cast<std::uint32_t>(data[0]) | (static_cast<std::uint32_t>(data[1]) << 8) |
                             (static_cast<std::uint32_t>(data[2]) << 16) |
                             (static_cast<std::uint32_t>(data[3]) << 24));
    } else if (IsStringType(value.type) && data.size() % 2 == 0) {
        std::u16string units(data.size() / 2, u'\0');
        for (std::size_t i = 0; i < units.size(); ++i)
            units[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
        out += " text ";
        AppendQuoted(out, units);
    } else {
        static const char digits[] = "0123456789abcdef";
        out += " hex \"";
        for (BYTE b : data) {
            out += digits[b >> 4];
            out += digits[b & 15];
        }
        out += '"';
    }
    out += '\n';
}

void AppendKey(std::string& out, const Key& key, std::vector<const Key*>& path) {
    if (!path.empty()) {
        out += "key ";
        out += std::to_string(key.serial);
        for (const Key* level : path) {
            out += ' ';
            AppendQuoted(out, level->name);
        }
        out += '\n';
    }
    for (const auto& [folded, value] : key.values)
        AppendValue(out, value);
    for (const auto& [folded, child] : key.subkeys) {
        path.push_back(child.get());
        AppendKey(out, *child, path);
        path.pop_back();
    }
}

// ---- reading ----

struct Token {
    bool quoted = false;
    std::string_view word;
    std::u16string text;
};

class LineReader {
public:
    explicit LineReader(std::string_view line) : line_(line) {}

    // Splits the line into words and quoted texts; false with a reason on malformed text.
    bool Tokenize(std::vector<Token>& tokens, std::string& error) {
        std::size_t i = 0;
        while (i < line_.size()) {
            const char c = line_[i];
            if (c == ' ' || c == '\t') {
                ++i;
                continue;
            }
            Token token;
            if (c == '"') {
                token.quoted = true;
                if (!ReadQuoted(i, token.text, error))
                    return false;
            } else {
                const std::size_t start = i;
                while (i < line_.size() && line_[i] != ' ' && line_[i] != '\t' && line_[i] != '"') {
                    if (static_cast<unsigned char>(line_[i]) < 0x20 ||
                        static_cast<unsigned char>(line_[i]) >= 0x7F) {
                        error = "unexpected byte outside quotes";
                        return false;
                    }
                    ++i;
                }
                token.word = line_.substr(start, i - start);
            }
            tokens.push_back(std::move(token));
        }
        return true;
    }

private:
    bool ReadQuoted(std::size_t& i, std::u16string& text, std::string& error) {
        ++i; // opening quote
        while (true) {
            if (i >= line_.size()) {
                error = "unterminated quoted text";
                return false;
            }
            const unsigned char c = static_cast<unsigned char>(line_[i]);
            if (c == '"') {
                ++i;
                break;
            }
            if (c == '\\') {
                if (i + 1 >= line_.size()) {
                    error = "unterminated escape";
                    return false;
                }
                const char e = line_[i + 1];
                if (e == '\\' || e == '"') {
                    text += static_cast<char16_t>(e);
                    i += 2;
                } else if (e == 'u') {
                    if (i + 6 > line_.size()) {
                        error = "short \\u escape";
                        return false;
                    }
                    unsigned unit = 0;
                    for (std::size_t k = 0; k < 4; ++k) {
                        const int d = HexDigit(line_[i + 2 + k]);
                        if (d < 0) {
                            error = "bad \\u escape";
                            return false;
                        }
                        unit = unit * 16 + static_cast<unsigned>(d);
                    }
                    text += static_cast<char16_t>(unit);
                    i += 6;
                } else {
                    error = "unknown escape";
                    return false;
                }
            } else if (c < 0x20 || c == 0x7F) {
                error = "control byte inside quoted text";
                return false;
            } else if (c < 0x80) {
                text += static_cast<char16_t>(c);
                ++i;
            } else if (!ReadUtf8(i, text)) {
                error = "invalid UTF-8 inside quoted text";
                return false;
            }
        }
        return true;
    }

    // A run of non-ASCII bytes holds whole UTF-8 sequences only.
    bool ReadUtf8(std::size_t& i, std::u16string& text) {
        std::size_t end = i;
        while (end < line_.size() && static_cast<unsigned char>(line_[end]) >= 0x80)
            ++end;
        std::u16string decoded;
        if (!qx::win32::Utf8ToWideStrict(line_.substr(i, end - i), decoded))
            return false;
        text += decoded;
        i = end;
        return true;
    }

    std::string_view line_;
};

std::optional<std::uint64_t> ParseDecimal(std::string_view word) {
    if (word.empty() || word.size() > 19)
        return std::nullopt;
    std::uint64_t v = 0;
    for (char c : word) {
        if (c < '0' || c > '9')
            return std::nullopt;
        v = v * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return v;
}

std::optional<std::uint32_t> ParseHex32(std::string_view word) {
    if (word.size() < 3 || word.size() > 10 || word[0] != '0' || (word[1] != 'x' && word[1] != 'X'))
        return std::nullopt;
    std::uint32_t v = 0;
    for (char c : word.substr(2)) {
        const int d = HexDigit(c);
        if (d < 0)
            return std::nullopt;
        v = v * 16 + static_cast<std::uint32_t>(d);
    }
    return v;
}

std::optional<DWORD> ParseType(std::string_view word) {
    for (const auto& entry : kTypeNames)
        if (word == entry.name)
            return entry.type;
    return ParseHex32(word);
}

bool ValidKeyName(std::u16string_view name) {
    return !name.empty() && name.size() <= kMaxKeyNameLength &&
           name.find(u'\\') == std::u16string_view::npos && name.find(u'\0') == std::u16string_view::npos;
}

class Parser {
public:
    ParsedTree Run(std::string_view text) {
        ParsedTree result;
        if (text.size() > kMaxFileBytes)
            return Fail(result, 0, "file too large");
        tree_ = std::make_unique<Tree>();
        std::size_t lineNumber = 0;
        std::size_t pos = 0;
        while (pos < text.size()) {
            std::size_t end = text.find('\n', pos);
            const bool lastLine = end == std::string_view::npos;
            if (lastLine)
                end = text.size();
            std::string_view line = text.substr(pos, end - pos);
            pos = lastLine ? text.size() : end + 1;
            ++lineNumber;
            if (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            if (line.empty() || line[0] == '#')
                continue;
            if (ended_)
                return Fail(result, lineNumber, "text after the end line");
            std::vector<Token> tokens;
            std::string error;
            if (!LineReader(line).Tokenize(tokens, error) || !Line(tokens, error))
                return Fail(result, lineNumber, error);
        }
        if (!ended_)
            return Fail(result, lineNumber, "no end line: the file is cut off");
        result.tree = std::move(tree_);
        return result;
    }

private:
    static ParsedTree Fail(ParsedTree& result, std::size_t line, std::string error) {
        result.tree.reset();
        result.line = line;
        result.error = std::move(error);
        return std::move(result);
    }

    static bool IsWord(const std::vector<Token>& tokens, std::size_t i) {
        return i < tokens.size() && !tokens[i].quoted;
    }

    bool Line(const std::vector<Token>& tokens, std::string& error) {
        if (tokens.empty() || tokens[0].quoted) {
            error = "line does not start with a keyword";
            return false;
        }
        const std::string_view keyword = tokens[0].word;
        if (!sawHeader_) {
            if (keyword != kRegistryFileMagic || tokens.size() != 2 || !IsWord(tokens, 1)) {
                error = "not a registry file";
                return false;
            }
            auto version = ParseDecimal(tokens[1].word);
            if (!version || *version == 0) {
                error = "bad version";
                return false;
            }
            if (*version > static_cast<std::uint64_t>(kRegistryFileVersion)) {
                error = "written by a newer version";
                return false;
            }
            sawHeader_ = true;
            return true;
        }
        if (keyword == "next-serial")
            return NextSerial(tokens, error);
        if (keyword == "hive")
            return HiveLine(tokens, error);
        if (keyword == "key")
            return KeyLine(tokens, error);
        if (keyword == "value")
            return ValueLine(tokens, error);
        if (keyword == "end" && tokens.size() == 1) {
            ended_ = true;
            return true;
        }
        error = "unknown line";
        return false;
    }

    bool NextSerial(const std::vector<Token>& tokens, std::string& error) {
        std::optional<std::uint64_t> serial;
        if (tokens.size() == 2 && IsWord(tokens, 1))
            serial = ParseDecimal(tokens[1].word);
        if (sawSerial_ || current_ != nullptr || !serial || *serial < kFirstKeySerial) {
            error = "bad next-serial line";
            return false;
        }
        tree_->SetNextSerial(*serial);
        sawSerial_ = true;
        return true;
    }

    bool HiveLine(const std::vector<Token>& tokens, std::string& error) {
        if (!sawSerial_ || tokens.size() != 2 || !IsWord(tokens, 1)) {
            error = "bad hive line";
            return false;
        }
        for (std::size_t i = 0; i < kHiveCount; ++i) {
            if (tokens[1].word == HiveName(static_cast<Hive>(i))) {
                if (hiveSeen_[i]) {
                    error = "hive listed twice";
                    return false;
                }
                hiveSeen_[i] = true;
                hiveRoot_ = tree_->Root(static_cast<Hive>(i));
                current_ = hiveRoot_;
                return true;
            }
        }
        error = "unknown hive";
        return false;
    }

    bool KeyLine(const std::vector<Token>& tokens, std::string& error) {
        std::optional<std::uint64_t> serial;
        if (IsWord(tokens, 1))
            serial = ParseDecimal(tokens[1].word);
        if (hiveRoot_ == nullptr || !serial || *serial < kFirstKeySerial || *serial >= tree_->NextSerial() ||
            tokens.size() < 3 || tokens.size() - 2 > kMaxKeyDepth) {
            error = "bad key line";
            return false;
        }
        Key* parent = hiveRoot_;
        for (std::size_t i = 2; i < tokens.size(); ++i) {
            if (!tokens[i].quoted || !ValidKeyName(tokens[i].text)) {
                error = "bad key name";
                return false;
            }
            if (i + 1 == tokens.size())
                break;
            parent = parent->FindSubkey(tokens[i].text);
            if (parent == nullptr) {
                error = "key listed before its parent";
                return false;
            }
        }
        const std::u16string& name = tokens.back().text;
        if (parent->FindSubkey(name) != nullptr) {
            error = "key listed twice";
            return false;
        }
        current_ = tree_->AddSubkeyWithSerial(parent, name, *serial);
        if (current_ == nullptr) {
            error = "serial used twice";
            return false;
        }
        return true;
    }

    bool ValueLine(const std::vector<Token>& tokens, std::string& error) {
        if (current_ == nullptr || tokens.size() != 5 || !tokens[1].quoted || !IsWord(tokens, 2) ||
            !IsWord(tokens, 3)) {
            error = "bad value line";
            return false;
        }
        Value value;
        value.name = tokens[1].text;
        auto type = ParseType(tokens[2].word);
        if (value.name.size() > kMaxValueNameLength || !type) {
            error = "bad value name or type";
            return false;
        }
        value.type = *type;
        const std::string_view form = tokens[3].word;
        const Token& payload = tokens[4];
        if (form == "dword" && !payload.quoted) {
            auto number = ParseHex32(payload.word);
            if (!number) {
                error = "bad dword";
                return false;
            }
            for (int shift = 0; shift < 32; shift += 8)
                value.data.push_back(static_cast<BYTE>(*number >> shift));
        } else if (form == "text" && payload.quoted) {
            if (payload.text.size() > kMaxValueDataBytes / 2) {
                error = "value data too large";
                return false;
            }
            for (char16_t unit : payload.text) {
                value.data.push_back(static_cast<BYTE>(unit & 0xFF));
                value.data.push_back(static_cast<BYTE>(unit >> 8));
            }
        } else if (form == "hex" && payload.quoted) {
            if (payload.text.size() % 2 != 0 || payload.text.size() / 2 > kMaxValueDataBytes) {
                error = "bad hex data";
                return false;
            }
            for (std::size_t i = 0; i < payload.text.size(); i += 2) {
                const int hi = HexDigit(payload.text[i]);
                const int lo = HexDigit(payload.text[i + 1]);
                if (hi < 0 || lo < 0) {
                    error = "bad hex data";
                    return false;
                }
                value.data.push_back(static_cast<BYTE>(hi * 16 + lo));
            }
        } else {
            error = "bad value data";
            return false;
        }
        std::u16string folded = FoldName(value.name);
        if (current_->values.count(folded) != 0) {
            error = "value listed twice";
            return false;
        }
        current_->values.emplace(std::move(folded), std::move(value));
        return true;
    }

    std::unique_ptr<Tree> tree_;
    bool sawHeader_ = false;
    bool sawSerial_ = false;
    bool ended_ = false;
    bool hiveSeen_[kHiveCount] = {};
    Key* hiveRoot_ = nullptr;
    Key* current_ = nullptr;
};

} // namespace

std::string SerializeTree(const Tree& tree) {
    std::string out;
    out += kRegistryFileMagic;
    out += ' ';
    out += std::to_string(kRegistryFileVersion);
    out += "\nnext-serial ";
    out += std::to_string(tree.NextSerial());
    out += '\n';
    for (std::size_t i = 0; i < kHiveCount; ++i) {
        out += "hive ";
        out += HiveName(static_cast<Hive>(i));
        out += '\n';
        std::vector<const Key*> path;
        AppendKey(out, *tree.Root(static_cast<Hive>(i)), path);
    }
    out += "end\n";
    return out;
}

ParsedTree ParseTree(std::string_view text) {
    return Parser().Run(text);
}

} // namespace qx::registry::detail
