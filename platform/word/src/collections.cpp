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

// Checks the one-based index against the count and gives the zero-based position.
HRESULT Position(LONG index, std::size_t count, std::size_t* position) {
    if (index < 1 || static_cast<std::size_t>(index) > count)
        return DISP_E_BADINDEX;
    *position = static_cast<std::size_t>(index) - 1;
    return S_OK;
}

class CSpellingErrors : public com::ObjectRoot, public com::DispatchImpl<ProofreadingErrors> {
public:
    static constexpr bool kAggregatable = false;
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
        if (!p)
            return E_POINTER;
        if (Disconnected(*session_, text_.get()))
            return RPC_E_DISCONNECTED;
        *p = static_cast<LONG>(errors_.size());
        return S_OK;
    }
    STDMETHODIMP Item(LONG index, IDispatch** range) override {
        if (!range)
            return E_POINTER;
        *range = nullptr;
        if (Disconnected(*session_, text_.get()))
            return RPC_E_DISCONNECTED;
        std::size_t position = 0;
        HRESULT hr = Position(index, errors_.size(), &position);
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
    static constexpr bool kAggregatable = false;
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
    static constexpr bool kAggregatable = false;
    CSpellingSuggestions(std::shared_ptr<Session> session, std::vector<std::u16string> names)
        : session_(std::move(session)), names_(std::move(names)) {}

    QX_BEGIN_INTERFACES(CSpellingSuggestions)
    QX_INTERFACE_ENTRY(SpellingSuggestions)
    QX_INTERFACE_ENTRY2(IDispatch, SpellingSuggestions)
    QX_END_INTERFACES()

    STDMETHODIMP get_Count(LONG* p) override {
        if (!p)
            return E_POINTER;
        if (Disconnected(*session_))
            return RPC_E_DISCONNECTED;
        *p = static_cast<LONG>(names_.size());
        return S_OK;
    }
    STDMETHODIMP Item(LONG index, IDispatch** suggestion) override {
        if (!suggestion)
            return E_POINTER;
        *suggestion = nullptr;
        if (Disconnected(*session_))
            return RPC_E_DISCONNECTED;
        std::size_t position = 0;
        HRESULT hr = Position(index, names_.size(), &position);
        if (FAILED(hr))
            return hr;
        com::ObjectPtr<CSpellingSuggestion> object;
        hr = com::CreateObject<CSpellingSuggestion>(object, session_, names_[position]);
        if (FAILED(hr))
            return hr;
        return object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(suggestion));
    }

private:
    std::shared_ptr<Session> session_;
    std::vector<std::u16string> names_;
};

} // namespace

HRESULT CreateSpellingErrors(std::shared_ptr<Session> session, std::shared_ptr<DocumentText> text,
                             IDispatch** out) {
    com::ObjectPtr<CSpellingErrors> errors;
    HRESULT hr = com::CreateObject<CSpellingErrors>(errors, std::move(session), std::move(text));
    if (FAILED(hr))
        return hr;
    return errors->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(out));
}

HRESULT CreateSuggestions(std::shared_ptr<Session> session, std::vector<std::u16string> names,
                          IDispatch** out) {
    com::ObjectPtr<CSpellingSuggestions> suggestions;
    HRESULT hr = com::CreateObject<CSpellingSuggestions>(suggestions, std::move(session), std::move(names));
    if (FAILED(hr))
        return hr;
    return suggestions->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(out));
}

} // namespace qx::word
