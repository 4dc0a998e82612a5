// ContactIO in this process, where the address-book library's fault hooks, the thread's message
// queue and the UI driver can be reached: faults of the book, handlers that re-enter, the pump,
// the save dialog and creation without the XML parser.
#include "kestrum_interfaces.h"

#include "component_test_support.h"

#include <processthreadsapi.h>
#include <qx/com/bstr.h>
#include <qx/com/comptr.h>
#include <qx/wab/wab_testing.h>
#include <qx/win32/file_paths.h>
#include <qx/win32/message_queue.h>
#include <qx/win32/ui_driver.h>
#include <qx/xml/xml_dom.h>
#include <winmodule.h>

#include <fstream>
#include <functional>
#include <map>

namespace {

namespace fs = std::filesystem;
using qx::com::Bstr;
using qx::com::ComPtr;

const char kListFailed[] = "연락처 리스트 정보를 가져오는중에 에러가 발생하였습니다.";
const char kContactFailed[] = "연락처 정보를 가져오는중에 에러가 발생하였습니다.";
const char kWriteFailed[] = "연락처 정보를 파일에 써넣는중에 에러가 발생하였습니다.";

// Receives ReadyContact and hands each call to the test.
class EventSink : public IDispatch {
public:
    std::function<void(IDispatch* doc, LONG current, LONG total)> onReady;
    std::vector<std::pair<LONG, LONG>> calls;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
            IsEqualIID(riid, DIID__DIContactIOEvents)) {
            *ppv = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override { return --refs_; }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                        UINT*) override {
        EXPECT_EQ(id, 1);
        EXPECT_EQ(params->cArgs, 3u);
        EXPECT_EQ(params->rgvarg[2].vt, VT_DISPATCH);
        EXPECT_EQ(params->rgvarg[1].vt, VT_I4);
        EXPECT_EQ(params->rgvarg[0].vt, VT_I4);
        calls.emplace_back(params->rgvarg[1].lVal, params->rgvarg[0].lVal);
        if (onReady)
            onReady(params->rgvarg[2].pdispVal, params->rgvarg[1].lVal, params->rgvarg[0].lVal);
        return S_OK;
    }

private:
    ULONG refs_ = 1;
};

// Windows of this thread whose messages are only recorded.
class RecordedWindows : public qx::win32::WindowManager {
public:
    HWND window = reinterpret_cast<HWND>(0x5150);
    std::vector<UINT> dispatched;
    DWORD WindowThreadId(HWND hwnd) override { return hwnd == window ? GetCurrentThreadId() : 0; }
    LRESULT DispatchWindowMessage(const MSG& msg) override {
        dispatched.push_back(msg.message);
        return 0;
    }
};

class ContactIOTest : public qxtest::ComponentFileTest {
protected:
    ContactIOTest() : ComponentFileTest(QX_KESTRUM_COMPONENT) {}
    void SetUp() override {
        ComponentFileTest::SetUp();
        ASSERT_EQ(Call("DllRegisterServer"), S_OK);
        ASSERT_EQ(RegSetValueA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\WAB\\DLLPath", REG_SZ,
                               QX_WAB_LIBRARY, sizeof(QX_WAB_LIBRARY) - 1),
                  ERROR_SUCCESS);
        ASSERT_TRUE(SUCCEEDED(qx::xml::RegisterXmlDomClass()));
        books_ = registry_.Parent() / "books";
        fs::create_directories(books_);
        wab_ = LoadLibraryA(QX_WAB_LIBRARY);
        ASSERT_NE(wab_, nullptr);
        outstanding_ = reinterpret_cast<PFN_WABTestOutstandingBuffers>(
            GetProcAddress(wab_, "WABTestOutstandingBuffers"));
        ASSERT_NE(outstanding_, nullptr);
    }
    void TearDown() override {
        qx::xml::RevokeXmlDomClass();
        if (wab_)
            FreeLibrary(wab_);
        ComponentFileTest::TearDown();
    }
    template <typename F>
    F Hook(const char* name) {
        return reinterpret_cast<F>(GetProcAddress(wab_, name));
    }
    ComPtr<IContactIO> Create() {
        ComPtr<IClassFactory> factory;
        EXPECT_EQ(GetClassObject(CLSID_ContactIO, IID_IClassFactory, reinterpret_cast<void**>(&factory)),
                  S_OK);
        ComPtr<IContactIO> io;
        EXPECT_EQ(factory->CreateInstance(nullptr, IID_IContactIO, reinterpret_cast<void**>(&io)), S_OK);
        return io;
    }
    void Advise(IContactIO* io, EventSink& sink) {
        ComPtr<IConnectionPointContainer> container;
        ASSERT_EQ(io->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container)),
                  S_OK);
        ComPtr<IConnectionPoint> point;
        ASSERT_EQ(container->FindConnectionPoint(DIID__DIContactIOEvents, &point), S_OK);
        DWORD cookie = 0;
        ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);
    }
    // A book of `count` mail users named "P1".."Pn" and one group.
    std::string WriteBook(const std::string& name, int count) {
        std::string text;
        for (int i = 1; i <= count; ++i)
            text += "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:P" + std::to_string(i) + "\r\nEND:VCARD\r\n";
        text += "BEGIN:VCARD\r\nVERSION:4.0\r\nKIND:group\r\nFN:G\r\nEND:VCARD\r\n";
        std::ofstream(books_ / name, std::ios::binary) << text;
        return (books_ / name).string();
    }
    static std::string Text(BSTR text) { return text ? qx::com::Utf16ToUtf8(text) : "(null)"; }
    std::string ContactIn(IContactIO* io, const std::string& file) {
        Bstr result;
        io->ContactIn(Bstr::FromUtf8(file), &result);
        return Text(result.Get());
    }
    static ComPtr<IDispatch> OutDocument(const std::string& displayName) {
        ComPtr<IXMLDOMDocument> doc;
        EXPECT_EQ(CoCreateInstance(CLSID_DOMDocument, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument,
                                   reinterpret_cast<void**>(&doc)),
                  S_OK);
        VARIANT_BOOL ok = VARIANT_FALSE;
        doc->loadXML(Bstr::FromUtf8("<OUT><DISPLAY_NAME>" + displayName + "</DISPLAY_NAME></OUT>"), &ok);
        EXPECT_EQ(ok, VARIANT_TRUE);
        ComPtr<IDispatch> dispatch;
        doc->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch));
        return dispatch;
    }
    static int Cards(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        int n = 0;
        for (std::size_t at = text.find("BEGIN:VCARD"); at != std::string::npos;
             at = text.find("BEGIN:VCARD", at + 1))
            ++n;
        return n;
    }

    fs::path books_;
    HMODULE wab_ = nullptr;
    PFN_WABTestOutstandingBuffers outstanding_ = nullptr;
};

