#include "mime_stamp.h"

#include "mime_codecs.h"
#include "mime_field_body_factory.h"

#include <vector>

namespace {

const char* const kKeywords[] = {"from", "by", "via", "with", "id", "for"};
const int kKeywordCount = 6;
// Columns taken by "Received: " in front of the first line.
const int kFoldOffset = 10;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

struct Word {
    size_t start;
    size_t end;
};

// Words at runs of blanks; a word that begins with "(" runs to the next ")", blanks and all.
std::vector<Word> SplitWords(const MimeString& text, size_t length) {
    std::vector<Word> words;
    size_t pos = 0;
    while (pos < length) {
        while (pos < length && IsBlank(text[pos])) {
            ++pos;
        }
        if (pos >= length) {
            break;
        }
        const size_t start = pos;
        if (text[pos] == '(') {
            while (pos < length && text[pos] != ')') {
                ++pos;
            }
            if (pos < length) {
                ++pos;
            }
        }
        while (pos < length && !IsBlank(text[pos])) {
            ++pos;
        }
        words.push_back({start, pos});
    }
    return words;
}

int KeywordIndex(const MimeString& text, const Word& word) {
    const MimeString w = text.substr(word.start, word.end - word.start);
    for (int i = 0; i < kKeywordCount; ++i) {
        if (MimeCompareNoCase(w, kKeywords[i]) == 0) {
            return i;
        }
    }
    return -1;
}

std::unique_ptr<MimeFieldBody> CreateStampBody(const MimeString& text, MimeMessageComponent* parent) {
    return CreateMimeStamp(text, parent);
}

const MimeFieldBodyRegistrar s_registrar(MIME_BODY_STAMP, &CreateStampBody);

} // namespace

MimeStamp::MimeStamp() : MimeFieldBody(MIME_CLASS_STAMP, "MimeStamp") {
    m_date.SetParent(this);
}

MimeStamp::MimeStamp(const MimeString& text, MimeMessageComponent* parent)
    : MimeFieldBody(text, parent, MIME_CLASS_STAMP, "MimeStamp") {
    m_date.SetParent(this);
}

MimeStamp::MimeStamp(const MimeStamp& other)
    : MimeFieldBody(other), m_from(other.m_from), m_by(other.m_by), m_via(other.m_via), m_with(other.m_with),
      m_id(other.m_id), m_for(other.m_for), m_date(other.m_date) {
    m_date.SetParent(this);
}

MimeStamp& MimeStamp::operator=(const MimeStamp& other) {
    if (this != &other) {
        MimeFieldBody::operator=(other);
        m_from = other.m_from;
        m_by = other.m_by;
        m_via = other.m_via;
        m_with = other.m_with;
        m_id = other.m_id;
        m_for = other.m_for;
        m_date = other.m_date; // the date keeps this stamp as its parent
    }
    return *this;
}

MimeStamp::~MimeStamp() = default;

std::unique_ptr<MimeMessageComponent> MimeStamp::Clone() const {
    return std::make_unique<MimeStamp>(*this);
}

MimeString* MimeStamp::Clause(int index) {
    MimeString* clauses[kKeywordCount] = {&m_from, &m_by, &m_via, &m_with, &m_id, &m_for};
    return clauses[index];
}

void MimeStamp::SetClause(MimeString& clause, const MimeString& text) {
    clause = text;
    SetModified();
}

void MimeStamp::SetFrom(const MimeString& text) {
    SetClause(m_from, text);
}
void MimeStamp::SetBy(const MimeString& text) {
    SetClause(m_by, text);
}
void MimeStamp::SetVia(const MimeString& text) {
    SetClause(m_via, text);
}
void MimeStamp::SetWith(const MimeString& text) {
    SetClause(m_with, text);
}
void MimeStamp::SetId(const MimeString& text) {
    SetClause(m_id, text);
}
void MimeStamp::SetFor(const MimeString& text) {
    SetClause(m_for, text);
}

void MimeStamp::SetDate(const MimeDateTime& date) {
    m_date = date;
    SetModified();
}

void MimeStamp::Parse() {
    for (int i = 0; i < kKeywordCount; ++i) {
        Clause(i)->clear();
    }
    // The date is detached while it is reset and parsed, so that this does not mark the stamp
    // and the fields above it as changed.
    m_date.SetParent(nullptr);
    m_date.FromUnixTime(0, 0);

    MimeString text = AsString();
    UnfoldHeaderText(text);
    const size_t semicolon = text.rfind(';');
    size_t clauseLength = text.length();
    if (semicolon != MimeString::npos) {
        clauseLength = semicolon;
        size_t dateStart = semicolon + 1;
        while (dateStart < text.length() && IsBlank(text[dateStart])) {
            ++dateStart;
        }
        m_date.FromString(text.substr(dateStart));
        m_date.Parse();
    }

    // Keywords move the state forward only; other words (and keywords out of order) extend the
    // current clause; words before the first keyword belong to none.
    int state = -1;
    size_t spanStart[kKeywordCount] = {};
    size_t spanEnd[kKeywordCount] = {};
    bool hasWords[kKeywordCount] = {};
    for (const Word& word : SplitWords(text, clauseLength)) {
        const int keyword = state == kKeywordCount - 1 ? -1 : KeywordIndex(text, word);
        if (keyword > state) {
            state = keyword;
            continue;
        }
        if (state < 0) {
            continue;
        }
        if (!hasWords[state]) {
            spanStart[state] = word.start;
            hasWords[state] = true;
        }
        spanEnd[state] = word.end;
    }
    for (int i = 0; i < kKeywordCount; ++i) {
        if (hasWords[i]) {
            *Clause(i) = text.substr(spanStart[i], spanEnd[i] - spanStart[i]);
        }
    }
    m_date.SetParent(this);
    ClearModified();
}

void MimeStamp::Compose() {
    if (!IsModified()) {
        return;
    }
    m_date.Compose();
    MimeString text;
    for (int i = 0; i < kKeywordCount; ++i) {
        const MimeString& clause = *Clause(i);
        if (clause.empty()) {
            continue;
        }
        if (!text.empty()) {
            text.append(1, ' ');
        }
        text.append(kKeywords[i]);
        text.append(1, ' ');
        text.append(clause);
    }
    text.append("; ");
    text.append(m_date.AsString());
    FoldHeaderText(text, kFoldOffset);
    SetStringForm(text);
    ClearModified();
}
