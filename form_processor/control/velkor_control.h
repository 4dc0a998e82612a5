// CVelkor, the form control: a full in-place ActiveX control whose window shows the toolbar page
// (resource 102) with the editing control inside, the scripting interface IVelkor, the events
// _IVelkorEvents, and the field collection and page bridge it hands out.
#pragma once

#include "convert_interfaces.h"
#include "form_fields.h"
#include "table_editor.h"
#include "velkor_interfaces.h"

#include <exdisp.h>
#include <mshtml.h>
#include <olectl.h>
#include <qx/com/bstr.h>
#include <qx/com/class_info.h>
#include <qx/com/connection_point.h>
#include <qx/com/control/control_base.h>
#include <qx/com/control/in_place_object.h>
#include <qx/com/control/ole_control.h>
#include <qx/com/control/ole_object.h>
#include <qx/com/control/persistence.h>
#include <qx/com/control/view_object.h>
#include <qx/com/dispatch.h>
#include <qx/com/error_info.h>
#include <qx/com/object.h>
#include <qx/com/object_safety.h>
#include <urlmon.h>
#include <windows.h>

#include <atomic>
#include <string>

class CDownloadCallback;
class CExternalDispatch;

// The editing control's class and its safe-for-scripting interface, as the toolbar page holds it.
QX_DEFINE_GUID(CLSID_DHTMLSafe, "{2D360201-FFF5-11d1-8D03-00A0C959BC0A}");
QX_DEFINE_GUID(IID_IDHTMLSafe, "{CE04B590-2B1F-11D2-8D1E-00A0C959BC0A}");

// Private messages posted to the control's own window.
constexpr UINT WM_VELKOR_PRINT_STEP = 0x7E8;
constexpr UINT WM_VELKOR_DOCUMENT_READY = 0x7E9;
constexpr UINT WM_VELKOR_NEW_DOCUMENT = 0x7EA;

// The result of CheckServerVersion: the file is recent enough, older, or missing.
constexpr int kServerVersionOk = 0;
constexpr int kServerVersionMissing = -1;
constexpr int kServerVersionOlder = -2;

// Compares the version of the file registered under HKEY_CLASSES_ROOT\key with the one required.
int CheckServerVersion(const char* key, WORD major, WORD minor, WORD build, WORD revision);

