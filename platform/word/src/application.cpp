// The application object and its class factory. Its window is never shown: Top and WindowState
// are kept values.
#include "dictionaries.h"
#include "session.h"

#include "qx/com/dispatch.h"
#include "qx/com/object.h"
#include "qx/word/word_server.h"

#include <mutex>

namespace qx::word {
namespace {

std::mutex g_journalLock;
std::vector<std::string>& JournalLines() {
    static auto* lines = new std::vector<std::string>;
    return *lines;
}

class CApplication : public com::ObjectRoot, public com::DispatchImpl<_Application> {
public:
    static constexpr bool kAggregatable = false;

    QX_BEGIN_INTERFACES(CApplication)
    QX_INTERFACE_ENTRY(_Application)
    QX_INTERFACE_ENTRY2(IDispatch, _Application)
    QX_END_INTERFACES()

    STDMETHODIMP get_Documents(IDispatch** p) override {
        if (!p)
            return E_POINTER;
        *p = nullptr;
        if (Disconnected(*session_))
            return RPC_E_DISCONNECTED;
        return CreateDocuments(session_, p);
    }
    STDMETHODIMP get_Top(LONG* p) override { return Read(session_->top, p); }
    STDMETHODIMP put_Top(LONG v) override {
        if (Disconnected(*session_))
            return RPC_E_DISCONNECTED;
        session_->top = v;
        Journal("Application.Top=" + std::to_string(v));
        return S_OK;
    }
    STDMETHODIMP get_WindowState(LONG* p) override { return Read(session_->windowState, p); }
    STDMETHODIMP put_WindowState(LONG v) override {
        if (Disconnected(*session_))
            return RPC_E_DISCONNECTED;
        if (v < 0 || v > 2) // normal, maximised, minimised
            return E_INVALIDARG;
        session_->windowState = v;
        Journal("Application.WindowState=" + std::to_string(v));
        return S_OK;
    }
    STDMETHODIMP Quit(VARIANT, VARIANT, VARIANT) override {
        if (Disconnected(*session_))
            return RPC_E_DISCONNECTED;
        for (auto& document : session_->documents)
            document->closed = true;
        session_->documents.clear();
        session_->quit = true;
        Journal("Application.Quit");
        return S_OK;
    }

private:
    HRESULT Read(LONG value, LONG* p) const {
        if (!p)
            return E_POINTER;
        if (Disconnected(*session_))
            return RPC_E_DISCONNECTED;
        *p = value;
        return S_OK;
    }

    std::shared_ptr<Session> session_ = std::make_shared<Session>();
};

} // namespace

void Journal(std::string line) {
    std::lock_guard guard(g_journalLock);
    JournalLines().push_back(std::move(line));
}

std::vector<std::string> WordJournal() {
    std::lock_guard guard(g_journalLock);
    return JournalLines();
}

void ClearWordJournal() {
    std::lock_guard guard(g_journalLock);
    JournalLines().clear();
}

HRESULT CreateApplication(IUnknown* outer, REFIID riid, void** object) {
    // Without a dictionary the word processor is not there to start.
    if (!Dictionaries::Get()) {
        if (object)
            *object = nullptr;
        return CO_E_SERVER_EXEC_FAILURE;
    }
    return com::CreateInstance<CApplication>(outer, riid, object);
}

HRESULT GetWordClassObject(REFCLSID clsid, REFIID riid, void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (IsEqualCLSID(clsid, CLSID_Application))
        return com::CreateClassFactory(&CreateApplication, riid, object);
    return CLASS_E_CLASSNOTAVAILABLE;
}

bool WordObjectsAlive() {
    return com::ModuleLockCount() != 0;
}

} // namespace qx::word
