// The control's window: the toolbar page and the print browser at creation, the private
// messages, the clean-up at destruction, and keyboard translation.
#include "velkor_control.h"

#include "dispatch_names.h"
#include "external_dispatch.h"
#include "server_module.h"

#include <qx/html/browser/hosting_window.h>

#include <string>

using qx::com::Bstr;
using qx::com::ComPtr;

BOOL CVelkor::ProcessWindowMessage(HWND, UINT message, WPARAM, LPARAM, LRESULT& result) {
    switch (message) {
    case WM_CREATE:
        result = OnCreate();
        return TRUE;
    case WM_DESTROY:
        OnDestroy();
        result = 0;
        return FALSE; // the standard handling runs too
    case WM_VELKOR_PRINT_STEP:
        result = 0;
        return TRUE;
    case WM_VELKOR_DOCUMENT_READY:
        OnDocumentReady();
        result = 0;
        return TRUE;
    case WM_VELKOR_NEW_DOCUMENT:
        OnNewDocument();
        result = 0;
        return TRUE;
    default:
        return FALSE;
    }
}

LRESULT CVelkor::OnCreate() {
    HWND window = Window();
    HINSTANCE instance = _Module.GetModuleInstance();
    printHost_ = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 100, 500,
                                 400, window, nullptr, instance, nullptr);
    if (!printHost_)
        return -1;

    char modulePath[MAX_PATH] = {};
    GetModuleFileNameA(instance, modulePath, MAX_PATH);
    const int length = MultiByteToWideChar(CP_ACP, 0, modulePath, -1, nullptr, 0);
    std::u16string path(length > 0 ? static_cast<std::size_t>(length - 1) : 0, u'\0');
    if (length > 1)
        MultiByteToWideChar(CP_ACP, 0, modulePath, -1, path.data(), length);
    const std::u16string pageUrl = u"res://" + path + u"/102";
    if (FAILED(AtlAxCreateControl(pageUrl.c_str(), window, nullptr, nullptr)))
        return -1;

    ComPtr<IUnknown> printControl;
    if (FAILED(AtlAxCreateControlEx(u"Shell.Explorer", printHost_, nullptr, nullptr, &printControl, IID_NULL,
                                    nullptr)))
        return -1;
    printBrowser_ = ComPtr<IWebBrowser2>::QueryFrom(printControl.Get());
    if (!printBrowser_)
        return -1;
    printBrowser_->put_Visible(VARIANT_TRUE);
    printBrowser_->Navigate(Bstr(u"about:blank"), nullptr, nullptr, nullptr, nullptr);

    ComPtr<IUnknown> hostUnknown;
    if (FAILED(AtlAxGetHost(window, &hostUnknown)))
        return -1;
    ComPtr<IAxWinHostWindow> host = ComPtr<IAxWinHostWindow>::QueryFrom(hostUnknown.Get());
    if (!host || FAILED(host->SetExternalDispatch(bridgeDispatch_.Get())))
        return -1;

    ComPtr<IUnknown> pageControl;
    if (FAILED(AtlAxGetControl(window, &pageControl)))
        return -1;
    pageBrowser_ = ComPtr<IWebBrowser2>::QueryFrom(pageControl.Get());
    return pageBrowser_ ? 0 : -1;
}

void CVelkor::OnDestroy() {
    if (HWND dialog = workingDialog_.load())
        PostMessageA(dialog, WM_QUIT, 0, 0);
    EndWorkingThread();
    tableEditor_.Detach();
    if (converterCookie_ && converterPoint_) {
        converterPoint_->Unadvise(converterCookie_);
        converterCookie_ = 0;
    }
    printSinkCookie_ = 0;
}

void CVelkor::OnDocumentReady() {
    if (bridge_)
        bridge_->DocumentReady();
}

// FileNew's second half: the editing control starts a blank document.
void CVelkor::OnNewDocument() {
    if (editor_)
        CallMethodByName(editor_.Get(), u"NewDocument", nullptr, 0, nullptr);
}

HRESULT CVelkor::OnTranslateAccelerator(MSG* msg) {
    ComPtr<IOleInPlaceActiveObject> active = ComPtr<IOleInPlaceActiveObject>::QueryFrom(pageBrowser_.Get());
    if (active && msg && initCompleteDone_ && tableEditor_.Document()) {
        if (tableEditor_.FilterKey(*msg))
            return active->TranslateAccelerator(msg);
    }
    return S_OK;
}