std::string ReadFile(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST_F(ContactIOTest, FaultsOfTheBookGiveTheirStepsMessages) {
    const std::string book = WriteBook("three.wab", 3);
    const std::string before = ReadFile(book);
    struct Case {
        const char* what;
        std::function<void()> fault;
        bool export_;
        std::string message;
        std::size_t events;
    } cases[] = {
        {"contents table", [&] { Hook<PFN_WABTestFailNextContentsTable>("WABTestFailNextContentsTable")(); },
         false, kListFailed, 0},
        {"second mail user", [&] { Hook<PFN_WABTestFailMailUserOpen>("WABTestFailMailUserOpen")(2); }, false,
         kContactFailed, 1},
        {"save", [&] { Hook<PFN_WABTestFailNextSave>("WABTestFailNextSave")(); }, true, kWriteFailed, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EventSink sink; // outlives the object, which releases it last
        ComPtr<IContactIO> io = Create();
        Advise(io, sink);
        c.fault();
        Bstr result;
        HRESULT hr = S_OK;
        if (c.export_) {
            VARIANT_BOOL opened = VARIANT_FALSE;
            ASSERT_EQ(io->OpenWABFile(Bstr::FromUtf8(book), ContactOut, &opened), S_OK);
            ASSERT_EQ(opened, VARIANT_TRUE);
            hr = io->ContactOut(OutDocument("New"), &result);
        } else {
            hr = io->ContactIn(Bstr::FromUtf8(book), &result);
        }
        EXPECT_EQ(hr, S_FALSE);
        EXPECT_EQ(Text(result.Get()), c.message);
        EXPECT_EQ(sink.calls.size(), c.events);
        EXPECT_EQ(outstanding_(), 0);
        // The next call, without the fault, works again.
        EXPECT_EQ(ContactIn(io, book), "");
        EXPECT_EQ(sink.calls.size(), c.events + 3);
    }
    EXPECT_EQ(ReadFile(book), before);
}

TEST_F(ContactIOTest, HandlersThatReenterOrDropTheObjectBreakNothing) {
    const std::string book = WriteBook("source.wab", 3);
    const std::string copies = (books_ / "copies.wab").string();
    EventSink sink;
    ComPtr<IContactIO> io = Create();
    IContactIO* raw = io.Get();
    Advise(io, sink);
    std::vector<std::string> nested;
    bool inNested = false;
    sink.onReady = [&](IDispatch*, LONG current, LONG) {
        if (inNested)
            return; // the nested import's own events
        VARIANT_BOOL opened = VARIANT_FALSE;
        raw->OpenWABFile(Bstr::FromUtf8(copies), ContactOut, &opened);
        EXPECT_EQ(opened, VARIANT_TRUE);
        Bstr result;
        EXPECT_EQ(raw->ContactOut(OutDocument("copy " + std::to_string(current)), &result), S_OK);
        if (current == 2) {
            inNested = true;
            nested.push_back(ContactIn(raw, copies));
            inNested = false;
        }
        if (current == 3)
            io = nullptr; // the last reference but the call's own
    };
    EXPECT_EQ(ContactIn(raw, book), "");
    EXPECT_EQ(io.Get(), nullptr);
    // The import walked its own list: every contact of the source, whatever the handlers did.
    const std::vector<std::pair<LONG, LONG>> expected = {{1, 3}, {2, 3}, {1, 2}, {2, 2}, {3, 3}};
    EXPECT_EQ(sink.calls, expected);
    EXPECT_EQ(nested, std::vector<std::string>{""});
    EXPECT_EQ(Cards(copies), 3);
    EXPECT_EQ(outstanding_(), 0);
    EXPECT_EQ(Call("DllCanUnloadNow"), S_OK) << "the dropped object is gone";
}

TEST_F(ContactIOTest, ThePumpDispatchesAndLeavesTheQuitForTheLoop) {
    RecordedWindows windows;
    qx::win32::WindowManager* previous = qx::win32::SetWindowManager(&windows);
    const std::string book = WriteBook("two.wab", 2);
    EventSink sink;
    ComPtr<IContactIO> io = Create();
    Advise(io, sink);

    ASSERT_TRUE(PostMessageA(windows.window, WM_USER + 1, 0, 0));
    EXPECT_EQ(ContactIn(io, book), "");
    EXPECT_EQ(windows.dispatched, std::vector<UINT>{WM_USER + 1});

    // Once the quit is seen nothing more is pumped in that call, and the quit goes back.
    windows.dispatched.clear();
    PostQuitMessage(7);
    sink.onReady = [&](IDispatch*, LONG current, LONG) {
        if (current == 1)
            PostMessageA(windows.window, WM_USER + 2, 0, 0);
    };
    EXPECT_EQ(ContactIn(io, book), "");
    EXPECT_TRUE(windows.dispatched.empty());
    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_USER + 2u);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, UINT(WM_QUIT));
    EXPECT_EQ(msg.wParam, 7u);
    qx::win32::SetWindowManager(previous);
}

