#include "convert.h"

#include <fileapi.h>
#include <handleapi.h>
#include <objbase_activation.h>
#include <processthreadsapi.h>
#include <shellapi.h>
#include <synchapi.h>
#include <winnls.h>

#include <atomic>

#include "ansi_text.h"
#include "byte_text.h"
#include "downloads.h"
#include "mht_packer.h"
#include "mht_unpacker.h"
#include "page_text.h"
#include "script_access.h"
#include "string_array.h"
#include "string_helpers.h"
#include "temp_files.h"

namespace {

// At most one conversion runs in a process: 0 idle, 1 MHT-to-HTML, 2 HTML-to-MHT. The flag and
// the running object are claimed together with one compare-and-swap.
std::atomic<int> g_busy{0};
std::atomic<CConvert*> g_running{nullptr};

bool ClaimBusy(int direction, CConvert* object) {
    int idle = 0;
    if (!g_busy.compare_exchange_strong(idle, direction + 1))
        return false;
    g_running.store(object);
    return true;
}

void ReleaseBusy() {
    g_running.store(nullptr);
    g_busy.store(0);
}

// What the worker needs: the object to convert on (a reference is held for it), the direction,
// the stream with the marshalled notice target, and a gate that opens once the start notice has
// been sent from the object's own thread.
struct ConversionJob {
    CConvert* object;
    int direction;
    IStream* notice; // the script object, or the object's own IUnknown, as IDispatch
    bool toScript;
    HANDLE startGate;
};

} // namespace

CConvert::CConvert() : m_dispatchEvents(*this), m_vtableEvents(*this) {}

CConvert::~CConvert() = default;

void CConvert::FinalRelease() {
    std::lock_guard<std::mutex> guard(m_lock);
    DeleteResourceFiles(m_resources);
    m_script.Reset();
}

ResourceRecords CConvert::LoadedResources() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_resources;
}

STDMETHODIMP CConvert::filterIn(VARIANT_BOOL* pVal) {
    return StartConversion(MhtToHtml, NULL, pVal);
}

STDMETHODIMP CConvert::filterOut(BSTR pathBase, VARIANT_BOOL* pVal) {
    return StartConversion(HtmlToMht, pathBase, pVal);
}

HRESULT CConvert::StartConversion(Direction direction, BSTR pathBase, VARIANT_BOOL* pVal) {
    if (pVal == NULL)
        return E_POINTER;
    *pVal = VARIANT_FALSE;
    if (!ClaimBusy(direction, this))
        return S_OK;
    if (direction == HtmlToMht) {
        std::lock_guard<std::mutex> guard(m_lock);
        m_pathBase = BstrToAnsi(pathBase);
        m_mhtData.Reset();
    }

    VARIANT_BOOL sync;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        sync = m_sync;
    }
    if (sync != VARIANT_FALSE) {
        if (direction == HtmlToMht)
            FireStartConvert();
        RunConversion(direction);
        ReleaseBusy(); // the synchronous road ends here too, or the next conversion would be refused
        *pVal = VARIANT_TRUE;
        return S_OK;
    }

    return StartWorker(direction, pVal);
}

HRESULT CConvert::StartWorker(Direction direction, VARIANT_BOOL* pVal) {
    IUnknown* target = NULL;
    bool toScript = false;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (direction == MhtToHtml)
            m_htmlData.Reset();
        if (m_script) {
            target = m_script.Get();
            toScript = true;
        } else {
            target = ControllingUnknown();
        }
        target->AddRef(); // a script object replaced meanwhile stays alive for the marshal
    }
    IUnknown* self = ControllingUnknown();
    self->AddRef(); // held until the worker has finished

    IStream* stream = NULL;
    HRESULT hr = CoMarshalInterThreadInterfaceInStream(IID_IDispatch, target, &stream);
    target->Release();
    HANDLE gate = NULL;
    if (SUCCEEDED(hr)) {
        gate = CreateEventA(NULL, TRUE, FALSE, NULL);
        if (gate == NULL)
            hr = E_OUTOFMEMORY;
    }
    ConversionJob* job = NULL;
    HANDLE thread = NULL;
    if (SUCCEEDED(hr)) {
        job = new ConversionJob{this, direction, stream, toScript, gate};
        thread = CreateThread(NULL, 0, &CConvert::ConversionThread, job, 0, NULL);
        if (thread == NULL)
            hr = E_OUTOFMEMORY;
    }
    if (FAILED(hr)) {
        // Nothing runs: the marshalled reference, the self-reference and the busy flag go back.
        delete job;
        if (gate != NULL)
            CloseHandle(gate);
        if (stream != NULL) {
            CoReleaseMarshalData(stream);
            stream->Release();
        }
        self->Release();
        ReleaseBusy();
        return S_OK;
    }
    CloseHandle(thread);
    // The start notice goes out on this thread, before the worker touches the object.
    if (direction == HtmlToMht)
        FireStartConvert();
    SetEvent(gate);
    *pVal = VARIANT_TRUE;
    return S_OK;
}

