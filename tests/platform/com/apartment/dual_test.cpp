// A dual interface through a proxy: vtable calls run on the owner's thread through the
// interface's declaration, with out values and error information coming back.
#include "../test_interfaces.h"
#include "objbase.h"
#include "processthreadsapi.h"
#include "qx/com/apartment.h"
#include "synchapi.h"
#include "winuser_message.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

namespace {

TEST(DualProxyTest, VtableCallsRunOnTheOwner) {
    ASSERT_EQ(qx::com::EnterApartment(qx::com::ApartmentType::SingleThreaded), S_OK);
    {
        qx::com::ComPtr<ITally> tally;
        ASSERT_EQ(qx::com::CreateInstance<CTally>(nullptr, IID_ITally, reinterpret_cast<void**>(&tally)),
                  S_OK);
        IStream* stream = nullptr;
        ASSERT_EQ(CoMarshalInterThreadInterfaceInStream(IID_ITally, tally.Get(), &stream), S_OK);
        std::atomic<bool> finished{false};
        std::thread worker([&] {
            ASSERT_EQ(qx::com::EnterApartment(qx::com::ApartmentType::SingleThreaded), S_OK);
            ITally* proxy = nullptr;
            ASSERT_EQ(CoGetInterfaceAndReleaseStream(stream, IID_ITally, reinterpret_cast<void**>(&proxy)),
                      S_OK);
            EXPECT_NE(proxy, tally.Get());
            EXPECT_EQ(proxy->put_Value(41), S_OK);
            LONG value = 0;
            EXPECT_EQ(proxy->get_Value(&value), S_OK);
            EXPECT_EQ(value, 41);
            LONG sum = 0;
            EXPECT_EQ(proxy->Add(2, 3, &sum), S_OK);
            EXPECT_EQ(sum, 5);
            BSTR text = SysAllocString(u"abc");
            LONG length = 0;
            EXPECT_EQ(proxy->Swap(&text, &length), S_OK);
            EXPECT_EQ(std::u16string(text), u"cba");
            EXPECT_EQ(length, 3);
            SysFreeString(text);
            VARIANT second;
            second.vt = VT_I4;
            second.lVal = 7;
            BSTR joined = nullptr;
            BSTR first = SysAllocString(u"x");
            EXPECT_EQ(proxy->Concat(first, second, &joined), S_OK);
            EXPECT_EQ(std::u16string(joined), u"x7");
            SysFreeString(joined);
            SysFreeString(first);
            BSTR why = SysAllocString(u"no good");
            EXPECT_EQ(proxy->Fail(why), E_FAIL);
            SysFreeString(why);
            IErrorInfo* info = nullptr;
            ASSERT_EQ(GetErrorInfo(0, &info), S_OK);
            BSTR description = nullptr;
            info->GetDescription(&description);
            EXPECT_EQ(std::u16string(description), u"no good");
            SysFreeString(description);
            info->Release();
            IDispatch* asDispatch = nullptr;
            ASSERT_EQ(proxy->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&asDispatch)), S_OK);
            asDispatch->Release();
            proxy->Release();
            qx::com::LeaveApartment();
            finished = true;
        });
        while (!finished) {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageA(&msg);
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
        worker.join();
        LONG value = 0;
        tally->get_Value(&value);
        EXPECT_EQ(value, 41);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    }
    qx::com::LeaveApartment();
}

} // namespace
