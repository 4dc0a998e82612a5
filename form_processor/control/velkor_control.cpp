// CVelkor's construction, its installation checks, persistence and destruction.
#include "velkor_control.h"

#include "ansi_text.h"
#include "converter_sink.h"
#include "external_dispatch.h"

#include <objbase_activation.h>
#include <winver.h>

#include <vector>

using qx::com::Bstr;
using qx::com::ComPtr;
using qx::com::Variant;

namespace {

constexpr char kEditorServerKey[] = "CLSID\\{2D360201-FFF5-11d1-8D03-00A0C959BC0A}\\InprocServer32";
constexpr char kConverterServerKey[] = "CLSID\\{241828DA-76FC-412D-8FFC-099704F25959}\\InprocServer32";

constexpr char16_t kEditorOlder[] =
    u"현재 dhtml editor가 옛버젼이 설치된것으로 확인 되었습니다.\n\n이버젼을 가지고 문서로딩에 문제가 "
    u"있습니다.\nIE 종료하고 새버젼을 설치후 재실행해 주십시요";
constexpr char16_t kEditorMissing[] =
    u"현재 dhtml editor가 설치 안되어 있거나 문제가 있는 것으로 확인 되었습니다. \n\nIE 종료하고 editor "
    u"설치후 재실행해 주십시요\n";
constexpr char16_t kConverterOlder[] = u"'voHTMLForamt'이 v.1.0.1.1 이상이어야 합니다.";
constexpr char16_t kConverterMissing[] =
    u"현재 voHTMLConvert가 설치 안되어 있거나 문제가 있는 것으로 확인 되었습니다. \n\nIE 종료하고 editor "
    u"설치후 재실행해 주십시요\n";

// The installation boxes: desktop owner, "알림", information icon; texts in the ANSI code page.
void ShowInstallBox(const char16_t* text) {
    const std::u16string_view wide(text), title(u"알림");
    const std::string ansiText = BstrToAnsi(wide.data(), static_cast<UINT>(wide.size()));
    const std::string caption = BstrToAnsi(title.data(), static_cast<UINT>(title.size()));
    MessageBoxA(GetDesktopWindow(), ansiText.c_str(), caption.c_str(), MB_ICONINFORMATION);
}

} // namespace

int CheckServerVersion(const char* key, WORD major, WORD minor, WORD build, WORD revision) {
    // At most 255 bytes of path and always a terminator: a longer value (ERROR_MORE_DATA) or one
    // of another type counts as no installation.
    char path[256] = {};
    HKEY serverKey = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key, 0, KEY_READ, &serverKey) == ERROR_SUCCESS) {
        DWORD type = 0;
        DWORD size = sizeof(path) - 1;
        const LONG status =
            RegQueryValueExA(serverKey, nullptr, nullptr, &type, reinterpret_cast<LPBYTE>(path), &size);
        RegCloseKey(serverKey);
        if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
            path[0] = '\0';
        else
            path[size < sizeof(path) ? size : sizeof(path) - 1] = '\0';
    }
    if (path[0] == '\0')
        return kServerVersionMissing;
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &handle);
    if (size == 0)
        return kServerVersionMissing;
    std::vector<BYTE> data(size);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!GetFileVersionInfoA(path, handle, size, data.data()) ||
        !VerQueryValueA(data.data(), "\\", reinterpret_cast<LPVOID*>(&fixed), &length) || !fixed)
        return kServerVersionMissing;
    const WORD have[4] = {HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                          HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS)};
    const WORD want[4] = {major, minor, build, revision};
    for (int i = 0; i < 4; ++i) {
        if (have[i] < want[i])
            return kServerVersionOlder;
        if (have[i] > want[i])
            return kServerVersionOk;
    }
    return kServerVersionOk;
}

CVelkor::CVelkor() {
    richEdit_ = LoadLibraryA("RICHED32.dll");
    tableFontFamily_ = std::u16string_view(u"굴림체");
    tableFontSize_ = std::u16string_view(u"10pt");
}

CVelkor::~CVelkor() {
    if (richEdit_)
        FreeLibrary(richEdit_);
    if (conversionDone_)
        CloseHandle(conversionDone_);
    if (workingReady_)
        CloseHandle(workingReady_);
}

