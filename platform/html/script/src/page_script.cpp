#include "qx/html/script/page_script.h"

#include "oleauto.h"
#include "qx/com/bstr.h"
#include "qx/com/error_info.h"
#include "qx/html/editing/document_text.h"
#include "window_object.h"
#include "winuser_msgbox.h"
#include "winuser_timer.h"

#include <cmath>
#include <cstdio>

namespace qx::html::script {
namespace {

using qx::script::CallContext;
using qx::script::RunResult;
using qx::script::ScriptError;

// The window's members that need script of their own: `window`, `self`, `parent`, `top` and
// `frames` are the global object, `event` reads the event being delivered, the window object's
// members (location, navigator, ...) are read through it, `execScript` runs in the global scope,
// and handlers are compiled with their element as `this`.
constexpr std::string_view kWindowPrelude = R"(var window = this, self = this;
Object.defineProperty(this, "event", { get: function () { return __qxPage.event(); }, enumerable: false });
(function (global, w) {
    var names = ["parent", "top", "frames"];
    for (var i = 0; i < names.length; i++)
        Object.defineProperty(global, names[i], { get: function () { return global; }, enumerable: false });
    var members = ["location", "navigator", "clientInformation", "screen", "name", "status",
                   "defaultStatus", "opener", "closed"];
    for (var i = 0; i < members.length; i++) (function (name) {
        Object.defineProperty(global, name, { enumerable: false, configurable: true,
            get: function () { return w[name]; },
            set: function (v) { if (name == "location") w.location.href = v; else w[name] = v; } });
    })(members[i]);
    Object.defineProperty(global, "execScript", { enumerable: false, value: function (code, language) {
        if (language !== undefined && !/^(jscript|javascript)$/i.test(String(language)))
            throw new Error("Only JScript runs in this browser.");
        (0, eval)(String(code));
        return null;
    } });
})(this, __qxWindow);
Object.defineProperty(this, "__qxHandler", { value: function (element, params, code) {
    var f = new Function(params, code);
    return function () { return f.apply(element, arguments); };
}, enumerable: false });
Object.defineProperty(this, "__qxBind", { value: function (element, f) {
    return function () { return f.apply(element, arguments); };
}, enumerable: false });
Object.defineProperty(this, "__qxSame", { value: function (a, b) { return a === b; }, enumerable: false });
Object.defineProperty(this, "__qxPage", { value: __qxPage, enumerable: false });
Object.defineProperty(this, "__qxWindow", { value: __qxWindow, enumerable: false });
Object.defineProperty(this, "__qxNameElements", { value: function (ids) {
    var global = window;
    for (var i = 0; i < ids.length; i++) (function (id) {
        if (id in global) return;
        Object.defineProperty(global, id, { configurable: true, get: function () {
            return document.getElementById(id);
        }, set: function (v) {
            Object.defineProperty(global, id, { value: v, writable: true, configurable: true, enumerable: true });
        } });
    })(ids[i]);
}, enumerable: false });
)";

// The timers of the thread's pages, by the id SetTimer gave.
thread_local std::map<UINT_PTR, PageScript*> t_timerPages;

// Only JavaScript runs: a block in another language (VBScript) is left alone.
bool IsJavaScript(const dom::Node* script) {
    const std::u16string language = dom::LowerAscii(script->AttributeValue(u"language"));
    const std::u16string type = dom::LowerAscii(script->AttributeValue(u"type"));
    const bool languageOk = language.empty() || language.starts_with(u"javascript") || language == u"jscript";
    const bool typeOk = type.empty() || type == u"text/javascript" || type == u"text/jscript" ||
                        type == u"application/javascript";
    return languageOk && typeOk;
}

std::u16string TextOf(const dom::Node* element) {
    std::u16string text;
    for (const dom::Node* c = element->firstChild; c; c = c->next)
        if (c->type == dom::NodeType::Text)
            text += c->text;
    return text;
}

// An object argument for a call into script (no reference taken: the caller holds it).
VARIANT DispatchArgument(IDispatch* object) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_DISPATCH;
    v.pdispVal = object;
    return v;
}

