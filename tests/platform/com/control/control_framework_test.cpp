// The control mixins seen from a container: MiscStatus from the registry, the property map in a
// stream (byte for byte) and a property bag, drawing and view advise, quick activation, OLE
// advise sinks told of the close, property pages and object safety.
#include "test_control_fixture.h"

#include <olectl.h>
#include <qx/com/control/control_host.h>
#include <qx/com/object.h>
#include <wingdi.h>

#include <cstring>
#include <map>

namespace qx::test {
namespace {

// An advise sink that counts what it hears; also a property notification and event sink.
class CRecordingSink : public com::ObjectRoot,
                       public IAdviseSink,
                       public IPropertyNotifySink,
                       public IDispatch {
public:
    QX_BEGIN_INTERFACES(CRecordingSink)
    QX_INTERFACE_ENTRY(IAdviseSink)
    QX_INTERFACE_ENTRY(IPropertyNotifySink)
    QX_INTERFACE_ENTRY(IDispatch)
    QX_END_INTERFACES()
    void* QueryOtherInterface(REFIID riid) {
        return IsEqualIID(riid, DIID__DTestControlEvents) ? static_cast<IDispatch*>(this) : nullptr;
    }
    STDMETHODIMP_(void) OnDataChange(FORMATETC*, STGMEDIUM*) override {}
    STDMETHODIMP_(void) OnViewChange(DWORD, LONG) override { ++viewChanges; }
    STDMETHODIMP_(void) OnRename(IMoniker*) override {}
    STDMETHODIMP_(void) OnSave() override {}
    STDMETHODIMP_(void) OnClose() override { ++closes; }
    STDMETHODIMP OnChanged(DISPID id) override {
        changed.push_back(id);
        return S_OK;
    }
    STDMETHODIMP OnRequestEdit(DISPID) override { return S_OK; }
    STDMETHODIMP GetTypeInfoCount(UINT* n) override { return n ? (*n = 0, S_OK) : E_POINTER; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return DISP_E_BADINDEX; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        events.push_back(id);
        return S_OK;
    }
    int viewChanges = 0, closes = 0;
    std::vector<DISPID> changed, events;
};

// A storage holding streams by name in memory: what IPersistStorage needs of one.
class CMemoryStorage : public com::ObjectRoot, public IStorage {
public:
    QX_BEGIN_INTERFACES(CMemoryStorage)
    QX_INTERFACE_ENTRY(IStorage)
    QX_END_INTERFACES()
    STDMETHODIMP CreateStream(const OLECHAR* name, DWORD, DWORD, DWORD, IStream** stream) override {
        HRESULT hr = CreateStreamOnHGlobal(nullptr, TRUE, stream);
        if (SUCCEEDED(hr))
            streams[name] = *stream;
        return hr;
    }
    STDMETHODIMP OpenStream(const OLECHAR* name, void*, DWORD, DWORD, IStream** stream) override {
        const auto found = streams.find(name);
        if (found == streams.end())
            return STG_E_FILENOTFOUND;
        LARGE_INTEGER zero{};
        found->second->Seek(zero, STREAM_SEEK_SET, nullptr);
        *stream = found->second.Get();
        (*stream)->AddRef();
        return S_OK;
    }
    STDMETHODIMP CreateStorage(const OLECHAR*, DWORD, DWORD, DWORD, IStorage**) override { return E_NOTIMPL; }
    STDMETHODIMP OpenStorage(const OLECHAR*, IStorage*, DWORD, SNB, DWORD, IStorage**) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP CopyTo(DWORD, const IID*, SNB, IStorage*) override { return E_NOTIMPL; }
    STDMETHODIMP MoveElementTo(const OLECHAR*, IStorage*, const OLECHAR*, DWORD) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP Commit(DWORD) override { return S_OK; }
    STDMETHODIMP Revert() override { return E_NOTIMPL; }
    STDMETHODIMP EnumElements(DWORD, void*, DWORD, IEnumSTATSTG**) override { return E_NOTIMPL; }
    STDMETHODIMP DestroyElement(const OLECHAR*) override { return E_NOTIMPL; }
    STDMETHODIMP RenameElement(const OLECHAR*, const OLECHAR*) override { return E_NOTIMPL; }
    STDMETHODIMP SetElementTimes(const OLECHAR*, const FILETIME*, const FILETIME*, const FILETIME*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP SetClass(REFCLSID) override { return S_OK; }
    STDMETHODIMP SetStateBits(DWORD, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP Stat(STATSTG*, DWORD) override { return E_NOTIMPL; }
    std::map<std::u16string, com::ComPtr<IStream>> streams;
};

class ControlFramework : public TestControlFixture {
protected:
    void SetUp() override {
        TestControlFixture::SetUp();
        ASSERT_EQ(CoCreateInstance(CLSID_TestControl, nullptr, CLSCTX_INPROC_SERVER, IID_ITestControl,
                                   reinterpret_cast<void**>(&control_)),
                  S_OK);
        ASSERT_EQ(com::CreateObject(sink_), S_OK);
    }
    void TearDown() override {
        control_ = nullptr;
        sink_ = nullptr;
        TestControlFixture::TearDown();
    }
    template <typename I>
    com::ComPtr<I> As() {
        return com::ComPtr<I>::QueryFrom(control_.Get());
    }
    static std::vector<unsigned char> Bytes(IStream* stream) {
        STATSTG stat{};
        stream->Stat(&stat, STATFLAG_NONAME);
        std::vector<unsigned char> bytes(static_cast<std::size_t>(stat.cbSize.QuadPart));
        LARGE_INTEGER zero{};
        stream->Seek(zero, STREAM_SEEK_SET, nullptr);
        ULONG read = 0;
        stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read);
        stream->Seek(zero, STREAM_SEEK_SET, nullptr);
        return bytes;
    }

    com::ComPtr<ITestControl> control_;
    com::ObjectPtr<CRecordingSink> sink_;
};

TEST_F(ControlFramework, MiscStatusComesFromTheRegistryByAspect) {
    DWORD status = 1;
    ASSERT_EQ(As<IOleObject>()->GetMiscStatus(DVASPECT_CONTENT, &status), S_OK);
    EXPECT_EQ(status, 131473u);
    EXPECT_EQ(status,
              static_cast<DWORD>(OLEMISC_SETCLIENTSITEFIRST | OLEMISC_ACTIVATEWHENVISIBLE |
                                 OLEMISC_INSIDEOUT | OLEMISC_CANTLINKINSIDE | OLEMISC_RECOMPOSEONRESIZE));
    ASSERT_EQ(As<IOleObject>()->GetMiscStatus(DVASPECT_ICON, &status), S_OK);
    EXPECT_EQ(status, 0u);
}

TEST_F(ControlFramework, TheStreamHoldsTheExtentThenEachPropertyByteForByte) {
    control_->put_Caption(com::Bstr(u"ab").Get());
    control_->put_Count(3);
    SIZEL extent{100, 200};
    ASSERT_EQ(As<IOleObject>()->SetExtent(DVASPECT_CONTENT, &extent), S_OK);
    com::ComPtr<IStream> stream;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    com::ComPtr<IPersistStreamInit> persist = As<IPersistStreamInit>();
    EXPECT_EQ(persist->IsDirty(), S_OK);
    ASSERT_EQ(persist->Save(stream.Get(), TRUE), S_OK);
    EXPECT_EQ(persist->IsDirty(), S_FALSE);
    const std::vector<unsigned char> expected = {100, 0, 0,   0, 200, 0, 0, 0, 8, 0, 4, 0,
                                                 0,   0, 'a', 0, 'b', 0, 3, 0, 3, 0, 0, 0};
    EXPECT_EQ(Bytes(stream.Get()), expected);
    ULARGE_INTEGER size{};
    ASSERT_EQ(persist->GetSizeMax(&size), S_OK);
    EXPECT_EQ(size.QuadPart, expected.size());

    com::ComPtr<ITestControl> other;
    ASSERT_EQ(CoCreateInstance(CLSID_TestControl, nullptr, CLSCTX_INPROC_SERVER, IID_ITestControl,
                               reinterpret_cast<void**>(&other)),
              S_OK);
    ASSERT_EQ(com::ComPtr<IPersistStreamInit>::QueryFrom(other.Get())->Load(stream.Get()), S_OK);
    com::Bstr caption;
    other->get_Caption(&caption);
    EXPECT_EQ(caption.View(), u"ab");
    LONG count = 0;
    other->get_Count(&count);
    EXPECT_EQ(count, 3);
    SIZEL loaded{};
    com::ComPtr<IOleObject>::QueryFrom(other.Get())->GetExtent(DVASPECT_CONTENT, &loaded);
    EXPECT_EQ(loaded.cx, 100);
    EXPECT_EQ(loaded.cy, 200);
}

TEST_F(ControlFramework, TheStorageKeepsTheMapInItsContentsStream) {
    control_->put_Caption(com::Bstr(u"kept").Get());
    com::ObjectPtr<CMemoryStorage> storage;
    ASSERT_EQ(com::CreateObject(storage), S_OK);
    com::ComPtr<IPersistStorage> persist = As<IPersistStorage>();
    EXPECT_EQ(persist->Load(storage.Get()), STG_E_FILENOTFOUND);
    ASSERT_EQ(persist->Save(storage.Get(), TRUE), S_OK);
    EXPECT_EQ(persist->IsDirty(), S_FALSE);
    ASSERT_EQ(storage->streams.count(u"Contents"), 1u);
    EXPECT_EQ(Bytes(storage->streams[u"Contents"].Get()).size(), 8u + 2 + 4 + 8 + 2 + 4);

    com::ComPtr<ITestControl> other;
    ASSERT_EQ(CoCreateInstance(CLSID_TestControl, nullptr, CLSCTX_INPROC_SERVER, IID_ITestControl,
                               reinterpret_cast<void**>(&other)),
              S_OK);
    ASSERT_EQ(com::ComPtr<IPersistStorage>::QueryFrom(other.Get())->Load(storage.Get()), S_OK);
    com::Bstr caption;
    other->get_Caption(&caption);
    EXPECT_EQ(caption.View(), u"kept");
}

TEST_F(ControlFramework, DamagedStreamsFailCleanly) {
    const struct {
        const char* what;
        std::vector<unsigned char> bytes;
    } cases[] = {
        {"short extent", {1, 0, 0}},
        {"no caption", {1, 0, 0, 0, 2, 0, 0, 0}},
        {"text longer than the stream", {1, 0, 0, 0, 2, 0, 0, 0, 8, 0, 40, 0, 0, 0, 'a', 0}},
        {"odd text length", {1, 0, 0, 0, 2, 0, 0, 0, 8, 0, 3, 0, 0, 0, 'a', 0, 'b'}},
        {"huge text length", {1, 0, 0, 0, 2, 0, 0, 0, 8, 0, 0xFF, 0xFF, 0xFF, 0x7F}},
        {"unknown type", {1, 0, 0, 0, 2, 0, 0, 0, 0x40, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        com::ComPtr<IStream> stream;
        ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
        ULONG written = 0;
        stream->Write(c.bytes.data(), static_cast<ULONG>(c.bytes.size()), &written);
        LARGE_INTEGER zero{};
        stream->Seek(zero, STREAM_SEEK_SET, nullptr);
        EXPECT_TRUE(FAILED(As<IPersistStreamInit>()->Load(stream.Get()))) << c.what;
    }
}

TEST_F(ControlFramework, ThePropertyBagSavesAndLoadsTheMapByName) {
    control_->put_Caption(com::Bstr(u"saved").Get());
    control_->put_Count(9);
    com::ComPtr<IPropertyBag> bag;
    ASSERT_EQ(com::control::CreateParamPropertyBag({}, &bag), S_OK);
    ASSERT_EQ(As<IPersistPropertyBag>()->Save(bag.Get(), TRUE, TRUE), S_OK);
    const struct {
        const char16_t* name;
        const char16_t* text;
    } expected[] = {{u"_cx", u"2540"}, {u"_cy", u"2540"}, {u"Caption", u"saved"}, {u"Count", u"9"}};
    for (const auto& e : expected) {
        com::Variant value;
        ASSERT_EQ(bag->Read(e.name, &value, nullptr), S_OK);
        EXPECT_EQ(std::u16string(value.bstrVal, SysStringLen(value.bstrVal)), e.text);
    }
    // A value that does not fit its property leaves it as it was.
    com::ComPtr<IPropertyBag> wrong;
    ASSERT_EQ(com::control::CreateParamPropertyBag({{u"Count", u"many"}, {u"Caption", u"new"}}, &wrong),
              S_OK);
    ASSERT_EQ(As<IPersistPropertyBag>()->Load(wrong.Get(), nullptr), S_OK);
    LONG count = 0;
    control_->get_Count(&count);
    EXPECT_EQ(count, 9);
    com::Bstr caption;
    control_->get_Caption(&caption);
    EXPECT_EQ(caption.View(), u"new");
}

TEST_F(ControlFramework, DrawingAndViewAdvise) {
    com::ComPtr<IViewObjectEx> view = As<IViewObjectEx>();
    RECTL bounds{0, 0, 50, 20};
    HDC dc = GetDC(Parent());
    EXPECT_EQ(view->Draw(DVASPECT_ICON, -1, nullptr, nullptr, nullptr, dc, &bounds, nullptr, nullptr, 0),
              DV_E_DVASPECT);
    ASSERT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &bounds, nullptr, nullptr, 0),
              S_OK);
    ReleaseDC(Parent(), dc);
    LONG count = 0;
    EXPECT_EQ(control_->get_DrawCount(&count), S_OK);
    EXPECT_EQ(count, 1);

    ASSERT_EQ(view->SetAdvise(DVASPECT_CONTENT, 0, sink_.Get()), S_OK);
    control_->put_Caption(com::Bstr(u"x").Get());
    EXPECT_EQ(sink_->viewChanges, 1);
    DWORD status = 0;
    ASSERT_EQ(view->GetViewStatus(&status), S_OK);
    EXPECT_EQ(status, static_cast<DWORD>(VIEWSTATUS_OPAQUE | VIEWSTATUS_SOLIDBKGND));
    DWORD hit = 0;
    RECT box{0, 0, 10, 10};
    ASSERT_EQ(view->QueryHitPoint(DVASPECT_CONTENT, &box, POINT{5, 5}, 0, &hit), S_OK);
    EXPECT_EQ(hit, static_cast<DWORD>(HITRESULT_HIT));
    ASSERT_EQ(view->QueryHitPoint(DVASPECT_CONTENT, &box, POINT{10, 5}, 0, &hit), S_OK);
    EXPECT_EQ(hit, static_cast<DWORD>(HITRESULT_OUTSIDE));
}

TEST_F(ControlFramework, QuickActivationConnectsTheSinksAndAnswersTheStatus) {
    QACONTAINER container{};
    container.cbSize = sizeof container;
    container.pPropertyNotifySink = sink_.Get();
    container.pUnkEventSink = static_cast<IDispatch*>(sink_.Get());
    QACONTROL answer{};
    answer.cbSize = sizeof answer;
    ASSERT_EQ(As<IQuickActivate>()->QuickActivate(&container, &answer), S_OK);
    EXPECT_EQ(answer.dwMiscStatus, 131473u);
    EXPECT_NE(answer.dwEventCookie, 0u);
    EXPECT_NE(answer.dwPropNotifyCookie, 0u);
    control_->Fire(com::Bstr(u"e").Get(), 1);
    control_->put_Count(4);
    EXPECT_EQ(sink_->events, std::vector<DISPID>{1});
    EXPECT_EQ(sink_->changed, std::vector<DISPID>{2});
    answer.cbSize = 4;
    EXPECT_EQ(As<IQuickActivate>()->QuickActivate(&container, &answer), E_INVALIDARG);
}

TEST_F(ControlFramework, AdviseSinksHearTheCloseAndAreLetGo) {
    DWORD cookie = 0, dataCookie = 0;
    ASSERT_EQ(As<IOleObject>()->Advise(sink_.Get(), &cookie), S_OK);
    FORMATETC format{1, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    ASSERT_EQ(As<IDataObject>()->DAdvise(&format, 0, sink_.Get(), &dataCookie), S_OK);
    com::ComPtr<IEnumSTATDATA> enumerator;
    ASSERT_EQ(As<IOleObject>()->EnumAdvise(&enumerator), S_OK);
    STATDATA data{};
    ULONG fetched = 0;
    ASSERT_EQ(enumerator->Next(1, &data, &fetched), S_OK);
    EXPECT_EQ(data.dwConnection, cookie);
    data.pAdvSink->Release();
    enumerator = nullptr;
    const ULONG before = sink_->AddRef() - 1;
    sink_->Release();

    ASSERT_EQ(As<IOleObject>()->Close(OLECLOSE_NOSAVE), S_OK);
    EXPECT_EQ(sink_->closes, 1);
    EXPECT_EQ(As<IOleObject>()->Unadvise(cookie), OLE_E_NOCONNECTION);
    const ULONG after = sink_->AddRef() - 1;
    sink_->Release();
    EXPECT_EQ(after, before - 2); // neither the OLE nor the data advise holds it any more
    EXPECT_EQ(As<IDataObject>()->DUnadvise(dataCookie), OLE_E_NOCONNECTION);
}

TEST_F(ControlFramework, PagesSafetyAndClassInformation) {
    CAUUID pages{};
    ASSERT_EQ(As<ISpecifyPropertyPages>()->GetPages(&pages), S_OK);
    ASSERT_EQ(pages.cElems, 1u);
    EXPECT_TRUE(IsEqualGUID(pages.pElems[0], CLSID_TestControl));
    CoTaskMemFree(pages.pElems);

    GUID source{};
    ASSERT_EQ(As<IProvideClassInfo2>()->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source), S_OK);
    EXPECT_TRUE(IsEqualGUID(source, DIID__DTestControlEvents));
    EXPECT_EQ(As<IObjectSafety>()->SetInterfaceSafetyOptions(
                  IID_IDispatch, INTERFACESAFE_FOR_UNTRUSTED_CALLER, INTERFACESAFE_FOR_UNTRUSTED_CALLER),
              S_OK);

    com::ComPtr<IObjectSafety> unsafe;
    ASSERT_EQ(CoCreateInstance(CLSID_TestUnsafeControl, nullptr, CLSCTX_INPROC_SERVER, IID_IObjectSafety,
                               reinterpret_cast<void**>(&unsafe)),
              S_OK);
    EXPECT_EQ(unsafe->SetInterfaceSafetyOptions(IID_IDispatch, INTERFACESAFE_FOR_UNTRUSTED_CALLER,
                                                INTERFACESAFE_FOR_UNTRUSTED_CALLER),
              E_FAIL);
    CONTROLINFO info{};
    info.cb = sizeof info;
    EXPECT_EQ(As<IOleControl>()->GetControlInfo(&info), S_OK);
    info.cb = 3;
    EXPECT_EQ(As<IOleControl>()->GetControlInfo(&info), E_INVALIDARG);
}

} // namespace
} // namespace qx::test
