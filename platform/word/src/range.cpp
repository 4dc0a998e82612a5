// Ranges of a document's text: the whole content, or one misspelt word.
#include "dictionaries.h"
#include "session.h"
#include "word_rule.h"

#include "qx/com/bstr.h"
#include "qx/com/dispatch.h"
#include "qx/com/object.h"

namespace qx::word {
namespace {

class CRange : public com::ObjectRoot, public com::DispatchImpl<Range> {
public:
    CRange(std::shared_ptr<Session> session, std::shared_ptr<DocumentText> text, std::size_t start,
           std::size_t length)
        : session_(std::move(session)), text_(std::move(text)), start_(start), length_(length) {}

    QX_BEGIN_INTERFACES(CRange)
    QX_INTERFACE_ENTRY(Range)
    QX_INTERFACE_ENTRY2(IDispatch, Range)
    QX_END_INTERFACES()

    STDMETHODIMP get_Text(BSTR* p) override {
        if (!p)
            return E_POINTER;
        *p = nullptr;
        if (Disconnected(*session_, text_.get()))
            return RPC_E_DISCONNECTED;
        *p = com::Bstr(Covered()).Detach();
        return S_OK;
    }
    STDMETHODIMP put_Text(BSTR v) override {
        if (Disconnected(*session_, text_.get()))
            return RPC_E_DISCONNECTED;
        const std::u16string_view replacement(v ? v : u"", SysStringLen(v));
        const std::size_t start = std::min(start_, text_->text.size());
        const std::size_t length = Covered().size();
        text_->text.replace(start, length, replacement);
        if (length_ != std::u16string::npos)
            length_ = replacement.size();
        text_->saved = false;
        Journal("Range.Text");
        return S_OK;
    }
    STDMETHODIMP GetSpellingSuggestions(VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT,
                                        VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT,
                                        IDispatch** suggestions) override {
        if (!suggestions)
            return E_POINTER;
        *suggestions = nullptr;
        if (Disconnected(*session_, text_.get()))
            return RPC_E_DISCONNECTED;
        const std::u16string word(Covered());
        std::vector<std::u16string> names;
        const std::vector<WordRun> runs = FindWordRuns(word);
        if (!runs.empty())
            names = Dictionaries::Get()->Suggest(word, runs.front().korean);
        return CreateSuggestions(session_, std::move(names), suggestions);
    }

private:
    std::u16string_view Covered() const {
        const std::u16string_view all = text_->text;
        const std::size_t start = std::min(start_, all.size());
        return all.substr(start, length_);
    }

    std::shared_ptr<Session> session_;
    std::shared_ptr<DocumentText> text_;
    std::size_t start_;
    std::size_t length_;
};

} // namespace

HRESULT CreateRange(std::shared_ptr<Session> session, std::shared_ptr<DocumentText> text, std::size_t start,
                    std::size_t length, IDispatch** out) {
    return NewDispatch<CRange>(out, std::move(session), std::move(text), start, length);
}

} // namespace qx::word