dom::Node* FindById(dom::NodeTree& tree, std::u16string_view id) {
    for (dom::Node* n = dom::NextInTree(tree.Document(), tree.Document()); n;
         n = dom::NextInTree(n, tree.Document()))
        if (n->IsElement() && n->AttributeValue(u"id") == id)
            return n;
    return nullptr;
}

} // namespace

// What the window object asks of its page.
class PageWindow final : public WindowPage {
public:
    explicit PageWindow(PageScript& page) : page_(page) {}
    HRESULT CurrentEvent(VARIANT* event) override { return page_.events_->CurrentEvent(event); }
    HRESULT StartTimer(const VARIANT& handler, double delay, bool repeat, LONG* id) override {
        return page_.AddTimer(com::Variant(handler), delay, repeat, id);
    }
    void StopTimer(LONG id) override {
        if (id > 0)
            page_.RemoveTimer(static_cast<UINT_PTR>(id));
    }
    HRESULT ExecuteText(std::u16string_view code) override { return page_.ExecuteText(code); }
    IConnectionPointContainer* ConnectionPoints() override { return page_.events_->WindowConnectionPoints(); }

private:
    PageScript& page_;
};

HRESULT PageScript::Open(IHTMLDocument2* document, PageScriptOptions options,
                         std::unique_ptr<PageScript>* page) {
    if (!document || !page)
        return E_POINTER;
    com::ComPtr<IHtmlNodeAccess> access = com::ComPtr<IHtmlNodeAccess>::QueryFrom(document);
    if (!access)
        return E_INVALIDARG;
    std::unique_ptr<PageScript> made(new PageScript(access->AccessDocument(), document, std::move(options)));
    const HRESULT hr = made->DefineWindow();
    if (FAILED(hr))
        return hr;
    *page = std::move(made);
    return S_OK;
}

PageScript::PageScript(dom::DomPtr dom, com::ComPtr<IHTMLDocument2> document, PageScriptOptions options)
    : dom_(std::move(dom)), document_(std::move(document)), options_(std::move(options)),
      engine_(qx::script::EngineLimits{options_.timeBudget, 0}) {}

PageScript::~PageScript() {
    if (windowObject_)
        windowObject_->Detach();
    dom_->window = nullptr;
    for (const auto& [id, timer] : timers_) {
        KillTimer(nullptr, id);
        t_timerPages.erase(id);
    }
    timers_.clear();
    if (events_) {
        events_->Clear();
        events_->SetHost(nullptr);
    }
    dom_->events.reset();
    dom_->script = nullptr;
    window_ = nullptr;
}

