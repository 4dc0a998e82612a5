#include "browser_helper.h"
#include "system_helper.h"

#include <exdisp.h>
#include <page_document_base.h>
#include <servprov.h>
#include <winmodule.h>

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(SystemHelper, ModulePath) {
    HMODULE module = LoadLibraryA(QX_HELPER_CLASSES_TEST_SERVER);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(SystemHelper::GetModulePath(module), QX_HELPER_CLASSES_TEST_SERVER);
    FreeLibrary(module);
}

TEST(SystemHelper, OperatingSystemChecksAnswerForTheNtPlatform) {
    const std::pair<const char*, bool> cases[] = {
        {"all", true},    {"win2000", true},  {"winnt40", false}, {"winnt35", false}, {"win95", false},
        {"win98", false}, {"WIN2000", false}, {"linux", false},   {"", false},
    };
    for (const auto& [name, expected] : cases)
        EXPECT_EQ(SystemHelper::IsOperatingSystem(name), expected) << name;
    EXPECT_FALSE(SystemHelper::IsOperatingSystem(nullptr));
    EXPECT_TRUE(SystemHelper::IsNtPlatform());
}

// A page's objects as far as the way from a site to its document goes. Each answers only the
// interfaces that the step before it hands on; counts check that every reference returns.
struct Counted {
    ULONG refs = 1;
};

struct FakeDocument : qx::test::ScriptOnlyDocument, Counted {
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IHTMLDocument ||
            riid == IID_IHTMLDocument2) {
            *ppv = static_cast<IHTMLDocument2*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }
    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP get_Script(IDispatch**) override { return E_NOTIMPL; }
};

// Only the members this walk calls do anything; the rest of IWebBrowser2 is declared by a macro.
#define QX_NOT_USED(...)                                                                                     \
    override {                                                                                               \
        return E_NOTIMPL;                                                                                    \
    }

