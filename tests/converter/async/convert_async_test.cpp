// The asynchronous road seen from the object's own thread: an owner in a single-threaded
// apartment starts a conversion, keeps pumping, and receives the completion there.
#include <gtest/gtest.h>

#include "../quorle/quorle_test_env.h"
#include "async_test_objects.h"
#include "loopback_http_server.h"

namespace {

using namespace quorle_async_test;
using qx::com::Bstr;

// A style sheet that takes about a second to arrive, so that a conversion is still running while
// the test looks at it.
qxtest::HttpResponse SlowSheet() {
    qxtest::HttpResponse slow = qxtest::Reply(200, std::string(4000, 'x'));
    slow.contentType = "text/css";
    slow.pieceSize = 100;
    slow.pause = std::chrono::milliseconds(25);
    return slow;
}

class AsyncConvertTest : public quorle_test::QuorleTest {
protected:
    void SetUp() override {
        QuorleTest::SetUp();
        ASSERT_EQ(CoInitialize(NULL), S_OK);
        owner_ = GetCurrentThreadId();
        ASSERT_EQ(qx::com::CreateObject<CCountedConvert>(object_), S_OK);
        ASSERT_EQ(qx::com::CreateObject<CConvert>(probe_), S_OK);
        ASSERT_EQ(qx::com::CreateObject<CRecordingSink>(sink_), S_OK);
        AdviseBoth(object_->ControllingUnknown(), static_cast<IConvertEvent*>(sink_.Get()));
        server_.Serve("/slow.css", SlowSheet());
    }
    void TearDown() override {
        // Every worker has ended and every converter is gone before the folders go.
        object_ = nullptr;
        EXPECT_TRUE(PumpUntil([] { return g_liveConverters == 0; }));
        probe_ = nullptr;
        sink_ = nullptr;
        CoUninitialize();
        QuorleTest::TearDown();
    }

    void PutHtml(const std::string& html) { ASSERT_EQ(object_->put_htmlData(Bstr(Wide(html)).Get()), S_OK); }
    void PutSlowPage() { PutHtml("<link rel=stylesheet href=\"" + server_.Url("/slow.css") + "\"><p>x</p>"); }
    bool FilterOut(IConvert* converter, const std::string& url) {
        VARIANT_BOOL started = VARIANT_FALSE;
        EXPECT_EQ(converter->filterOut(Bstr(Wide(url)).Get(), &started), S_OK);
        return started == VARIANT_TRUE;
    }
    bool FilterIn(IConvert* converter) {
        VARIANT_BOOL started = VARIANT_FALSE;
        EXPECT_EQ(converter->filterIn(&started), S_OK);
        return started == VARIANT_TRUE;
    }
    std::u16string Mht() {
        BSTR value = NULL;
        object_->get_mhtData(&value);
        return Text(value);
    }
    std::u16string Html() {
        BSTR value = NULL;
        object_->get_htmlData(&value);
        return Text(value);
    }
    // The bundled form packed on this thread, ready to be loaded back.
    void PutPackedForm() {
        object_->put_sync(VARIANT_TRUE);
        PutHtml(FormHtml());
        ASSERT_TRUE(FilterOut(object_.Get(), "file://c:/form/form.htm"));
        object_->put_sync(VARIANT_FALSE);
        const std::u16string mht = Mht();
        ASSERT_FALSE(mht.empty());
        ASSERT_EQ(object_->put_mhtData(Bstr(mht).Get()), S_OK);
    }