DWORD WINAPI CConvert::ConversionThread(LPVOID parameter) {
    ConversionJob* job = static_cast<ConversionJob*>(parameter);
    WaitForSingleObject(job->startGate, INFINITE);
    CloseHandle(job->startGate);

    const HRESULT init = CoInitialize(NULL);
    IDispatch* notice = NULL;
    if (SUCCEEDED(init)) {
        if (FAILED(CoGetInterfaceAndReleaseStream(job->notice, IID_IDispatch,
                                                  reinterpret_cast<void**>(&notice))))
            notice = NULL;
    } else {
        CoReleaseMarshalData(job->notice);
        job->notice->Release();
    }

    CConvert* object = job->object;
    object->RunConversion(static_cast<Direction>(job->direction));
    ReleaseBusy(); // before the notice, so that its handler may start the next conversion

    // The notice runs on the object's thread through the marshalled pointer; a page without the
    // function, a sink that fails or an apartment that has gone away are all ignored.
    if (notice != NULL) {
        if (job->toScript) {
            qx::com::Variant argument(LONG(job->direction));
            CallScriptFunction(argument, u"mhtml_encodecomplete", notice);
        } else {
            IConvert* convert = NULL;
            if (SUCCEEDED(notice->QueryInterface(IID_IConvert, reinterpret_cast<void**>(&convert))) &&
                convert != NULL) {
                convert->FireEvent2(2, job->direction);
                convert->Release();
            }
        }
        notice->Release();
    }
    delete job;
    object->ControllingUnknown()->Release();
    if (SUCCEEDED(init))
        CoUninitialize();
    return 0;
}

void CConvert::RunConversion(Direction direction) {
    if (direction == HtmlToMht) {
        PackInput input;
        ResourceRecords loaded;
        {
            std::lock_guard<std::mutex> guard(m_lock);
            input.html = BstrToBytes(m_htmlData.Get());
            input.pathBase = m_pathBase;
            input.subject = m_subject;
            loaded = m_resources;
        }
        input.loaded = &loaded;
        const std::string mht = PackHtml(input);
        std::lock_guard<std::mutex> guard(m_lock);
        m_pathBase = input.pathBase;
        if (!mht.empty())
            m_mhtData = qx::com::Bstr::Attach(BytesToBstr(mht));
        return;
    }
    std::string mht;
    ResourceRecords records;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        mht = BstrToBytes(m_mhtData.Get());
        records.swap(m_resources);
    }
    std::string html;
    UINT codePage = CP_ACP;
    const bool found = UnpackMht(mht, html, records, &codePage);
    std::lock_guard<std::mutex> guard(m_lock);
    m_resources.swap(records);
    DeleteResourceFiles(records); // none unless a load raced with this one
    if (found)
        m_htmlData = qx::com::Bstr::Attach(PageBytesToBstr(html, codePage));
}

STDMETHODIMP CConvert::IsMHTML(BSTR bstrText, VARIANT_BOOL* pVal) {
    if (pVal == NULL)
        return E_POINTER;
    *pVal = VARIANT_FALSE;
    const std::string text = BstrToAnsi(bstrText);
    if (text.empty())
        return S_OK;
    StringArray pieces;
    pieces.Split(text, "\r\n\r\n", 1);
    if (pieces.Count > 1 && FindNoCase(pieces.At(0), "MIME-Version", 0) >= 0)
        *pVal = VARIANT_TRUE;
    return S_OK;
}