struct FakeBrowser : IWebBrowser2, Counted {
    FakeDocument* document = nullptr;
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IWebBrowser2) {
            *ppv = static_cast<IWebBrowser2*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }
    STDMETHODIMP get_Document(IDispatch** pp) override {
        *pp = document;
        if (document)
            document->AddRef();
        return S_OK;
    }
    STDMETHODIMP GetTypeInfoCount(UINT*) QX_NOT_USED();
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) QX_NOT_USED();
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) QX_NOT_USED();
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) QX_NOT_USED();
    STDMETHODIMP GoBack() QX_NOT_USED();
    STDMETHODIMP GoForward() QX_NOT_USED();
    STDMETHODIMP GoHome() QX_NOT_USED();
    STDMETHODIMP GoSearch() QX_NOT_USED();
    STDMETHODIMP Navigate(BSTR, VARIANT*, VARIANT*, VARIANT*, VARIANT*) QX_NOT_USED();
    STDMETHODIMP Refresh() QX_NOT_USED();
    STDMETHODIMP Refresh2(VARIANT*) QX_NOT_USED();
    STDMETHODIMP Stop() QX_NOT_USED();
    STDMETHODIMP get_Application(IDispatch**) QX_NOT_USED();
    STDMETHODIMP get_Parent(IDispatch**) QX_NOT_USED();
    STDMETHODIMP get_Container(IDispatch**) QX_NOT_USED();
    STDMETHODIMP get_TopLevelContainer(VARIANT_BOOL*) QX_NOT_USED();
    STDMETHODIMP get_Type(BSTR*) QX_NOT_USED();
    STDMETHODIMP get_Left(LONG*) QX_NOT_USED();
    STDMETHODIMP put_Left(LONG) QX_NOT_USED();
    STDMETHODIMP get_Top(LONG*) QX_NOT_USED();
    STDMETHODIMP put_Top(LONG) QX_NOT_USED();
    STDMETHODIMP get_Width(LONG*) QX_NOT_USED();
    STDMETHODIMP put_Width(LONG) QX_NOT_USED();
    STDMETHODIMP get_Height(LONG*) QX_NOT_USED();
    STDMETHODIMP put_Height(LONG) QX_NOT_USED();
    STDMETHODIMP get_LocationName(BSTR*) QX_NOT_USED();
    STDMETHODIMP get_LocationURL(BSTR*) QX_NOT_USED();
    STDMETHODIMP get_Busy(VARIANT_BOOL*) QX_NOT_USED();
    STDMETHODIMP Quit() QX_NOT_USED();
    STDMETHODIMP ClientToWindow(int*, int*) QX_NOT_USED();
    STDMETHODIMP PutProperty(BSTR, VARIANT) QX_NOT_USED();
    STDMETHODIMP GetProperty(BSTR, VARIANT*) QX_NOT_USED();
    STDMETHODIMP get_Name(BSTR*) QX_NOT_USED();
    STDMETHODIMP get_HWND(LONGLONG*) QX_NOT_USED();
    STDMETHODIMP get_FullName(BSTR*) QX_NOT_USED();
    STDMETHODIMP get_Path(BSTR*) QX_NOT_USED();
    STDMETHODIMP get_Visible(VARIANT_BOOL*) QX_NOT_USED();
    STDMETHODIMP put_Visible(VARIANT_BOOL) QX_NOT_USED();
    STDMETHODIMP get_StatusBar(VARIANT_BOOL*) QX_NOT_USED();
    STDMETHODIMP put_StatusBar(VARIANT_BOOL) QX_NOT_USED();
    STDMETHODIMP get_StatusText(BSTR*) QX_NOT_USED();
    STDMETHODIMP put_StatusText(BSTR) QX_NOT_USED();
    STDMETHODIMP get_ToolBar(int*) QX_NOT_USED();
    STDMETHODIMP put_ToolBar(int) QX_NOT_USED();
    STDMETHODIMP get_MenuBar(VARIANT_BOOL*) QX_NOT_USED();
    STDMETHODIMP put_MenuBar(VARIANT_BOOL) QX_NOT_USED();
    STDMETHODIMP get_FullScreen(VARIANT_BOOL*) QX_NOT_USED();
    STDMETHODIMP put_FullScreen(VARIANT_BOOL) QX_NOT_USED();
    STDMETHODIMP Navigate2(VARIANT*, VARIANT*, VARIANT*, VARIANT*, VARIANT*) QX_NOT_USED();
    STDMETHODIMP QueryStatusWB(OLECMDID, OLECMDF*) QX_NOT_USED();
    STDMETHODIMP ExecWB(OLECMDID, OLECMDEXECOPT, VARIANT*, VARIANT*) QX_NOT_USED();
    STDMETHODIMP ShowBrowserBar(VARIANT*, VARIANT*, VARIANT*) QX_NOT_USED();
    STDMETHODIMP get_ReadyState(READYSTATE*) QX_NOT_USED();
    STDMETHODIMP get_Offline(VARIANT_BOOL*) QX_NOT_USED();
    STDMETHODIMP put_Offline(VARIANT_BOOL) QX_NOT_USED();
    STDMETHODIMP get_Silent(VARIANT_BOOL*) QX_NOT_USED();
    STDMETHODIMP put_Silent(VARIANT_BOOL) QX_NOT_USED();
    STDMETHODIMP get_RegisterAsBrowser(VARIANT_BOOL*) QX_NOT_USED();
    STDMETHODIMP put_RegisterAsBrowser(VARIANT_BOOL) QX_NOT_USED();
    STDMETHODIMP get_RegisterAsDropTarget(VARIANT_BOOL*) QX_NOT_USED();
    STDMETHODIMP put_RegisterAsDropTarget(VARIANT_BOOL) QX_NOT_USED();
    STDMETHODIMP get_TheaterMode(VARIANT_BOOL*) QX_NOT_USED();
    STDMETHODIMP put_TheaterMode(VARIANT_BOOL) QX_NOT_USED();
    STDMETHODIMP get_AddressBar(VARIANT_BOOL*) QX_NOT_USED();
    STDMETHODIMP put_AddressBar(VARIANT_BOOL) QX_NOT_USED();
    STDMETHODIMP get_Resizable(VARIANT_BOOL*) QX_NOT_USED();
    STDMETHODIMP put_Resizable(VARIANT_BOOL) QX_NOT_USED();
};