HRESULT PageScript::DefineWindow() {
    // The events may be there already: the document's window makes them when it comes first.
    events_ = events::PageEvents::Of(dom_);
    events_->SetHost(this);
    HRESULT hr = engine_.DefineValue("document", com::Variant(static_cast<IDispatch*>(document_.Get())));
    if (SUCCEEDED(hr))
        hr = engine_.DefineFunction("__qxPage.event", [this](CallContext& call) {
            com::Variant event;
            const HRESULT got = events_->CurrentEvent(&event);
            return FAILED(got) ? got : call.SetResult(event);
        });
    if (SUCCEEDED(hr))
        hr = engine_.DefineFunction("alert", [](CallContext& call) {
            ShowAlertBox(call.ArgCount() ? call.ArgString(0) : std::u16string());
            return S_OK;
        });
    if (SUCCEEDED(hr))
        hr = engine_.DefineFunction("confirm", [](CallContext& call) {
            return call.SetResult(com::Variant(ShowConfirmBox(call.ArgCount() ? call.ArgString(0) : u"")));
        });
    if (SUCCEEDED(hr)) {
        pageWindow_ = std::make_unique<PageWindow>(*this);
        hr = com::CreateObject<WindowObject>(windowObject_);
    }
    if (SUCCEEDED(hr)) {
        windowObject_->Attach(pageWindow_.get(), dom_, document_);
        hr = engine_.DefineValue("__qxWindow", com::Variant(static_cast<IDispatch*>(
                                                   static_cast<IDispatchEx*>(windowObject_.Get()))));
    }
    if (SUCCEEDED(hr))
        hr = engine_.DefineFunction("setTimeout",
                                    [this](CallContext& call) { return StartTimer(call, false); });
    if (SUCCEEDED(hr))
        hr = engine_.DefineFunction("setInterval",
                                    [this](CallContext& call) { return StartTimer(call, true); });
    if (SUCCEEDED(hr))
        hr = engine_.DefineFunction("clearTimeout", [this](CallContext& call) { return StopTimer(call); });
    if (SUCCEEDED(hr))
        hr = engine_.DefineFunction("clearInterval", [this](CallContext& call) { return StopTimer(call); });
    if (FAILED(hr))
        return hr;
    if (options_.activator)
        engine_.SetActivator(options_.activator);
    ScriptError error;
    if (engine_.Run(kWindowPrelude, "window", &error) != RunResult::Completed)
        return E_FAIL;
    com::Variant window;
    hr = engine_.GetGlobal(u"window", &window);
    if (FAILED(hr) || window.vt != VT_DISPATCH)
        return FAILED(hr) ? hr : E_UNEXPECTED;
    window_ = window.pdispVal;
    dom_->script = window_.Get();
    editing::AttachEditing(*dom_); // document.selection and BODY's text ranges
    dom_->window = static_cast<IDispatch*>(static_cast<IDispatchEx*>(windowObject_.Get()));
    return S_OK;
}

HRESULT PageScript::Compile(IDispatch* element, std::u16string_view code, IDispatch** handler) {
    return CompileFunction(element, u"event", code, handler);
}

HRESULT PageScript::CallHelper(std::u16string_view name, VARIANT* args, std::size_t count, VARIANT* result) {
    bool found = false;
    ScriptError error;
    const HRESULT hr = engine_.CallGlobal(name, args, count, result, &found, &error);
    if (FAILED(hr) && !error.message.empty()) {
        error.fileName = com::Utf16ToUtf8(options_.url);
        Report(error);
    }
    return FAILED(hr) ? hr : found ? S_OK : E_UNEXPECTED;
}

HRESULT PageScript::Bind(IDispatch* element, IDispatch* function, IDispatch** bound) {
    *bound = nullptr;
    VARIANT args[2] = {DispatchArgument(element), DispatchArgument(function)};
    com::Variant result;
    const HRESULT hr = CallHelper(u"__qxBind", args, 2, &result);
    if (FAILED(hr) || result.vt != VT_DISPATCH || !result.pdispVal)
        return FAILED(hr) ? hr : E_UNEXPECTED;
    *bound = result.pdispVal;
    (*bound)->AddRef();
    return S_OK;
}

bool PageScript::Same(IDispatch* a, IDispatch* b) {
    VARIANT args[2] = {DispatchArgument(a), DispatchArgument(b)};
    com::Variant result;
    return SUCCEEDED(CallHelper(u"__qxSame", args, 2, &result)) && result.vt == VT_BOOL &&
           result.boolVal != VARIANT_FALSE;
}

HRESULT PageScript::CompileFunction(IDispatch* element, std::u16string_view params, std::u16string_view code,
                                    IDispatch** handler) {
    *handler = nullptr;
    VARIANT args[3] = {DispatchArgument(element), {}, {}};
    com::Bstr paramText(params), codeText(code);
    args[1].vt = VT_BSTR;
    args[1].bstrVal = paramText.Get();
    args[2].vt = VT_BSTR;
    args[2].bstrVal = codeText.Get();
    com::Variant result;
    const HRESULT hr = CallHelper(u"__qxHandler", args, 3, &result);
    if (FAILED(hr))
        return hr;
    if (result.vt != VT_DISPATCH || !result.pdispVal)
        return E_UNEXPECTED;
    *handler = result.pdispVal;
    (*handler)->AddRef();
    return S_OK;
}

