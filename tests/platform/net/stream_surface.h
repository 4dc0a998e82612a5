// What every URL stream answers besides Read: its interfaces, and a body that is never written,
// sized, locked or cloned.
#pragma once

#include "objidl.h"
#include "urlmon.h"
#include "winerror.h"

#include <gtest/gtest.h>

#include <cstring>

namespace qxtest {

inline void ExpectReadOnlyStreamSurface(IStream* stream, ULONGLONG size) {
    struct Query {
        const char* name;
        const IID* iid;
        HRESULT hr;
    } queries[] = {
        {"IUnknown", &IID_IUnknown, S_OK},
        {"ISequentialStream", &IID_ISequentialStream, S_OK},
        {"IStream", &IID_IStream, S_OK},
        {"IBinding", &IID_IBinding, E_NOINTERFACE},
        {"IBindStatusCallback", &IID_IBindStatusCallback, E_NOINTERFACE},
    };
    for (const auto& q : queries) {
        void* out = reinterpret_cast<void*>(0x1);
        EXPECT_EQ(stream->QueryInterface(*q.iid, &out), q.hr) << q.name;
        if (q.hr == S_OK) {
            EXPECT_EQ(out, static_cast<void*>(stream)) << q.name;
            static_cast<IUnknown*>(out)->Release();
        } else {
            EXPECT_EQ(out, nullptr) << q.name;
        }
    }
    EXPECT_EQ(stream->QueryInterface(IID_IStream, nullptr), E_POINTER);
    const ULONG held = stream->AddRef();
    EXPECT_GE(held, 2u);
    EXPECT_EQ(stream->Release(), held - 1);

    ULONG written = 7;
    const ULARGE_INTEGER zero{};
    const struct {
        const char* name;
        HRESULT got;
        HRESULT expected;
    } calls[] = {
        {"Write", stream->Write("x", 1, &written), STG_E_ACCESSDENIED},
        {"Write without a count", stream->Write("x", 1, nullptr), STG_E_ACCESSDENIED},
        {"SetSize", stream->SetSize(zero), STG_E_ACCESSDENIED},
        {"Commit", stream->Commit(0), S_OK},
        {"Revert", stream->Revert(), S_OK},
        {"LockRegion", stream->LockRegion(zero, zero, 0), STG_E_INVALIDFUNCTION},
        {"UnlockRegion", stream->UnlockRegion(zero, zero, 0), STG_E_INVALIDFUNCTION},
        {"Clone without a result", stream->Clone(nullptr), STG_E_INVALIDFUNCTION},
        {"Stat without a result", stream->Stat(nullptr, 0), STG_E_INVALIDPOINTER},
    };
    for (const auto& c : calls)
        EXPECT_EQ(c.got, c.expected) << c.name;
    EXPECT_EQ(written, 0u);
    IStream* clone = stream;
    EXPECT_EQ(stream->Clone(&clone), STG_E_INVALIDFUNCTION);
    EXPECT_EQ(clone, nullptr);

    STATSTG stat;
    std::memset(&stat, 0xCC, sizeof stat);
    ASSERT_EQ(stream->Stat(&stat, 0), S_OK);
    EXPECT_EQ(stat.type, static_cast<DWORD>(STGTY_STREAM));
    EXPECT_EQ(stat.cbSize.QuadPart, size);
    EXPECT_EQ(stat.grfMode, static_cast<DWORD>(STGM_READ));
    EXPECT_EQ(stat.pwcsName, nullptr);
}

} // namespace qxtest