struct FakeContainer : IOleContainer, IServiceProvider, Counted {
    FakeBrowser* browser = nullptr;
    GUID askedService{};
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (riid == IID_IUnknown || riid == IID_IOleContainer) {
            *ppv = static_cast<IOleContainer*>(this);
        } else if (riid == IID_IServiceProvider && browser) {
            *ppv = static_cast<IServiceProvider*>(this);
        } else {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }
    STDMETHODIMP ParseDisplayName(IBindCtx*, LPOLESTR, ULONG*, IMoniker**) override { return E_NOTIMPL; }
    STDMETHODIMP EnumObjects(DWORD, IEnumUnknown**) override { return E_NOTIMPL; }
    STDMETHODIMP LockContainer(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP QueryService(REFGUID service, REFIID riid, void** ppv) override {
        askedService = service;
        if (service != SID_SInternetExplorer)
            return E_NOINTERFACE;
        return browser->QueryInterface(riid, ppv);
    }
};

struct FakeSite : IOleClientSite, Counted {
    FakeContainer* container = nullptr;
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (riid == IID_IUnknown || riid == IID_IOleClientSite) {
            *ppv = this;
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }
    STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    STDMETHODIMP GetContainer(IOleContainer** pp) override {
        *pp = container;
        if (!container)
            return E_NOINTERFACE;
        container->AddRef();
        return S_OK;
    }
    STDMETHODIMP ShowObject() override { return E_NOTIMPL; }
    STDMETHODIMP OnShowWindow(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }
};

TEST(BrowserHelper, HostDocumentFromTheClientSite) {
    FakeDocument document;
    FakeBrowser browser;
    browser.document = &document;
    FakeContainer container;
    container.browser = &browser;
    FakeSite site;
    site.container = &container;

    IHTMLDocument2* found = nullptr;
    ASSERT_EQ(BrowserHelper::GetHostDocument(&site, &found), S_OK);
    EXPECT_EQ(found, static_cast<IHTMLDocument2*>(&document));
    EXPECT_TRUE(container.askedService == IID_IWebBrowserApp);
    found->Release();
    EXPECT_EQ(document.refs, 1u);
    EXPECT_EQ(browser.refs, 1u);
    EXPECT_EQ(container.refs, 1u);
    EXPECT_EQ(site.refs, 1u);
}

TEST(BrowserHelper, EachMissingStepFailsCleanly) {
    FakeDocument document;
    FakeBrowser browser;
    FakeContainer container;
    FakeSite site;
    IHTMLDocument2* found = reinterpret_cast<IHTMLDocument2*>(&site);
    EXPECT_EQ(BrowserHelper::GetHostDocument(nullptr, &found), E_INVALIDARG);
    EXPECT_EQ(found, nullptr);
    EXPECT_EQ(BrowserHelper::GetHostDocument(&site, nullptr), E_POINTER);
    EXPECT_TRUE(FAILED(BrowserHelper::GetHostDocument(&site, &found))); // no container
    site.container = &container;
    EXPECT_EQ(BrowserHelper::GetHostDocument(&site, &found), E_NOINTERFACE); // no service provider
    container.browser = &browser;
    EXPECT_EQ(BrowserHelper::GetHostDocument(&site, &found), E_NOINTERFACE); // no document
    EXPECT_EQ(found, nullptr);
    EXPECT_EQ(browser.refs, 1u);
    EXPECT_EQ(container.refs, 1u);
}

} // namespace
