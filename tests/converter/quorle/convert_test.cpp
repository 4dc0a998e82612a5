#include "convert.h"

#include <gtest/gtest.h>
#include <objbase_activation.h>
#include <qx/com/bstr.h>
#include <qx/com/variant.h>
#include <qx/win32/shell_opener.h>
#include <winuser_message.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "convert_dispatch.h"
#include "loopback_http_server.h"
#include "quorle_test_env.h"

namespace {

using namespace quorle_test;
using qx::com::Bstr;
using qx::com::ComPtr;

// Counts the events of both interfaces.
class CEventSink : public qx::com::ObjectRoot, public qx::com::DispatchImpl<IConvertEvent> {
public:
    QX_BEGIN_INTERFACES(CEventSink)
    QX_INTERFACE_ENTRY(IConvertEvent)
    QX_INTERFACE_ENTRY2(IDispatch, IConvertEvent)
    QX_INTERFACE_ENTRY_IID(DIID__DIConvertEvent, IConvertEvent)
    QX_END_INTERFACES()
    STDMETHODIMP OnStartConvert() override {
        ++starts;
        return S_OK;
    }
    STDMETHODIMP OnEndConvert(LONG nType) override {
        lastEnd = nType;
        ++ends;
        return S_OK;
    }
    STDMETHODIMP OnRatioComplete(LONG) override { return S_OK; }
    std::atomic<int> starts{0};
    std::atomic<int> ends{0};
    std::atomic<LONG> lastEnd{-1};
};

class ConvertTest : public QuorleTest {
protected:
    void SetUp() override {
        QuorleTest::SetUp();
        ASSERT_EQ(qx::com::CreateObject<CConvert>(object_), S_OK);
        disp_ = ComPtr<IDispatch>(static_cast<IConvert*>(object_.Get()));
    }
    void TearDown() override {
        disp_ = nullptr;
        object_ = nullptr;
        QuorleTest::TearDown();
    }
    // Advises a sink on both points: as IConvertEvent and as the _DIConvertEvent dispatch.
    void AdviseBoth(qx::com::ObjectPtr<CEventSink>& sink) {
        ASSERT_EQ(qx::com::CreateObject<CEventSink>(sink), S_OK);
        ComPtr<IConnectionPointContainer> container;
        ASSERT_EQ(disp_->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container)),
                  S_OK);
        for (const IID* iid : {&IID_IConvertEvent, &DIID__DIConvertEvent}) {
            ComPtr<IConnectionPoint> point;
            ASSERT_EQ(container->FindConnectionPoint(*iid, &point), S_OK);
            DWORD cookie = 0;
            ASSERT_EQ(point->Advise(static_cast<IConvertEvent*>(sink.Get()), &cookie), S_OK);
        }
    }
    qx::com::ObjectPtr<CConvert> object_;
    ComPtr<IDispatch> disp_;
};

TEST_F(ConvertTest, SynchronousRoadConvertsAgainAndAgain) {
    qx::com::ObjectPtr<CEventSink> sink;
    AdviseBoth(sink);
    Put(disp_.Get(), u"sync", Variant(true));
    Put(disp_.Get(), u"htmlData", Variant(Wide(FormHtml()).c_str()));
    Put(disp_.Get(), u"Subject", Variant(u"Leave request"));
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(CallBool(disp_.Get(), u"filterOut", {Variant(u"file://c:/form/form.htm")})) << i;
        EXPECT_NE(GetText(disp_.Get(), u"mhtData").find(u"Subject: Leave request\r\n"), std::u16string::npos);
    }
    EXPECT_EQ(sink->starts, 3);
    EXPECT_EQ(sink->ends, 0);

    // And back: the HTML points at temporary copies, which the release deletes.
    Put(disp_.Get(), u"mhtData", Variant(GetText(disp_.Get(), u"mhtData").c_str()));
    EXPECT_TRUE(CallBool(disp_.Get(), u"filterIn"));
    EXPECT_TRUE(CallBool(disp_.Get(), u"filterIn"));
    EXPECT_NE(GetText(disp_.Get(), u"htmlData").find(u"src=\"file://"), std::u16string::npos);
    EXPECT_EQ(object_->LoadedResources().size(), 5u);
    EXPECT_EQ(TempFileCount(), 5u);
    disp_ = nullptr;
    object_ = nullptr;
    EXPECT_EQ(TempFileCount(), 0u);
}

