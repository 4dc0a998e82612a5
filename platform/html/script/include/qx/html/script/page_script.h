// A page's script: one engine per window whose global object is the window (document, window,
// event, alert, confirm, setTimeout, setInterval, clearTimeout, clearInterval, ActiveXObject,
// location, navigator, screen, execScript, name, parent, top), the page's SCRIPT blocks
// run in document order, `<script for event>` blocks, inline handlers compiled as functions of
// `event`, and for components document.Script and the window (document.parentWindow, IHTMLWindow2).
#pragma once

#include "qx/html/events/page_events.h"
#include "qx/script/script_engine.h"

#include "mshtml.h"
#include "qx/com/object.h"
#include "qx/com/variant.h"

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace qx::html::script {

struct PageScriptOptions {
    std::u16string url;                          // the page's address, for error reports
    qx::script::Activator activator;             // ActiveXObject; none: the constructor fails
    std::chrono::milliseconds timeBudget{10000}; // per entry (a block, a handler, a timer)
    // Hears each script error as the browser reports it ("Line: ..."); standard error when empty.
    std::function<void(const std::string& report)> report;
    // The text of the file a `<script src>` names (the address as written, UTF-8 bytes back);
    // without one, or when it gives nothing, the block's own text runs.
    std::function<std::optional<std::string>(std::u16string_view src)> loadSource;
};

class WindowObject;
class PageWindow;

class PageScript final : private events::PageEvents::Host {
public:
    // Wires the document's events and script object to a new engine; E_INVALIDARG for a
    // document that is not this browser's.
    static HRESULT Open(IHTMLDocument2* document, PageScriptOptions options,
                        std::unique_ptr<PageScript>* page);
    ~PageScript() override;
    PageScript(const PageScript&) = delete;
    PageScript& operator=(const PageScript&) = delete;

    // Runs the SCRIPT blocks in document order (a block's error stops that block only).
    void RunScripts();
    // Runs script text as a block of the page; false after an error.
    bool Execute(std::string_view sourceUtf8, std::string_view where);
    // Reports an error of the page that no script raised (a control that refused to be
    // scripted), as the browser reports script errors.
    void ReportError(std::string_view messageUtf8);
    // How many script errors were reported.
    int ErrorCount() const { return errors_; }
    events::PageEvents& Events() { return *events_; }
    qx::script::ScriptEngine& Engine() { return engine_; }

private:
    PageScript(dom::DomPtr dom, com::ComPtr<IHTMLDocument2> document, PageScriptOptions options);
    HRESULT DefineWindow();
    HRESULT Compile(IDispatch* element, std::u16string_view code, IDispatch** handler) override;
    HRESULT Bind(IDispatch* element, IDispatch* function, IDispatch** bound) override;
    bool Same(IDispatch* a, IDispatch* b) override;
    void HandlerFailed(HRESULT hr, const EXCEPINFO& info) override { ReportException(hr, info); }
    // Calls a helper of the window's prelude with objects and texts.
    HRESULT CallHelper(std::u16string_view name, VARIANT* args, std::size_t count, VARIANT* result);
    HRESULT CompileFunction(IDispatch* element, std::u16string_view params, std::u16string_view code,
                            IDispatch** handler);
    void Report(const qx::script::ScriptError& error);
    void ReportException(HRESULT hr, const EXCEPINFO& info);
    HRESULT StartTimer(qx::script::CallContext& call, bool repeat);
    HRESULT StopTimer(qx::script::CallContext& call);
    // A timer running text or a function; its id in *id.
    HRESULT AddTimer(com::Variant handler, double delay, bool repeat, LONG* id);
    void RemoveTimer(UINT_PTR id);
    // Runs a block; an error is reported and left in *error.
    bool RunBlock(std::string_view sourceUtf8, std::string_view where, qx::script::ScriptError* error);
    // Runs text as a block; a failure carries the error's message (reported as well).
    HRESULT ExecuteText(std::u16string_view code);
    friend class PageWindow;
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD);
    void RunTimer(UINT_PTR id);
    void BindScriptFor(dom::Node* script);
    std::optional<std::string> SourceOf(dom::Node* script);
    void NameElements();

    struct Timer {
        com::Variant handler; // a function, or text to run
        bool repeat = false;
    };

    dom::DomPtr dom_;
    com::ComPtr<IHTMLDocument2> document_;
    PageScriptOptions options_;
    qx::script::ScriptEngine engine_;
    std::shared_ptr<events::PageEvents> events_;
    com::ComPtr<IDispatch> window_;             // the script's global object
    std::unique_ptr<PageWindow> pageWindow_;    // what the window object asks of this page
    com::ObjectPtr<WindowObject> windowObject_; // the window as components see it
    std::map<UINT_PTR, Timer> timers_;
    int errors_ = 0;
};

} // namespace qx::html::script
