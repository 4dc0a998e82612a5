// The spelling errors of a document and the suggestions for a word: counted collections with
// one-based items, taken as a snapshot when they are asked for.
#include "dictionaries.h"
#include "session.h"
#include "word_rule.h"

#include "qx/com/bstr.h"
#include "qx/com/dispatch.h"
#include "qx/com/object.h"

namespace qx::word {
namespace {

// Count of a collection whose objects may have been cut off.
HRESULT ReadCount(bool disconnected, std::size_t count, LONG* p) {
    if (!p)
        return E_POINTER;
    if (disconnected)
        return RPC_E_DISCONNECTED;
    *p = static_cast<LONG>(count);
    return S_OK;
}

// Checks an Item call and gives the zero-based position of its one-based index.
HRESULT ItemPosition(bool disconnected, LONG index, std::size_t count, IDispatch** out,
                     std::size_t* position) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (disconnected)
        return RPC_E_DISCONNECTED;
    if (index < 1 || static_cast<std::size_t>(index) > count)
        return DISP_E_BADINDEX;
    *position = static_cast<std::size_t>(index) - 1;
    return S_OK;
}

class CSpellingErrors : public com::ObjectRoot, public com::DispatchImpl<ProofreadingErrors> {
public:
    CSpellingErrors(std::shared_ptr<Session> session, std::shared_ptr<DocumentText> text)
        : session_(std::move(session)), text_(std::move(text)) {
        Dictionaries* dictionaries = Dictionaries::Get();
        for (const WordRun& run : FindWordRuns(text_->text)) {
            if (run.checked &&
                !dictionaries->Accepts(std::u16string_view(text_->text).substr(run.start, run.length),
                                       run.korean))
                errors_.push_back(run);
        }
    }

    QX_BEGIN_INTERFACES(CSpellingErrors)
    QX_INTERFACE_ENTRY(ProofreadingErrors)
    QX_INTERFACE_ENTRY2(IDispatch, ProofreadingErrors)
    QX_END_INTERFACES()

    STDMETHODIMP get_Count(LONG* p) override {
        return ReadCount(Disconnected(*session_, text_.get()), errors_.size(), p);
    }
    STDMETHODIMP Item(LONG index, IDispatch** range) override {
        std::size_t position = 0;
        HRESULT hr =
            ItemPosition(Disconnected(*session_, text_.get()), index, errors_.size(), range, &position);
        if (FAILED(hr))
            return hr;
        return CreateRange(session_, text_, errors_[position].start, errors_[position].length, range);
    }

private:
    std::shared_ptr<Session> session_;
    std::shared_ptr<DocumentText> text_;
    std::vector<WordRun> errors_;
};

class CSpellingSuggestion : public com::ObjectRoot, public com::DispatchImpl<SpellingSuggestion> {
public:
    CSpellingSuggestion(std::shared_ptr<Session> session, std::u16string name)
        : session_(std::move(session)), name_(std::move(name)) {}

    QX_BEGIN_INTERFACES(CSpellingSuggestion)
    QX_INTERFACE_ENTRY(SpellingSuggestion)
    QX_INTERFACE_ENTRY2(IDispatch, SpellingSuggestion)
    QX_END_INTERFACES()

    STDMETHODIMP get_Name(BSTR* p) override {
        if (!p)
            return E_POINTER;
        *p = nullptr;
        if (Disconnected(*session_))
            return RPC_E_DISCONNECTED;
        *p = com::Bstr(name_).Detach();
        return S_OK;
    }

private:
    std::shared_ptr<Session> session_;
    std::u16string name_;
};

class CSpellingSuggestions : public com::ObjectRoot, public com::DispatchImpl<SpellingSuggestions> {
public:
    CSpellingSuggestions(std::shared_ptr<Session> session, std::vector<std::u16string> names)
        : session_(std::move(session)), names_(std::move(names)) {}

    QX_BEGIN_INTERFACES(CSpellingSuggestions)
    QX_INTERFACE_ENTRY(SpellingSuggestions)
    QX_INTERFACE_ENTRY2(IDispatch, SpellingSuggestions)
    QX_END_INTERFACES()

    STDMETHODIMP get_Count(LONG* p) override { return ReadCount(Disconnected(*session_), names_.size(), p); }
    STDMETHODIMP Item(LONG index, IDispatch** suggestion) override {
        std::size_t position = 0;
        HRESULT hr = ItemPosition(Disconnected(*session_), index, names_.size(), suggestion, &position);
        if (FAILED(hr))
            return hr;
        return NewDispatch<CSpellingSuggestion>(suggestion, session_, names_[position]);
    }

private:
    std::shared_ptr<Session> session_;
    std::vector<std::u16string> names_;
};

} // namespace

HRESULT CreateSpellingErrors(std::shared_ptr<Session> session, std::shared_ptr<DocumentText> text,
                             IDispatch** out) {
    return NewDispatch<CSpellingErrors>(out, std::move(session), std::move(text));
}

HRESULT CreateSuggestions(std::shared_ptr<Session> session, std::vector<std::u16string> names,
                          IDispatch** out) {
    return NewDispatch<CSpellingSuggestions>(out, std::move(session), std::move(names));
}

} // namespace qx::word