TEST_F(ConvertTest, EmptyHtmlLeavesNoDocument) {
    Put(disp_.Get(), u"sync", Variant(true));
    EXPECT_TRUE(CallBool(disp_.Get(), u"filterOut", {Variant(u"")}));
    EXPECT_EQ(GetText(disp_.Get(), u"mhtData"), u"");
}

TEST_F(ConvertTest, IsMhtml) {
    const std::pair<const char16_t*, bool> cases[] = {
        {u"MIME-Version: 1.0\r\n\r\nx", true},           {u"mime-version: 1.0\r\n\r\n", false},
        {u"Subject: a\r\n\r\nMIME-Version", false},      {u"", false},
        {u"x: 1\r\nMime-Version: 1.0\r\n\r\n<p>", true},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(CallBool(disp_.Get(), u"IsMHTML", {Variant(text)}), expected)
            << std::string(text, text + 5);
}

TEST_F(ConvertTest, FireEvent2AndDocumentWithoutScript) {
    qx::com::ObjectPtr<CEventSink> sink;
    AdviseBoth(sink);
    EXPECT_EQ(Call(disp_.Get(), u"FireEvent2", DISPATCH_METHOD, {Variant(LONG(1)), Variant(LONG(5))}), S_OK);
    EXPECT_EQ(sink->ends, 0);
    EXPECT_EQ(Call(disp_.Get(), u"FireEvent2", DISPATCH_METHOD, {Variant(LONG(2)), Variant(LONG(7))}), S_OK);
    EXPECT_EQ(sink->ends, 2); // once through each interface
    EXPECT_EQ(sink->lastEnd, 7);
    EXPECT_EQ(object_->SetDocumentDisp(nullptr), S_OK);
}

TEST_F(ConvertTest, ViewMhtInBrowserWritesAnMhtFile) {
    qx::win32::RecordingShellOpener opener;
    qx::win32::ShellOpener* previous = qx::win32::SetShellOpener(&opener);
    Put(disp_.Get(), u"mhtData", Variant(u"MIME-Version: 1.0\r\n\r\nx"));
    EXPECT_EQ(Call(disp_.Get(), u"ViewMhtInBrowser", DISPATCH_METHOD, {}), S_OK);
    qx::win32::SetShellOpener(previous);
    const auto calls = opener.Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].verb, "open");
    ASSERT_GT(calls[0].file.size(), 4u);
    EXPECT_EQ(calls[0].file.substr(calls[0].file.size() - 4), ".mht");
    EXPECT_EQ(ReadFile(calls[0].file), "MIME-Version: 1.0\r\n\r\nx");
}

TEST_F(ConvertTest, AsynchronousConversionRefusesASecondOneAndNotifies) {
    // The completion comes back to this thread's apartment while it pumps.
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    qxtest::LoopbackHttpServer server;
    qxtest::HttpResponse slow = qxtest::Reply(200, std::string(4000, 'x'));
    slow.pieceSize = 100;
    slow.pause = std::chrono::milliseconds(20);
    server.Serve("/slow.css", slow);
    qx::com::ObjectPtr<CEventSink> sink;
    AdviseBoth(sink);
    qx::com::ObjectPtr<CConvert> other;
    ASSERT_EQ(qx::com::CreateObject<CConvert>(other), S_OK);

    Put(disp_.Get(), u"htmlData",
        Variant(Wide("<link rel=stylesheet href=\"" + server.Url("/slow.css") + "\">").c_str()));
    EXPECT_TRUE(CallBool(disp_.Get(), u"filterOut", {Variant(Wide(server.Url("/page.htm")).c_str())}));
    VARIANT_BOOL started = VARIANT_TRUE;
    EXPECT_EQ(other->filterIn(&started), S_OK);
    EXPECT_EQ(started, VARIANT_FALSE);
    EXPECT_EQ(object_->filterOut(nullptr, &started), S_OK);
    EXPECT_EQ(started, VARIANT_FALSE);

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (sink->ends < 2 && std::chrono::steady_clock::now() < deadline) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    EXPECT_EQ(sink->ends, 2);
    EXPECT_EQ(sink->lastEnd, 1);
    EXPECT_EQ(sink->starts, 1);
    EXPECT_NE(GetText(disp_.Get(), u"mhtData").find(u"Content-Type: Text/css"), std::u16string::npos);
    // The busy flag is clear again.
    Put(disp_.Get(), u"sync", Variant(true));
    EXPECT_TRUE(CallBool(disp_.Get(), u"filterIn"));
    other = nullptr;
    disp_ = nullptr;
    object_ = nullptr;
    CoUninitialize();
}

} // namespace