TEST_F(ContactIOTest, TheSaveDialogAsksForAnAddressBook) {
    qx::win32::SetDriveRoot(registry_.Parent().string());
    fs::create_directories(registry_.Parent() / "c" / "books");
    qx::win32::UiRecorder recorder;
    qx::win32::UiDriver* previous = qx::win32::SetUiDriver(&recorder);
    ComPtr<IContactIO> io = Create();
    struct Case {
        std::optional<qx::win32::FileDialogChoice> answer;
        std::string seed;
        std::string result;
        HRESULT hr;
    } cases[] = {
        {qx::win32::FileDialogChoice{"c:\\books\\new.wab"}, "seed.wab", "c:\\books\\new.wab", S_OK},
        {std::nullopt, "seed.wab", "", S_FALSE},
        {std::nullopt, std::string(400, 'n'), "", S_FALSE},
    };
    for (const Case& c : cases) {
        recorder.QueueFile(c.answer);
        Bstr chosen;
        EXPECT_EQ(io->GetSaveFileNameSel(Bstr(u"Text\0*.txt"), Bstr::FromUtf8(c.seed), &chosen), c.hr);
        EXPECT_EQ(Text(chosen.Get()), c.result);
    }
    const auto requests = recorder.FileRequests();
    ASSERT_EQ(requests.size(), 3u);
    for (const auto& request : requests) {
        EXPECT_TRUE(request.save);
        EXPECT_EQ(request.title, "저장");
        ASSERT_EQ(request.filters.size(), 2u);
        EXPECT_EQ(request.filters[0].name, "WAB(Window Address Book) File(*.WAB)");
        EXPECT_EQ(request.filters[0].pattern, "*.WAB");
        EXPECT_EQ(request.filters[1].name, "All File(*.*)");
        EXPECT_EQ(request.filters[1].pattern, "*.*");
        EXPECT_EQ(request.flags, 0x8080Cu);
    }
    EXPECT_EQ(requests[0].initialFile, "seed.wab");
    EXPECT_EQ(requests[2].initialFile, std::string(259, 'n')) << "the seed is cut to the buffer";
    qx::win32::SetUiDriver(previous);
    qx::win32::SetDriveRoot("");
}

TEST_F(ContactIOTest, WithoutTheXmlParserNoObjectIsMade) {
    qx::xml::RevokeXmlDomClass();
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(GetClassObject(CLSID_ContactIO, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
    void* object = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IContactIO, &object), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(object, nullptr);
    factory = nullptr;
    EXPECT_EQ(Call("DllCanUnloadNow"), S_OK);
}

} // namespace
