// Memory streams and per-thread error information.
#include "objbase.h"
#include "qx/com/bstr.h"
#include "qx/com/comptr.h"
#include "qx/com/error_info.h"
#include "qx/com/stream.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>

using qx::com::Bstr;
using qx::com::ComPtr;

namespace {

LARGE_INTEGER Li(long long v) {
    LARGE_INTEGER li;
    li.QuadPart = v;
    return li;
}

ULARGE_INTEGER Uli(unsigned long long v) {
    ULARGE_INTEGER li;
    li.QuadPart = v;
    return li;
}

TEST(MemoryStream, ReadWriteSeekSetSizeStat) {
    ComPtr<IStream> s;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &s), S_OK);
    ULONG n = 0;
    ASSERT_EQ(s->Write("hello world", 11, &n), S_OK);
    EXPECT_EQ(n, 11u);
    ULARGE_INTEGER pos;
    ASSERT_EQ(s->Seek(Li(-5), STREAM_SEEK_END, &pos), S_OK);
    EXPECT_EQ(pos.QuadPart, 6u);
    char buf[16] = {};
    ASSERT_EQ(s->Read(buf, 16, &n), S_OK);
    EXPECT_EQ(n, 5u);
    EXPECT_STREQ(buf, "world");
    ASSERT_EQ(s->Read(buf, 4, &n), S_OK);
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(s->Seek(Li(-1), STREAM_SEEK_SET, &pos), STG_E_INVALIDFUNCTION);
    EXPECT_EQ(s->Seek(Li(0), 7, &pos), STG_E_INVALIDFUNCTION);

    // Writing past the end fills the gap with zeros.
    s->Seek(Li(13), STREAM_SEEK_SET, nullptr);
    s->Write("!", 1, nullptr);
    STATSTG st;
    ASSERT_EQ(s->Stat(&st, STATFLAG_DEFAULT), S_OK);
    EXPECT_EQ(st.cbSize.QuadPart, 14u);
    EXPECT_EQ(st.type, static_cast<DWORD>(STGTY_STREAM));
    EXPECT_EQ(st.pwcsName, nullptr);
    std::vector<BYTE> bytes;
    ASSERT_EQ(qx::com::GetMemoryStreamBytes(s.Get(), bytes), S_OK);
    ASSERT_EQ(bytes.size(), 14u);
    EXPECT_EQ(bytes[11], 0);
    EXPECT_EQ(bytes[13], '!');

    ASSERT_EQ(s->SetSize(Uli(5)), S_OK);
    s->Stat(&st, STATFLAG_NONAME);
    EXPECT_EQ(st.cbSize.QuadPart, 5u);
    EXPECT_EQ(s->LockRegion(Uli(0), Uli(1), LOCK_WRITE), STG_E_INVALIDFUNCTION);
}

TEST(MemoryStream, ClonesShareBytesButNotPosition) {
    ComPtr<IStream> s;
    ASSERT_EQ(qx::com::CreateMemoryStream("abcdef", 6, &s), S_OK);
    s->Seek(Li(2), STREAM_SEEK_SET, nullptr);
    ComPtr<IStream> clone;
    ASSERT_EQ(s->Clone(&clone), S_OK);
    char c = 0;
    clone->Read(&c, 1, nullptr);
    EXPECT_EQ(c, 'c');
    s->Read(&c, 1, nullptr);
    EXPECT_EQ(c, 'c');
    clone->Write("X", 1, nullptr); // at 3
    s->Read(&c, 1, nullptr);
    EXPECT_EQ(c, 'X');

    ComPtr<IStream> target;
    CreateStreamOnHGlobal(nullptr, TRUE, &target);
    s->Seek(Li(0), STREAM_SEEK_SET, nullptr);
    ULARGE_INTEGER read, written;
    ASSERT_EQ(s->CopyTo(target.Get(), Uli(100), &read, &written), S_OK);
    EXPECT_EQ(read.QuadPart, 6u);
    EXPECT_EQ(written.QuadPart, 6u);
    std::vector<BYTE> bytes;
    qx::com::GetMemoryStreamBytes(target.Get(), bytes);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "abcXef");
}

TEST(MemoryStream, BadArguments) {
    IStream* s = nullptr;
    int dummy;
    EXPECT_EQ(CreateStreamOnHGlobal(&dummy, TRUE, &s), E_INVALIDARG);
    EXPECT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, nullptr), E_INVALIDARG);
    EXPECT_EQ(qx::com::CreateMemoryStream(nullptr, 3, &s), E_INVALIDARG);
}

TEST(ErrorInfo, IsPerThreadAndTakenOnce) {
    qx::com::ReportError(IID_IStream, u"src", u"desc", E_FAIL, u"help.chm", 12);
    std::thread other([] {
        IErrorInfo* info = nullptr;
        EXPECT_EQ(GetErrorInfo(0, &info), S_FALSE);
        EXPECT_EQ(info, nullptr);
    });
    other.join();
    ComPtr<IErrorInfo> info;
    ASSERT_EQ(GetErrorInfo(0, &info), S_OK);
    GUID g;
    info->GetGUID(&g);
    EXPECT_TRUE(IsEqualGUID(g, IID_IStream));
    Bstr source, description, help;
    info->GetSource(&source);
    info->GetDescription(&description);
    info->GetHelpFile(&help);
    DWORD context = 0;
    info->GetHelpContext(&context);
    EXPECT_EQ(source, u"src");
    EXPECT_EQ(description, u"desc");
    EXPECT_EQ(help, u"help.chm");
    EXPECT_EQ(context, 12u);
    IErrorInfo* again = nullptr;
    EXPECT_EQ(GetErrorInfo(0, &again), S_FALSE);
    EXPECT_EQ(qx::com::ReportError(IID_IStream, u"", u"", DISP_E_OVERFLOW), DISP_E_OVERFLOW);
    SetErrorInfo(0, nullptr);
    EXPECT_EQ(GetErrorInfo(0, &again), S_FALSE);
}

TEST(ErrorInfo, CreateErrorInfoBuildsOne) {
    ComPtr<ICreateErrorInfo> create;
    ASSERT_EQ(CreateErrorInfo(&create), S_OK);
    create->SetDescription(const_cast<LPOLESTR>(u"by hand"));
    ComPtr<IErrorInfo> info = create.As<IErrorInfo>();
    SetErrorInfo(0, info.Get());
    ComPtr<IErrorInfo> got;
    ASSERT_EQ(GetErrorInfo(0, &got), S_OK);
    EXPECT_EQ(got.Get(), info.Get());
}

} // namespace
