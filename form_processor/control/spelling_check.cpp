// The spelling dialog. Opening creates the word processor, puts BODY's text into a new document
// of it and shows the first misspelt word with its suggestions; "건너뛰기" walks the errors in
// text order, "바꾸기" replaces the word in the dialog's text and in the kept HTML's text
// content, "완료" writes the kept HTML back when something was replaced. Closing hands the word
// processor back as it was found and quits it.
#include "spelling_check.h"

#include "ansi_text.h"
#include "dispatch_names.h"
#include "server_module.h"
#include "spelling_replace.h"

#include <objbase.h>
#include <objbase_activation.h>
#include <qx/com/bstr.h>
#include <qx/com/comptr.h>
#include <qx/com/variant.h>
#include <windows.h>
#include <winuser_controls.h>
#include <winuser_dialog.h>

#include <string>
#include <vector>

using qx::com::Bstr;
using qx::com::ComPtr;
using qx::com::Variant;

namespace {

QX_DEFINE_GUID(IID_WordApplication, "{00020970-0000-0000-C000-000000000046}");

constexpr WORD kSpellingDialog = 126;
constexpr int kDialogText = 317;
constexpr int kErrorWord = 259;
constexpr int kSuggestionList = 316;
constexpr int kSkipButton = 314;
constexpr int kReplaceButton = 315;
// The word edit is read into a buffer of 260 characters and its terminator.
constexpr int kWordBuffer = 261;
constexpr LONG kOffScreenTop = -3000;

// Calls a method whose optional arguments are all left out.
HRESULT CallWithOptionalArguments(IDispatch* target, const OLECHAR* name, UINT optionalCount,
                                  VARIANT* result = nullptr) {
    std::vector<Variant> missing(optionalCount, Variant::Missing());
    return CallMethodByName(target, name, missing.data(), optionalCount, result);
}

ComPtr<IDispatch> ObjectResult(HRESULT hr, VARIANT& result) {
    if (FAILED(hr) || result.vt != VT_DISPATCH)
        return nullptr;
    return ComPtr<IDispatch>(result.pdispVal);
}

std::u16string TextOf(const VARIANT& value) {
    if (value.vt != VT_BSTR || !value.bstrVal)
        return {};
    return std::u16string(value.bstrVal, SysStringLen(value.bstrVal));
}

std::u16string WindowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::u16string text(static_cast<size_t>(length > 0 ? length : 0) + 1, u'\0');
    const int copied = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

// BODY: the element the all collection gives for "body" when it gives exactly one, else the
// document's body.
ComPtr<IHTMLElement> FindBody(IHTMLDocument2* document) {
    if (!document)
        return nullptr;
    ComPtr<IDispatch> all;
    if (SUCCEEDED(document->get_all(&all)) && all) {
        Variant name(u"body"), found;
        if (SUCCEEDED(CallMethodByName(all.Get(), u"item", &name, 1, &found)) && found.vt == VT_DISPATCH) {
            if (auto element = ComPtr<IHTMLElement>::QueryFrom(found.pdispVal))
                return element;
        }
    }
    ComPtr<IDispatch> body;
    if (FAILED(document->get_body(&body)) || !body)
        return nullptr;
    return ComPtr<IHTMLElement>::QueryFrom(body.Get());
}

class CSpellingDialog {
public:
    explicit CSpellingDialog(IHTMLDocument2* document) : document_(document) {}

    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_INITDIALOG)
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        auto* self = reinterpret_cast<CSpellingDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
        if (!self)
            return FALSE;
        switch (message) {
        case WM_INITDIALOG:
            self->dialog_ = dialog;
            self->OnOpen();
            return TRUE;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
            case kSkipButton:
                self->OnSkip();
                return TRUE;
            case kReplaceButton:
                self->OnReplace();
                return TRUE;
            case IDOK:
                self->OnDone();
                return TRUE;
            case IDCANCEL:
                EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
            return FALSE;
        case WM_DESTROY:
            self->OnClose();
            return TRUE;
        }
        return FALSE;
    }

