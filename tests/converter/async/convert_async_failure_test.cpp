// The asynchronous road when it cannot start, and when the object's apartment goes away before
// the completion: nothing is left claimed, nothing leaks, nothing is used after it is freed.
#include <gtest/gtest.h>
#include <handleapi.h>

#include <thread>

#include "../quorle/quorle_test_env.h"
#include "async_test_objects.h"
#include "loopback_http_server.h"

namespace {

using namespace quorle_async_test;
using qx::com::Bstr;

bool FilterOut(IConvert* converter, const char16_t* url) {
    VARIANT_BOOL started = VARIANT_FALSE;
    EXPECT_EQ(converter->filterOut(Bstr(url).Get(), &started), S_OK);
    return started == VARIANT_TRUE;
}

bool WaitWithoutPumping(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        Sleep(5);
    }
    return true;
}

using AsyncFailureTest = quorle_test::QuorleTest;

// A caller outside any apartment has nothing to marshal the notice from: the start is refused
// and everything it claimed goes back.
TEST_F(AsyncFailureTest, FailedMarshalGivesBackTheBusyFlagAndTheReference) {
    ObjectPtr<CCountedConvert> object;
    ASSERT_EQ(qx::com::CreateObject<CCountedConvert>(object), S_OK);
    ObjectPtr<CRecordingSink> sink;
    ASSERT_EQ(qx::com::CreateObject<CRecordingSink>(sink), S_OK);
    AdviseBoth(object->ControllingUnknown(), static_cast<IConvertEvent*>(sink.Get()));
    CPageScript* script = new CPageScript;
    const ULONG scriptRefs = script->Refs();

    ASSERT_EQ(object->put_htmlData(Bstr(u"<p>x</p>").Get()), S_OK);
    EXPECT_FALSE(FilterOut(object.Get(), u"file://c:/a.htm"));
    EXPECT_TRUE(sink->Starts().empty());

    // The same with a page script as the notice target.
    CPageDocument* document = new CPageDocument(script);
    ASSERT_EQ(object->SetDocumentDisp(document), S_OK);
    document->Release();
    const ULONG heldByObject = script->Refs();
    EXPECT_FALSE(FilterOut(object.Get(), u"file://c:/a.htm"));
    VARIANT_BOOL started = VARIANT_TRUE;
    EXPECT_EQ(object->filterIn(&started), S_OK);
    EXPECT_EQ(started, VARIANT_FALSE);
    EXPECT_EQ(script->Refs(), heldByObject);

    object->put_sync(VARIANT_TRUE);
    EXPECT_TRUE(FilterOut(object.Get(), u"file://c:/a.htm"));
    EXPECT_TRUE(sink->Ends().empty());
    object = nullptr;
    EXPECT_EQ(g_liveConverters, 0);
    EXPECT_EQ(script->Refs(), scriptRefs);
    script->Release();
}

// With the handle table full but for one entry, the gate takes the last one and the worker
// thread cannot be made: the start is refused, the marshalled reference is dropped.
TEST_F(AsyncFailureTest, FailedThreadStartGivesBackTheBusyFlagAndTheReferences) {
    ASSERT_EQ(CoInitialize(NULL), S_OK);
    {
        ObjectPtr<CCountedConvert> object;
        ASSERT_EQ(qx::com::CreateObject<CCountedConvert>(object), S_OK);
        ObjectPtr<CRecordingSink> sink;
        ASSERT_EQ(qx::com::CreateObject<CRecordingSink>(sink), S_OK);
        AdviseBoth(object->ControllingUnknown(), static_cast<IConvertEvent*>(sink.Get()));
        ASSERT_EQ(object->put_htmlData(Bstr(u"<p>x</p>").Get()), S_OK);

        std::vector<HANDLE> filler;
        filler.reserve(1u << 20);
        for (;;) {
            HANDLE event = CreateEventA(NULL, TRUE, FALSE, NULL);
            if (event == NULL)
                break;
            filler.push_back(event);
        }
        ASSERT_FALSE(filler.empty());
        CloseHandle(filler.back());
        filler.pop_back();

        EXPECT_FALSE(FilterOut(object.Get(), u"file://c:/a.htm"));
        // The gate went back too: one handle is free again.
        HANDLE last = CreateEventA(NULL, TRUE, FALSE, NULL);
        EXPECT_NE(last, nullptr);
        if (last != NULL)
            CloseHandle(last);
        for (HANDLE event : filler)
            CloseHandle(event);
        filler.clear();
        EXPECT_TRUE(sink->Starts().empty());

        // Not busy: the next start is accepted and finishes.
        ASSERT_TRUE(FilterOut(object.Get(), u"file://c:/a.htm"));
        ASSERT_TRUE(PumpUntil([&] { return sink->EndCount() == 2; }));
        object = nullptr;
        ASSERT_TRUE(PumpUntil([] { return g_liveConverters == 0; }));
    }
    CoUninitialize();
}

// The owner leaves its apartment and ends while the worker still converts: the notice finds
// nobody to run it, the worker's reference is the last and goes on the worker's thread.
TEST_F(AsyncFailureTest, OwnerThatLeavesBeforeTheEndGetsNoNotice) {
    qxtest::LoopbackHttpServer server;
    qxtest::HttpResponse slow = qxtest::Reply(200, std::string(2000, 'x'));
    slow.pieceSize = 100;
    slow.pause = std::chrono::milliseconds(25);
    server.Serve("/slow.css", slow);
    ObjectPtr<CRecordingSink> sink;
    ASSERT_EQ(qx::com::CreateObject<CRecordingSink>(sink), S_OK);

    bool started = false;
    std::thread owner([&] {
        ASSERT_EQ(CoInitialize(NULL), S_OK);
        ObjectPtr<CCountedConvert> object;
        ASSERT_EQ(qx::com::CreateObject<CCountedConvert>(object), S_OK);
        AdviseBoth(object->ControllingUnknown(), static_cast<IConvertEvent*>(sink.Get()));
        const std::string html = "<link rel=stylesheet href=\"" + server.Url("/slow.css") + "\">";
        ASSERT_EQ(object->put_htmlData(Bstr(Wide(html)).Get()), S_OK);
        started = FilterOut(object.Get(), Wide(server.Url("/page.htm")).c_str());
        object = nullptr;
        CoUninitialize();
    });
    owner.join();
    ASSERT_TRUE(started);
    EXPECT_EQ(g_liveConverters, 1); // still converting
    ASSERT_TRUE(WaitWithoutPumping([] { return g_liveConverters == 0; }));
    EXPECT_TRUE(sink->Ends().empty());
    EXPECT_EQ(sink->Starts().size(), 1u);

    ObjectPtr<CConvert> probe;
    ASSERT_EQ(qx::com::CreateObject<CConvert>(probe), S_OK);
    EXPECT_TRUE(WaitUntilIdle(probe.Get()));
}

} // namespace