HRESULT CVelkor::FinalConstruct() {
    switch (CheckServerVersion(kEditorServerKey, 6, 1, 0, 8513)) {
    case kServerVersionOlder:
        ShowInstallBox(kEditorOlder);
        return E_FAIL;
    case kServerVersionMissing:
        ShowInstallBox(kEditorMissing);
        return E_FAIL;
    default:
        break;
    }
    switch (CheckServerVersion(kConverterServerKey, 1, 0, 1, 1)) {
    case kServerVersionOlder:
        ShowInstallBox(kConverterOlder);
        return E_FAIL;
    case kServerVersionMissing:
        ShowInstallBox(kConverterMissing);
        return E_FAIL;
    default:
        break;
    }

    CLSID converterClass{};
    HRESULT hr = CLSIDFromProgID(u"Quorle.Convert", &converterClass);
    if (SUCCEEDED(hr))
        hr = CoCreateInstance(converterClass, nullptr, 0x17, IID_IConvert,
                              reinterpret_cast<void**>(&converter_));
    if (FAILED(hr)) {
        MessageBoxA(GetActiveWindow(), "Quorle component is not registered", "Error", MB_OK);
        return hr;
    }

    conversionDone_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    qx::com::ObjectPtr<CConvertEventSink> sink;
    hr = qx::com::CreateObject<CConvertEventSink>(sink);
    if (FAILED(hr))
        return hr;
    sink->SetDoneEvent(conversionDone_);
    ComPtr<IConnectionPointContainer> container =
        ComPtr<IConnectionPointContainer>::QueryFrom(converter_.Get());
    if (!container)
        return E_NOINTERFACE;
    hr = container->FindConnectionPoint(DIID__DIConvertEvent, &converterPoint_);
    if (SUCCEEDED(hr))
        hr = converterPoint_->Advise(static_cast<IDispatch*>(sink.Get()), &converterCookie_);
    if (FAILED(hr)) {
        converterPoint_ = nullptr;
        return hr;
    }

    // Without its field collection the control would hand script nothing: creation fails.
    hr = qx::com::CreateObject<CqxFormFields>(fields_);
    if (FAILED(hr))
        return hr;

    return CExternalDispatch::Create(this, &bridge_, &bridgeDispatch_);
}

void CVelkor::FinalRelease() {
    // Script may keep window.external: it must not reach a control that is gone.
    if (bridge_)
        bridge_->ClearOwner();
    bridge_ = nullptr;
    CancelDownload();
    if (converterCookie_ && converterPoint_)
        converterPoint_->Unadvise(converterCookie_);
    converterCookie_ = 0;
    converterPoint_ = nullptr;
    tableEditor_.Detach();
}

STDMETHODIMP CVelkor::Load(IPropertyBag* pPropBag, IErrorLog* pErrorLog) {
    if (!pPropBag)
        return S_OK;
    Variant value;
    if (SUCCEEDED(pPropBag->Read(u"StartMode", &value, pErrorLog)) && value.vt == VT_BSTR) {
        // A text that is no 16-bit number keeps the mode the control had.
        if (SUCCEEDED(value.ChangeType(VT_I2)))
            startMode_ = value.iVal;
    }
    value.Clear();
    if (SUCCEEDED(pPropBag->Read(u"TableFontFamily", &value, pErrorLog)) && value.vt == VT_BSTR)
        tableFontFamily_ = Bstr(value.bstrVal).View();
    value.Clear();
    if (SUCCEEDED(pPropBag->Read(u"TableFontSize", &value, pErrorLog)) && value.vt == VT_BSTR)
        tableFontSize_ = Bstr(value.bstrVal).View();
    return S_OK;
}

STDMETHODIMP CVelkor::Save(IPropertyBag* pPropBag, BOOL, BOOL) {
    if (!pPropBag)
        return S_OK;
    Variant mode(static_cast<LONG>(startMode_));
    pPropBag->Write(u"StartMode", &mode);
    return S_OK;
}

bool CVelkor::TakeKeyIgnore() {
    const bool was = keyIgnore_;
    keyIgnore_ = false;
    return was;
}

void CVelkor::NotifyElementKey(LONG virtualKey, LONG shift, LONG ctrl) {
    Fire_ElementKeyEvent(virtualKey, shift, ctrl);
}

void CVelkor::NotifyControlChange(IDispatch* element) {
    Fire_ControlNotifyEvent(element);
}

void CVelkor::PostToWindow(UINT message) {
    if (HWND window = Window())
        PostMessageA(window, message, 0, 0);
}