    DWORD owner_ = 0;
    qxtest::LoopbackHttpServer server_;
    ObjectPtr<CCountedConvert> object_;
    ObjectPtr<CConvert> probe_;
    ObjectPtr<CRecordingSink> sink_;
};

TEST_F(AsyncConvertTest, FilterOutReturnsAtOnceAndEndsOnTheOwnersThread) {
    PutSlowPage();
    ASSERT_TRUE(FilterOut(object_.Get(), server_.Url("/page.htm")));

    // Returned with the conversion still running; the start notice went out here, first.
    const auto starts = sink_->Starts();
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].thread, owner_);
    EXPECT_TRUE(sink_->Ends().empty());
    EXPECT_EQ(Mht(), u"");

    // Meanwhile every start is refused, on this object or another, and nothing changes.
    ObjectPtr<CConvert> other;
    ASSERT_EQ(qx::com::CreateObject<CConvert>(other), S_OK);
    EXPECT_FALSE(FilterOut(object_.Get(), server_.Url("/page.htm")));
    EXPECT_FALSE(FilterIn(object_.Get()));
    EXPECT_FALSE(FilterIn(other.Get()));
    EXPECT_FALSE(FilterOut(other.Get(), "file://c:/x.htm"));
    EXPECT_EQ(Mht(), u"");
    EXPECT_EQ(sink_->Starts().size(), 1u);

    // The worker has finished converting, but the notice waits for this thread to pump.
    ASSERT_TRUE(WaitUntilIdle(probe_.Get()));
    Sleep(100);
    EXPECT_TRUE(sink_->Ends().empty());
    EXPECT_NE(Mht().find(u"Content-Type: Text/css"), std::u16string::npos);

    ASSERT_TRUE(PumpUntil([&] { return sink_->EndCount() == 2; }));
    for (const Notice& end : sink_->Ends()) {
        EXPECT_EQ(end.value, 1);
        EXPECT_EQ(end.thread, owner_);
    }

    // The next conversion is accepted and ends the same way.
    ASSERT_TRUE(FilterOut(object_.Get(), server_.Url("/page.htm")));
    ASSERT_TRUE(PumpUntil([&] { return sink_->EndCount() == 4; }));
    EXPECT_EQ(sink_->Ends()[3].thread, owner_);
    EXPECT_EQ(sink_->Starts().size(), 2u);
    EXPECT_EQ(server_.RequestCount("/slow.css"), 2);
}

TEST_F(AsyncConvertTest, FilterInEndsWithZeroWithoutAStartNotice) {
    PutPackedForm();
    sink_->onEnd = nullptr;
    const size_t startsBefore = sink_->Starts().size();
    ASSERT_TRUE(FilterIn(object_.Get()));
    ASSERT_TRUE(PumpUntil([&] { return sink_->EndCount() == 2; }));
    for (const Notice& end : sink_->Ends()) {
        EXPECT_EQ(end.value, 0);
        EXPECT_EQ(end.thread, owner_);
    }
    EXPECT_EQ(sink_->Starts().size(), startsBefore);
    EXPECT_NE(Html().find(u"src=\"file://"), std::u16string::npos);
    EXPECT_EQ(object_->LoadedResources().size(), 5u);
}

TEST_F(AsyncConvertTest, PageScriptHearsOneAfterFilterOutAndZeroAfterFilterIn) {
    CPageScript* script = new CPageScript;
    const ComPtr<IDispatch> scriptRef = ComPtr<IDispatch>::Attach(script);
    CPageDocument* document = new CPageDocument(script);
    ASSERT_EQ(object_->SetDocumentDisp(document), S_OK);
    document->Release();

    PutSlowPage();
    ASSERT_TRUE(FilterOut(object_.Get(), server_.Url("/page.htm")));
    ASSERT_TRUE(WaitUntilIdle(probe_.Get()));
    Sleep(50);
    EXPECT_TRUE(script->Calls().empty()); // waiting for this thread
    ASSERT_TRUE(PumpUntil([&] { return script->Calls().size() == 1; }));

    ASSERT_EQ(object_->put_mhtData(Bstr(Mht()).Get()), S_OK);
    ASSERT_TRUE(FilterIn(object_.Get()));
    ASSERT_TRUE(PumpUntil([&] { return script->Calls().size() == 2; }));

    const auto calls = script->Calls();
    EXPECT_EQ(calls[0].value, 1);
    EXPECT_EQ(calls[1].value, 0);
    for (const Notice& call : calls)
        EXPECT_EQ(call.thread, owner_);
    // The script took the notice: the sinks hear no end, though the start still went to them.
    PumpUntil([] { return false; }, std::chrono::milliseconds(50));
    EXPECT_TRUE(sink_->Ends().empty());
    EXPECT_EQ(sink_->Starts().size(), 1u);
}

