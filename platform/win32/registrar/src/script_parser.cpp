// Reads the registry script language: whitespace-separated words or '...' texts (with '' for a
// quote), braces, "=", the flags NoRemove, ForceRemove, Delete and val, the value types s and d,
// and the hive names. %NAME% is put in after a word has been read, so a replacement text can
// never change the script's structure.
#include "qx/win32/registry_script.h"

#include <optional>

namespace qx::registrar {

namespace {

struct Token {
    std::u16string text;
    bool quoted = false;
    std::size_t offset = 0;
};

bool IsSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f';
}

bool SameWord(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char16_t x = a[i], y = b[i];
        if (x >= u'a' && x <= u'z')
            x = static_cast<char16_t>(x - 0x20);
        if (y >= u'a' && y <= u'z')
            y = static_cast<char16_t>(y - 0x20);
        if (x != y)
            return false;
    }
    return true;
}

class Parser {
public:
    Parser(std::u16string_view script, const ReplacementMap& replacements)
        : script_(script), replacements_(replacements) {}

    bool Run(Script& result) {
        if (!script_.empty() && script_.front() == u'\uFEFF')
            pos_ = 1;
        while (true) {
            std::optional<Token> token = Next();
            if (!failure_.message.empty())
                return false;
            if (!token)
                return true;
            ScriptRoot root;
            root.hive = Hive(*token);
            if (root.hive == nullptr)
                return Fail(token->offset, "expected a hive name");
            if (!Expect(u"{") || !Keys(root.keys, 1))
                return false;
            result.roots.push_back(std::move(root));
        }
    }

    const ParseFailure& failure() const { return failure_; }

private:
    bool Fail(std::size_t offset, const char* message) {
        if (failure_.message.empty()) {
            failure_.offset = offset;
            failure_.message = message;
        }
        return false;
    }

    std::optional<Token> Next() {
        if (peeked_) {
            std::optional<Token> token = std::move(peeked_);
            peeked_.reset();
            return token;
        }
        while (pos_ < script_.size() && IsSpace(script_[pos_]))
            ++pos_;
        if (pos_ >= script_.size())
            return std::nullopt;
        Token token;
        token.offset = pos_;
        if (script_[pos_] == u'\'') {
            token.quoted = true;
            ++pos_;
            while (true) {
                if (pos_ >= script_.size()) {
                    Fail(token.offset, "unterminated quoted text");
                    return std::nullopt;
                }
                if (script_[pos_] == u'\'') {
                    if (pos_ + 1 < script_.size() && script_[pos_ + 1] == u'\'') {
                        token.text += u'\'';
                        pos_ += 2;
                        continue;
                    }
                    ++pos_;
                    break;
                }
                token.text += script_[pos_++];
            }
            if (pos_ < script_.size() && !IsSpace(script_[pos_])) {
                Fail(pos_, "quoted text runs into a word");
                return std::nullopt;
            }
        } else {
            while (pos_ < script_.size() && !IsSpace(script_[pos_])) {
                if (script_[pos_] == u'\'') {
                    Fail(pos_, "quote inside a word");
                    return std::nullopt;
                }
                token.text += script_[pos_++];
            }
        }
        return token;
    }

    std::optional<Token> Peek() {
        if (!peeked_)
            peeked_ = Next();
        return peeked_;
    }

    static bool Is(const Token& token, std::u16string_view word) {
        return !token.quoted && SameWord(token.text, word);
    }

    bool Expect(std::u16string_view word) {
        std::optional<Token> token = Next();
        if (!token || !Is(*token, word))
            return Fail(token ? token->offset : script_.size(), word == u"{"   ? "expected '{'"
                                                                : word == u"=" ? "expected '='"
                                                                               : "unexpected word");
        return true;
    }