class CVelkor
    : public qx::com::ObjectRoot,
      public qx::com::control::ControlImpl<CVelkor>,
      public qx::com::DispatchImpl<IVelkor>,
      public qx::com::control::ViewObjectExImpl<CVelkor>,
      public qx::com::control::OleInPlaceObjectWindowlessImpl<CVelkor>,
      public qx::com::control::OleInPlaceActiveObjectImpl<CVelkor>,
      public qx::com::control::OleControlImpl<CVelkor>,
      public qx::com::control::OleObjectImpl<CVelkor>,
      public qx::com::control::PersistStreamInitImpl<CVelkor>,
      public qx::com::control::SpecifyPropertyPagesImpl<CVelkor>,
      public qx::com::control::QuickActivateImpl<CVelkor>,
      public qx::com::control::PersistStorageImpl<CVelkor>,
      public qx::com::control::DataObjectImpl<CVelkor>,
      public qx::com::ProvideClassInfo2Impl<velkor::kVelkorLibrary, CLSID_Velkor>,
      public qx::com::ObjectSafetyImpl<INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA>,
      public qx::com::SupportErrorInfoImpl<IVelkor>,
      public qx::com::ConnectionPointContainerImpl,
      public qx::com::control::PersistPropertyBagImpl<CVelkor>,
      public TableEditorOwner {
public:
    using Self = CVelkor;
    QX_BEGIN_INTERFACES(CVelkor)
    QX_INTERFACE_ENTRY(IVelkor)
    QX_INTERFACE_ENTRY2(IDispatch, IVelkor)
    QX_INTERFACE_ENTRY(IViewObjectEx)
    QX_INTERFACE_ENTRY2(IViewObject2, IViewObjectEx)
    QX_INTERFACE_ENTRY2(IViewObject, IViewObjectEx)
    QX_INTERFACE_ENTRY(IOleInPlaceObjectWindowless)
    QX_INTERFACE_ENTRY2(IOleInPlaceObject, IOleInPlaceObjectWindowless)
    QX_INTERFACE_ENTRY2(IOleWindow, IOleInPlaceObjectWindowless)
    QX_INTERFACE_ENTRY(IOleInPlaceActiveObject)
    QX_INTERFACE_ENTRY(IOleControl)
    QX_INTERFACE_ENTRY(IOleObject)
    QX_INTERFACE_ENTRY(IPersistStreamInit)
    QX_INTERFACE_ENTRY2(IPersist, IPersistStreamInit)
    QX_INTERFACE_ENTRY(ISpecifyPropertyPages)
    QX_INTERFACE_ENTRY(IQuickActivate)
    QX_INTERFACE_ENTRY(IPersistStorage)
    QX_INTERFACE_ENTRY(IDataObject)
    QX_INTERFACE_ENTRY(IProvideClassInfo)
    QX_INTERFACE_ENTRY(IProvideClassInfo2)
    QX_INTERFACE_ENTRY(IObjectSafety)
    QX_INTERFACE_ENTRY(ISupportErrorInfo)
    QX_INTERFACE_ENTRY(IConnectionPointContainer)
    QX_INTERFACE_ENTRY(IPersistPropertyBag)
    QX_END_INTERFACES()

    CVelkor();
    ~CVelkor() override;
    HRESULT FinalConstruct();
    void FinalRelease();

    // ---- the control framework ----
    const CLSID& ClassId() const override { return CLSID_Velkor; }
    BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT& result) override;
    HRESULT OnTranslateAccelerator(MSG* msg) override;

    // IPersistPropertyBag: "StartMode", "TableFontFamily", "TableFontSize" in; "StartMode" out.
    using PersistStreamInitImpl<CVelkor>::Load;
    using PersistStreamInitImpl<CVelkor>::Save;
    using PersistStorageImpl<CVelkor>::Load;
    using PersistStorageImpl<CVelkor>::Save;
    using PersistStreamInitImpl<CVelkor>::InitNew;
    using PersistStorageImpl<CVelkor>::InitNew;
    STDMETHODIMP Load(IPropertyBag* pPropBag, IErrorLog* pErrorLog) override;
    STDMETHODIMP Save(IPropertyBag* pPropBag, BOOL fClearDirty, BOOL fSaveAllProperties) override;

    QX_OVERRIDES_IVelkor;

    // ---- what the page bridge and the steps reach ----
    CTableEditor& TableEditor() { return tableEditor_; }
    SHORT StartModeValue() const { return startMode_; }
    void SetStartModeValue(SHORT mode) { startMode_ = mode; }
    IDispatch* EditorObject() const { return editor_.Get(); }
    CqxFormFields* FieldCollection() const { return fields_.Get(); }
    const qx::com::Bstr& TableFontFamily() const { return tableFontFamily_; }
    const qx::com::Bstr& TableFontSize() const { return tableFontSize_; }
    bool InitCompleteDone() const { return initCompleteDone_; }
    bool NewDocumentPending() const { return newDocument_; }
    void ClearNewDocument() { newDocument_ = false; }
    // Finds the editing control in the toolbar page, keeps it and tells the page's script.
    void InitComplete();
    // Posts a private message to the control's window (nothing without a window).
    void PostToWindow(UINT message);
    // The browser control that shows the toolbar page; null before the window is made.
    IWebBrowser2* PageBrowser() const { return pageBrowser_.Get(); }

    // ---- events ----
    void Fire_DocumentComplete() { events_.Fire_DocumentComplete(); }
    void Fire_FieldsAvailable() { events_.Fire_FieldsAvailable(); }
    void Fire_InitComplete() { events_.Fire_InitComplete(); }
    void Fire_InvalidDocument() { events_.Fire_InvalidDocument(); }
    void Fire_FPError(LONG nVal) { events_.Fire_FPError(nVal); }
    void Fire_ControlNotifyEvent(IDispatch* pDisp) { events_.Fire_ControlNotifyEvent(pDisp); }
    void Fire_ElementChange(IDispatch* pDisp) { events_.Fire_ElementChange(pDisp); }
    void Fire_DownloadedSize(LONG nSize) { events_.Fire_DownloadedSize(nSize); }
    void Fire_ElementKeyEvent(LONG key, LONG shift, LONG ctrl) {
        events_.Fire_ElementKeyEvent(key, shift, ctrl);
    }
    void Fire_QueryMode() { events_.Fire_QueryMode(); }

    // ---- TableEditorOwner ----
    SHORT OwnerStartMode() const override { return startMode_; }
    bool OwnerKeysFree() const override { return keysFree_; }
    bool OwnerCaretAnywhere() const override { return !optionNotBit1_; }
    bool TakeKeyIgnore() override;
    void NotifyElementKey(LONG virtualKey, LONG shift, LONG ctrl) override;
    void NotifyControlChange(IDispatch* element) override;