TEST_F(AsyncConvertTest, PageWithoutTheFunctionIsLeftAlone) {
    CPageScript* script = new CPageScript;
    const ComPtr<IDispatch> scriptRef = ComPtr<IDispatch>::Attach(script);
    script->hasFunction = false;
    CPageDocument* document = new CPageDocument(script);
    ASSERT_EQ(object_->SetDocumentDisp(document), S_OK);
    document->Release();

    PutHtml("<p>plain</p>");
    ASSERT_TRUE(FilterOut(object_.Get(), "file://c:/form/plain.htm"));
    ASSERT_TRUE(WaitUntilIdle(probe_.Get()));
    PumpUntil([] { return false; }, std::chrono::milliseconds(100));
    EXPECT_TRUE(script->Calls().empty());
    EXPECT_TRUE(sink_->Ends().empty());
    EXPECT_NE(Mht().find(u"MIME-Version: 1.0"), std::u16string::npos);
    ASSERT_TRUE(FilterOut(object_.Get(), "file://c:/form/plain.htm"));
    ASSERT_TRUE(WaitUntilIdle(probe_.Get()));
}

TEST_F(AsyncConvertTest, EndHandlerMayStartTheNextConversion) {
    std::vector<bool> startedFromHandler;
    sink_->onEnd = [&] {
        if (startedFromHandler.empty()) {
            ASSERT_EQ(object_->put_mhtData(Bstr(Mht()).Get()), S_OK);
            startedFromHandler.push_back(FilterIn(object_.Get()));
        }
    };
    PutHtml(FormHtml());
    ASSERT_TRUE(FilterOut(object_.Get(), "file://c:/form/form.htm"));
    ASSERT_TRUE(PumpUntil([&] { return sink_->EndCount() == 4; }));
    ASSERT_EQ(startedFromHandler.size(), 1u);
    EXPECT_TRUE(startedFromHandler[0]);
    const auto ends = sink_->Ends();
    EXPECT_EQ(ends[0].value, 1);
    EXPECT_EQ(ends[3].value, 0);
    EXPECT_EQ(object_->LoadedResources().size(), 5u);
    sink_->onEnd = nullptr;
}

// Whether the notice goes to the sinks through the object's own proxy or to the page script, the
// object outlives the caller's last reference until its worker has finished with it.
TEST_F(AsyncConvertTest, CallerMayLetGoDuringTheConversion) {
    for (const bool toScript : {false, true}) {
        SCOPED_TRACE(toScript ? "page script" : "sinks");
        if (!object_) {
            ASSERT_EQ(qx::com::CreateObject<CCountedConvert>(object_), S_OK);
            AdviseBoth(object_->ControllingUnknown(), static_cast<IConvertEvent*>(sink_.Get()));
        }
        CPageScript* script = new CPageScript;
        const ComPtr<IDispatch> scriptRef = ComPtr<IDispatch>::Attach(script);
        if (toScript) {
            CPageDocument* document = new CPageDocument(script);
            ASSERT_EQ(object_->SetDocumentDisp(document), S_OK);
            document->Release();
        }
        // A load first, so that the object's final release has files to delete.
        PutPackedForm();
        object_->put_sync(VARIANT_TRUE);
        ASSERT_TRUE(FilterIn(object_.Get()));
        object_->put_sync(VARIANT_FALSE);
        ASSERT_EQ(TempFileCount(), 5u);
        const size_t endsBefore = sink_->EndCount();

        PutSlowPage();
        ASSERT_TRUE(FilterOut(object_.Get(), server_.Url("/page.htm")));
        object_ = nullptr;
        // The worker's reference keeps the object, its files, its sinks and its script.
        EXPECT_EQ(g_liveConverters, 1);
        EXPECT_EQ(TempFileCount(), 5u);

        ASSERT_TRUE(PumpUntil([] { return g_liveConverters == 0; }));
        EXPECT_EQ(TempFileCount(), 0u);
        if (toScript) {
            ASSERT_EQ(script->Calls().size(), 1u);
            EXPECT_EQ(script->Calls()[0].thread, owner_);
            EXPECT_EQ(sink_->EndCount(), endsBefore);
            EXPECT_EQ(script->Refs(), 1u);
        } else {
            ASSERT_EQ(sink_->EndCount(), endsBefore + 2);
            EXPECT_EQ(sink_->Ends().back().thread, owner_);
        }
    }
}

} // namespace