void PageScript::Report(const ScriptError& error) {
    ++errors_;
    std::string report = "Script error\n";
    if (error.line > 0)
        report += "Line: " + std::to_string(error.line) + "\n";
    report += "Error: " + error.message + "\nURL: " + com::Utf16ToUtf8(options_.url) + "\n";
    if (options_.report) {
        options_.report(report);
    } else {
        std::fputs(report.c_str(), stderr);
        std::fflush(stderr);
    }
}

void PageScript::ReportException(HRESULT hr, const EXCEPINFO& info) {
    ScriptError error;
    error.number = hr;
    if (info.bstrDescription)
        error.message = com::Utf16ToUtf8({info.bstrDescription, SysStringLen(info.bstrDescription)});
    else {
        char text[32];
        std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
        error.message = text;
    }
    Report(error);
}

// Elements with an id are names of the window, as the old browser had them (`tbContent.DocumentHTML`),
// unless script has a global of that name.
void PageScript::NameElements() {
    std::string ids = "__qxNameElements([";
    for (dom::Node* n = dom::NextInTree(dom_->tree.Document(), dom_->tree.Document()); n;
         n = dom::NextInTree(n, dom_->tree.Document())) {
        const dom::Attribute* id = n->IsElement() ? n->FindAttribute(u"id") : nullptr;
        if (!id || id->value.empty())
            continue;
        ids += '"';
        for (char16_t c : id->value) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
            ids += escaped;
        }
        ids += "\",";
    }
    ids += "])";
    ScriptError error;
    engine_.Run(ids, "window", &error);
}

bool PageScript::Execute(std::string_view sourceUtf8, std::string_view where) {
    ScriptError error;
    return RunBlock(sourceUtf8, where, &error);
}

bool PageScript::RunBlock(std::string_view sourceUtf8, std::string_view where, ScriptError* error) {
    NameElements();
    const RunResult result = engine_.Run(sourceUtf8, where, error);
    if (result == RunResult::Completed)
        return true;
    if (result == RunResult::TimedOut && error->message.empty())
        error->message = "the script ran too long and was stopped";
    Report(*error);
    return false;
}

HRESULT PageScript::ExecuteText(std::u16string_view code) {
    ScriptError error;
    if (RunBlock(com::Utf16ToUtf8(code), com::Utf16ToUtf8(options_.url), &error))
        return S_OK;
    return com::ReportError(IID_IHTMLWindow2, u"htmlfile", com::Utf8ToUtf16(error.message), E_FAIL);
}

void PageScript::BindScriptFor(dom::Node* script) {
    const std::u16string id(script->AttributeValue(u"for"));
    std::u16string event(script->AttributeValue(u"event"));
    std::u16string params;
    if (const std::size_t open = event.find(u'('); open != std::u16string::npos) {
        const std::size_t close = event.find(u')', open);
        params =
            event.substr(open + 1, close == std::u16string::npos ? std::u16string::npos : close - open - 1);
        event.resize(open);
    }
    while (!event.empty() && event.back() == u' ')
        event.pop_back();
    dom::Node* target = FindById(dom_->tree, id);
    if (!target || event.empty())
        return;
    com::ComPtr<IDispatch> element, handler;
    if (FAILED(dom::NodeObjectOf(dom_, target, &element)) ||
        FAILED(CompileFunction(element.Get(), params, TextOf(script), &handler)))
        return;
    const std::u16string name = dom::LowerAscii(event).starts_with(u"on") ? event : u"on" + event;
    events_->Attach(target, name, handler.Get(), nullptr);
}

std::optional<std::string> PageScript::SourceOf(dom::Node* script) {
    const dom::Attribute* src = script->FindAttribute(u"src");
    if (!src || src->value.empty() || !options_.loadSource)
        return std::nullopt;
    return options_.loadSource(src->value);
}