private:
    void OnOpen() {
        CLSID clsid{};
        HRESULT hr = CLSIDFromProgID(u"Word.Application", &clsid);
        if (SUCCEEDED(hr))
            hr = CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_WordApplication,
                                  reinterpret_cast<void**>(&word_));
        if (FAILED(hr) || !word_) {
            word_ = nullptr;
            MessageBoxA(GetActiveWindow(), "'MS Word' Not Found!!!", "Error", MB_OK);
            EndDialog(dialog_, IDCANCEL);
            return;
        }
        ComPtr<IDispatch> documents;
        GetObjectByName(word_.Get(), u"Documents", &documents);
        Variant added;
        wordDocument_ = ObjectResult(CallWithOptionalArguments(documents.Get(), u"Add", 4, &added), added);
        Variant top;
        if (SUCCEEDED(GetPropertyByName(word_.Get(), u"Top", &top)) && SUCCEEDED(top.ChangeType(VT_I4)))
            savedTop_ = top.lVal;
        PutPropertyByName(word_.Get(), u"WindowState", Variant(LONG(0)));
        PutPropertyByName(word_.Get(), u"Top", Variant(kOffScreenTop));

        body_ = FindBody(document_);
        std::u16string text;
        if (body_) {
            Bstr html, innerText;
            body_->get_innerHTML(&html);
            body_->get_innerText(&innerText);
            keptHtml_ = html.View();
            text = innerText.View();
        }
        ComPtr<IDispatch> content;
        GetObjectByName(wordDocument_.Get(), u"Content", &content);
        PutPropertyByName(content.Get(), u"Text", Variant(std::u16string_view(text)));
        SetDlgItemTextW(dialog_, kDialogText, text.c_str());

        GetObjectByName(wordDocument_.Get(), u"SpellingErrors", &errors_);
        Variant count;
        if (SUCCEEDED(GetPropertyByName(errors_.Get(), u"Count", &count)) &&
            SUCCEEDED(count.ChangeType(VT_I4)))
            errorCount_ = count.lVal;
        current_ = 1;
        if (errorCount_ >= 1)
            ShowError(current_);
    }

    // Shows the error's word and fills the list with its suggestions in the word processor's order.
    void ShowError(LONG index) {
        Variant at(index), item;
        ComPtr<IDispatch> range = ObjectResult(CallMethodByName(errors_.Get(), u"Item", &at, 1, &item), item);
        Variant word;
        GetPropertyByName(range.Get(), u"Text", &word);
        SetDlgItemTextW(dialog_, kErrorWord, TextOf(word).c_str());
        SendDlgItemMessageW(dialog_, kSuggestionList, LB_RESETCONTENT, 0, 0);
        Variant result;
        ComPtr<IDispatch> suggestions = ObjectResult(
            CallWithOptionalArguments(range.Get(), u"GetSpellingSuggestions", 14, &result), result);
        Variant count;
        if (FAILED(GetPropertyByName(suggestions.Get(), u"Count", &count)) || FAILED(count.ChangeType(VT_I4)))
            return;
        for (LONG i = 1; i <= count.lVal; ++i) {
            Variant position(i), suggestion;
            ComPtr<IDispatch> entry = ObjectResult(
                CallMethodByName(suggestions.Get(), u"Item", &position, 1, &suggestion), suggestion);
            Variant name;
            GetPropertyByName(entry.Get(), u"Name", &name);
            // The list box holds ANSI texts.
            const std::u16string wide = TextOf(name);
            const std::string text = BstrToAnsi(wide.c_str(), static_cast<UINT>(wide.size()));
            SendDlgItemMessageA(dialog_, kSuggestionList, LB_ADDSTRING, 0,
                                reinterpret_cast<LPARAM>(text.c_str()));
        }
    }

    void OnSkip() {
        ++current_;
        if (current_ > errorCount_) {
            MessageBoxW(GetActiveWindow(), u"검색이 끝났습니다.", u"맞춤법 검사", MB_OK);
            return;
        }
        ShowError(current_);
    }

    void OnReplace() {
        HWND list = GetDlgItem(dialog_, kSuggestionList);
        const LRESULT selected = SendMessageW(list, LB_GETCURSEL, 0, 0);
        if (selected == LB_ERR) {
            MessageBoxW(GetActiveWindow(), u"바꿀 단어를 선택하세요", u"알림", MB_OK);
            return;
        }
        WCHAR wordBuffer[kWordBuffer] = {};
        const UINT wordLength = GetDlgItemTextW(dialog_, kErrorWord, wordBuffer, kWordBuffer);
        const std::u16string word(wordBuffer, wordLength);
        const LRESULT suggestionLength = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(selected), 0);
        std::string ansi(static_cast<size_t>(suggestionLength > 0 ? suggestionLength : 0) + 1, '\0');
        const LRESULT copied = SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(selected),
                                            reinterpret_cast<LPARAM>(ansi.data()));
        ansi.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
        const Bstr wide = Bstr::Attach(AnsiToBstr(ansi));
        const std::u16string suggestion(wide.View());

        HWND text = GetDlgItem(dialog_, kDialogText);
        const std::u16string replaced = ReplaceWholeWords(WindowText(text), word, suggestion);
        SetWindowTextW(text, replaced.c_str());
        keptHtml_ = ReplaceWholeWordsInHtml(keptHtml_, word, suggestion);
        replacedAny_ = true;
    }

    void OnDone() {
        // Without a replacement BODY is left alone, so the field objects and element sinks stay
        // on live elements.
        if (replacedAny_ && body_)
            body_->put_innerHTML(Bstr(keptHtml_).Get());
        EndDialog(dialog_, IDOK);
    }

    void OnClose() {
        if (wordDocument_) {
            PutPropertyByName(wordDocument_.Get(), u"Saved", Variant(true));
            CallWithOptionalArguments(wordDocument_.Get(), u"Close", 3);
        }
        if (word_) {
            PutPropertyByName(word_.Get(), u"Top", Variant(savedTop_));
            CallWithOptionalArguments(word_.Get(), u"Quit", 3);
        }
        errors_ = nullptr;
        wordDocument_ = nullptr;
        word_ = nullptr;
    }

    IHTMLDocument2* document_;
    HWND dialog_ = nullptr;
    ComPtr<IDispatch> word_;
    ComPtr<IDispatch> wordDocument_;
    ComPtr<IDispatch> errors_;
    LONG savedTop_ = 0;
    LONG errorCount_ = 0;
    LONG current_ = 1;
    ComPtr<IHTMLElement> body_;
    std::u16string keptHtml_;
    bool replacedAny_ = false;
};

} // namespace

void RunSpellingCheck(IHTMLDocument2* document) {
    CSpellingDialog dialog(document);
    DialogBoxParamW(_Module.GetResourceInstance(), MAKEINTRESOURCEW(kSpellingDialog), GetActiveWindow(),
                    &CSpellingDialog::DialogProc, reinterpret_cast<LPARAM>(&dialog));
}