STDMETHODIMP CConvert::get_htmlData(BSTR* pVal) {
    if (pVal == NULL)
        return E_POINTER;
    std::lock_guard<std::mutex> guard(m_lock);
    *pVal = SysAllocStringLen(m_htmlData.Get(), m_htmlData.Length());
    return S_OK;
}

STDMETHODIMP CConvert::put_htmlData(BSTR newVal) {
    BSTR copy = SysAllocStringLen(newVal, SysStringLen(newVal));
    std::lock_guard<std::mutex> guard(m_lock);
    m_htmlData = qx::com::Bstr::Attach(copy);
    return S_OK;
}

STDMETHODIMP CConvert::get_mhtData(BSTR* pVal) {
    if (pVal == NULL)
        return E_POINTER;
    std::lock_guard<std::mutex> guard(m_lock);
    *pVal = SysAllocStringLen(m_mhtData.Get(), m_mhtData.Length());
    return S_OK;
}

STDMETHODIMP CConvert::put_mhtData(BSTR newVal) {
    BSTR copy = SysAllocStringLen(newVal, SysStringLen(newVal));
    std::lock_guard<std::mutex> guard(m_lock);
    m_mhtData = qx::com::Bstr::Attach(copy);
    return S_OK;
}

STDMETHODIMP CConvert::DownloadURL(BSTR htmURL, BSTR* htmlData) {
    // The document may hold binary parts: every byte is read and carried into the text.
    const std::string text = DownloadUrlToBytes(BstrToAnsi(htmURL).c_str());
    BSTR copy = NULL;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_htmlData = qx::com::Bstr::Attach(BytesToBstr(text));
        copy = SysAllocStringLen(m_htmlData.Get(), m_htmlData.Length());
    }
    if (htmlData != NULL)
        *htmlData = copy;
    else
        SysFreeString(copy);
    return S_OK;
}

STDMETHODIMP CConvert::ViewMhtInBrowser() {
    const std::string temp = MakeTempFileName(TempPathForm::Short);
    const size_t nameLength = temp.size();
    if (nameLength < 4 || FindNoCase(temp, ".tmp", static_cast<long>(nameLength - 4)) < 0)
        return S_OK; // no temporary name: nothing to show
    const std::string name = temp.substr(0, nameLength - 4) + ".mht";
    std::string text;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        text = BstrToBytes(m_mhtData.Get());
    }
    HANDLE file =
        CreateFileA(name.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return S_OK;
    DWORD written = 0;
    if (!text.empty())
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, NULL);
    CloseHandle(file);
    ShellExecuteA(NULL, "open", name.c_str(), NULL, NULL, SW_SHOWNORMAL);
    return S_OK;
}

STDMETHODIMP CConvert::SetDocumentDisp(IDispatch* pDocumentDisp) {
    IDispatch* script = pDocumentDisp != NULL ? GetDocumentScript(pDocumentDisp) : NULL;
    std::lock_guard<std::mutex> guard(m_lock);
    m_script = qx::com::ComPtr<IDispatch>::Attach(script);
    return S_OK;
}

STDMETHODIMP CConvert::FireEvent2(LONG evtType, LONG nType) {
    if (evtType == 2)
        FireEndConvert(nType);
    return S_OK;
}

void CConvert::FireStartConvert() {
    m_vtableEvents.Fire_OnStartConvert();
}

void CConvert::FireEndConvert(LONG nType) {
    m_vtableEvents.Fire_OnEndConvert(nType);
    m_dispatchEvents.Fire_OnEndConvert(nType);
}

STDMETHODIMP CConvert::get_sync(VARIANT_BOOL* pVal) {
    if (pVal == NULL)
        return E_POINTER;
    std::lock_guard<std::mutex> guard(m_lock);
    *pVal = m_sync;
    return S_OK;
}

STDMETHODIMP CConvert::put_sync(VARIANT_BOOL newVal) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_sync = newVal;
    return S_OK;
}

STDMETHODIMP CConvert::put_Subject(BSTR newVal) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_subject = BstrToAnsi(newVal);
    return S_OK;
}