void PageScript::RunScripts() {
    // The blocks are taken first and held: a block may change the document under the rest.
    std::vector<dom::Node*> scripts;
    for (dom::Node* n = dom::NextInTree(dom_->tree.Document(), dom_->tree.Document()); n;
         n = dom::NextInTree(n, dom_->tree.Document()))
        if (n->Is(u"script") && IsJavaScript(n)) {
            dom_->tree.Hold(n);
            scripts.push_back(n);
        }
    for (dom::Node* script : scripts) {
        if (script->FindAttribute(u"for") && script->FindAttribute(u"event"))
            BindScriptFor(script);
        else if (std::optional<std::string> source = SourceOf(script))
            Execute(*source, com::Utf16ToUtf8(options_.url));
        else
            Execute(com::Utf16ToUtf8(TextOf(script)), com::Utf16ToUtf8(options_.url));
    }
    for (dom::Node* script : scripts)
        dom_->tree.Release(script);
}

HRESULT PageScript::StartTimer(CallContext& call, bool repeat) {
    com::Variant handler;
    HRESULT hr = call.ArgVariant(0, &handler);
    if (FAILED(hr))
        return hr;
    if (handler.vt != VT_DISPATCH && handler.vt != VT_BSTR)
        handler = com::Variant(call.ArgString(0));
    LONG id = 0;
    hr = AddTimer(std::move(handler), call.ArgNumber(1), repeat, &id);
    return FAILED(hr) ? hr : call.SetResult(com::Variant(id));
}

HRESULT PageScript::AddTimer(com::Variant handler, double delay, bool repeat, LONG* id) {
    *id = 0;
    Timer timer;
    timer.handler = std::move(handler);
    const UINT elapse =
        std::isfinite(delay) && delay > 0 ? static_cast<UINT>(std::min(delay, 2147483647.0)) : 0;
    timer.repeat = repeat;
    const UINT_PTR made = SetTimer(nullptr, 0, elapse, &PageScript::OnTimer);
    if (!made)
        return E_OUTOFMEMORY;
    timers_[made] = std::move(timer);
    t_timerPages[made] = this;
    *id = static_cast<LONG>(made);
    return S_OK;
}

HRESULT PageScript::StopTimer(CallContext& call) {
    const double number = call.ArgNumber(0);
    if (std::isfinite(number) && number > 0)
        RemoveTimer(static_cast<UINT_PTR>(number));
    return S_OK;
}

void PageScript::RemoveTimer(UINT_PTR id) {
    if (timers_.erase(id)) {
        KillTimer(nullptr, id);
        t_timerPages.erase(id);
    }
}

void CALLBACK PageScript::OnTimer(HWND, UINT, UINT_PTR id, DWORD) {
    const auto page = t_timerPages.find(id);
    if (page != t_timerPages.end())
        page->second->RunTimer(id);
}

void PageScript::RunTimer(UINT_PTR id) {
    const auto found = timers_.find(id);
    if (found == timers_.end())
        return;
    // The handler is copied: it may clear its own timer or start others while it runs.
    const com::Variant handler = found->second.handler;
    if (!found->second.repeat) {
        timers_.erase(found);
        KillTimer(nullptr, id);
        t_timerPages.erase(id);
    }
    if (handler.vt == VT_BSTR) {
        Execute(com::Utf16ToUtf8({handler.bstrVal, SysStringLen(handler.bstrVal)}),
                com::Utf16ToUtf8(options_.url));
        return;
    }
    NameElements();
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    com::Variant result;
    EXCEPINFO info{};
    const HRESULT hr =
        handler.pdispVal->Invoke(DISPID_VALUE, IID_NULL, 0, DISPATCH_METHOD, &none, &result, &info, nullptr);
    if (FAILED(hr))
        ReportException(hr, info);
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
}

} // namespace qx::html::script