    static HKEY Hive(const Token& token) {
        static const struct {
            std::u16string_view shortName;
            std::u16string_view longName;
            HKEY hive;
        } hives[] = {{u"HKCR", u"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
                     {u"HKCU", u"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
                     {u"HKLM", u"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
                     {u"HKU", u"HKEY_USERS", HKEY_USERS},
                     {u"HKCC", u"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG}};
        for (const auto& entry : hives)
            if (Is(token, entry.shortName) || Is(token, entry.longName))
                return entry.hive;
        return nullptr;
    }

    static bool IsStructural(const Token& token) {
        return Is(token, u"{") || Is(token, u"}") || Is(token, u"=") || Is(token, u"NoRemove") ||
               Is(token, u"ForceRemove") || Is(token, u"Delete") || Is(token, u"val");
    }

    // Puts in the replacements: %NAME% becomes its text, %% a single %.
    bool Replace(const Token& token, std::u16string& result) {
        result.clear();
        const std::u16string& text = token.text;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] != u'%') {
                result += text[i];
                continue;
            }
            const std::size_t close = text.find(u'%', i + 1);
            if (close == std::u16string::npos)
                return Fail(token.offset, "'%' without its closing '%'");
            if (close == i + 1) {
                result += u'%';
            } else {
                const std::u16string* value =
                    replacements_.Find(std::u16string_view(text).substr(i + 1, close - i - 1));
                if (value == nullptr)
                    return Fail(token.offset, "unknown replacement");
                result += *value;
            }
            i = close;
            if (result.size() > kMaxScriptText)
                return Fail(token.offset, "text too long");
        }
        return true;
    }

    bool Name(ScriptKey& key, bool isValueName) {
        std::optional<Token> token = Next();
        if (!token || IsStructural(*token))
            return Fail(token ? token->offset : script_.size(), "expected a name");
        if (!Replace(*token, key.name))
            return false;
        if (!isValueName &&
            (key.name.empty() || key.name.size() > 255 || key.name.find(u'\\') != std::u16string::npos))
            return Fail(token->offset, "not a valid key name");
        if (isValueName && key.name.size() > 16383)
            return Fail(token->offset, "value name too long");
        return true;
    }

    bool ValueAfterEquals(ScriptKey& key) {
        std::optional<Token> type = Next();
        std::optional<Token> value = type ? Next() : std::nullopt;
        if (!type || !value || IsStructural(*value))
            return Fail(type ? type->offset : script_.size(), "expected a type and a value");
        std::u16string text;
        if (!Replace(*value, text))
            return false;
        if (Is(*type, u"s")) {
            key.kind = ValueKind::String;
            key.text = std::move(text);
            return true;
        }
        if (!Is(*type, u"d"))
            return Fail(type->offset, "unknown value type");
        key.kind = ValueKind::Dword;
        std::uint64_t number = 0;
        std::size_t i = 0;
        unsigned base = 10;
        if (text.size() > 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X')) {
            base = 16;
            i = 2;
        }
        if (i >= text.size())
            return Fail(value->offset, "not a number");
        for (; i < text.size(); ++i) {
            const char16_t c = text[i];
            unsigned digit;
            if (c >= u'0' && c <= u'9')
                digit = c - u'0';
            else if (base == 16 && c >= u'a' && c <= u'f')
                digit = c - u'a' + 10;
            else if (base == 16 && c >= u'A' && c <= u'F')
                digit = c - u'A' + 10;
            else
                return Fail(value->offset, "not a number");
            number = number * base + digit;
            if (number > 0xFFFFFFFFull)
                return Fail(value->offset, "number out of range");
        }
        key.number = static_cast<DWORD>(number);
        return true;
    }

    bool Keys(std::vector<ScriptKey>& keys, std::size_t depth) {
        if (depth > kMaxScriptDepth)
            return Fail(pos_, "nested too deeply");
        while (true) {
            std::optional<Token> token = Next();
            if (!token)
                return Fail(script_.size(), "missing '}'");
            if (Is(*token, u"}"))
                return true;
            if (++entries_ > kMaxScriptEntries)
                return Fail(token->offset, "too many entries");
            ScriptKey key;
            if (Is(*token, u"val")) {
                key.flag = KeyFlag::NamedValue;
                if (!Name(key, true) || !Expect(u"=") || !ValueAfterEquals(key))
                    return false;
                keys.push_back(std::move(key));
                continue;
            }
            if (Is(*token, u"Delete")) {
                key.flag = KeyFlag::Delete;
                if (!Name(key, false))
                    return false;
                keys.push_back(std::move(key));
                continue;
            }
            if (Is(*token, u"NoRemove") || Is(*token, u"ForceRemove")) {
                key.flag = Is(*token, u"NoRemove") ? KeyFlag::NoRemove : KeyFlag::ForceRemove;
                if (!Name(key, false))
                    return false;
            } else {
                peeked_ = std::move(token);
                if (!Name(key, false))
                    return false;
            }
            std::optional<Token> next = Peek();
            if (next && Is(*next, u"=")) {
                Next();
                if (!ValueAfterEquals(key))
                    return false;
                next = Peek();
            }
            if (next && Is(*next, u"{")) {
                Next();
                if (!Keys(key.children, depth + 1))
                    return false;
            }
            if (!failure_.message.empty())
                return false;
            keys.push_back(std::move(key));
        }
    }

    std::u16string_view script_;
    const ReplacementMap& replacements_;
    std::size_t pos_ = 0;
    std::optional<Token> peeked_;
    std::size_t entries_ = 0;
    ParseFailure failure_;
};

} // namespace

HRESULT ParseScript(std::u16string_view script, const ReplacementMap& replacements, Script& result,
                    ParseFailure* failure) {
    result.roots.clear();
    if (script.size() > kMaxScriptLength) {
        if (failure)
            *failure = ParseFailure{0, "script too long"};
        return DISP_E_EXCEPTION;
    }
    Parser parser(script, replacements);
    if (!parser.Run(result)) {
        if (failure)
            *failure = parser.failure();
        result.roots.clear();
        return DISP_E_EXCEPTION;
    }
    return S_OK;
}

} // namespace qx::registrar