private:
    LRESULT OnCreate();
    void OnDestroy();
    void OnDocumentReady();
    void OnNewDocument();
    void PumpMessages();

    // The working notice (its own file).
    void ShowWorkingNotice(BSTR text);
    void HideWorkingNotice();
    void EndWorkingThread();
    static DWORD WINAPI WorkingDlgThread(LPVOID parameter);
    static INT_PTR CALLBACK WorkingDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

    velkor::CProxy_IVelkorEvents events_{*this};
    CTableEditor tableEditor_{*this};
    qx::com::ComPtr<IDispatch> editor_;
    SHORT startMode_ = 1;

    // The working notice. Its thread gets its own copy of the text; the dialog handle, the flags
    // and the ready event are what the two threads share.
    qx::com::Bstr workingText_;
    std::atomic<HWND> workingDialog_{nullptr};
    std::atomic<bool> workingShown_{false};
    std::atomic<bool> workingWaiting_{false};
    std::atomic<bool> workingEnded_{false};
    HANDLE workingReady_ = nullptr;
    HANDLE workingThread_ = nullptr;

    HWND printHost_ = nullptr;
    HMODULE richEdit_ = nullptr;
    qx::com::Bstr tableFontFamily_;
    qx::com::Bstr tableFontSize_;
    qx::com::ComPtr<IWebBrowser2> printBrowser_;
    qx::com::Bstr printArgument_;
    DWORD printSinkCookie_ = 0;
    LONG option_ = 0;
    bool keysFree_ = false;
    bool optionNotBit1_ = true;
    bool keyIgnore_ = false;
    qx::com::ComPtr<IWebBrowser2> pageBrowser_;
    qx::com::ComPtr<IHTMLDocument2> pageDocument_;
    qx::com::ObjectPtr<CqxFormFields> fields_;
    qx::com::ComPtr<IDispatch> bridgeDispatch_;
    CExternalDispatch* bridge_ = nullptr;
    bool initCompleteDone_ = false;
    bool newDocument_ = false;
    qx::com::Bstr loadedUrl_;
    LONG mhtmlSave_ = 1;
    qx::com::ComPtr<IConvert> converter_;
    qx::com::ComPtr<IConnectionPoint> converterPoint_;
    DWORD converterCookie_ = 0;
    HANDLE conversionDone_ = nullptr;
    qx::com::ComPtr<IDispatch> specialTableObject_;
    qx::com::Bstr specialTableBorderStyle_;

    // ---- the document road (document_load.cpp, document_html.cpp) ----
public:
    // A chunk of the download of that generation arrived (NUL-terminated at bytes[size]).
    void OnDownloadChunk(ULONG generation, const char* bytes, ULONG size);
    // The binding of that generation stopped, whether it succeeded or not.
    void OnDownloadStopped(ULONG generation);
    // The common tail of a put and a finished download: the ANSI text goes into the editor.
    HRESULT LoadDocumentText(const std::string& text);
    // Stops a running download; its late callbacks are dropped.
    void CancelDownload();

private:
    HRESULT ConvertForSaving(const qx::com::Bstr& html, IHTMLElement* body, qx::com::Bstr& mht);
    std::string downloadBuffer_;
    LONG downloadSize_ = 0;
    ULONG downloadGeneration_ = 0;
    qx::com::ComPtr<IBindStatusCallback> downloadCallback_;
    CDownloadCallback* download_ = nullptr;
};
