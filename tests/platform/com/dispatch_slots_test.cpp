// Registration refuses a dual declaration whose members do not sit at their vtable slots: a
// proxy built from it, or a type library's vtable offsets, would call the wrong function.
#include "qx/com/dispatch_decl.h"

#include <gtest/gtest.h>

#include <string>

QX_DECLARE_INTERFACE(IOrdered, "{6A1F0C30-2B4D-4E5F-8A7B-9C0D1E2F3A40}");
struct IOrdered : IDispatch {
    STDMETHOD(First)() PURE;
    STDMETHOD(Second)(LONG n) PURE;
    STDMETHOD(get_Third)(BSTR* pVal) PURE;

protected:
    ~IOrdered() = default;
};

QX_DECLARE_INTERFACE(IOrderedMore, "{6A1F0C31-2B4D-4E5F-8A7B-9C0D1E2F3A40}");
struct IOrderedMore : IOrdered {
    STDMETHOD(Fourth)() PURE;

protected:
    ~IOrderedMore() = default;
};

namespace {

using qx::com::DispEvent;
using qx::com::DispInterface;
using qx::com::DispMember;
using qx::com::DispMethod;
using qx::com::DispParam;
using qx::com::DispPropGet;

constexpr DispParam kSecondParams[] = {{u"n", VT_I4, PARAMFLAG_FIN}};

constexpr DispMember kInOrder[] = {
    DispMethod<&IOrdered::First>(u"First", 1),
    DispMethod<&IOrdered::Second>(u"Second", 2, kSecondParams),
    DispPropGet<&IOrdered::get_Third>(u"Third", 3),
};
constexpr DispMember kSwapped[] = {
    DispMethod<&IOrdered::First>(u"First", 1),
    DispPropGet<&IOrdered::get_Third>(u"Third", 3),
    DispMethod<&IOrdered::Second>(u"Second", 2, kSecondParams),
};
constexpr DispMember kDerivedWithBase[] = {
    DispMethod<&IOrderedMore::First>(u"First", 1),
    DispMethod<&IOrderedMore::Second>(u"Second", 2, kSecondParams),
    DispPropGet<&IOrderedMore::get_Third>(u"Third", 3),
    DispMethod<&IOrderedMore::Fourth>(u"Fourth", 4),
};
// The base's members left out: Fourth is slot 10, not 7.
constexpr DispMember kDerivedWithoutBase[] = {DispMethod<&IOrderedMore::Fourth>(u"Fourth", 4)};
// A dispinterface has no vtable to be out of order with.
constexpr DispMember kEvents[] = {DispEvent(u"Later", 2), DispEvent(u"Sooner", 1)};

template <std::size_t N>
constexpr DispInterface Decl(const IID& iid, const DispMember (&members)[N], bool dual) {
    return {&iid, u"IOrdered", members, static_cast<UINT>(N), dual};
}

struct Case {
    const char* what;
    DispInterface decl;
    bool accepted;
    const char* message; // what standard error says about a refusal
};

const Case kCases[] = {
    {"members in vtable order", Decl(IID_IOrdered, kInOrder, true), true, nullptr},
    {"two members swapped", Decl(IID_IOrdered, kSwapped, true), false,
     "member 1 (Third) is the function at vtable slot 9, not slot 8"},
    {"a derived interface after its base's members", Decl(IID_IOrderedMore, kDerivedWithBase, true), true,
     nullptr},
    {"a derived interface without its base's members", Decl(IID_IOrderedMore, kDerivedWithoutBase, true),
     false, "member 0 (Fourth) is the function at vtable slot 10, not slot 7"},
    {"a dispinterface in any order", Decl(IID_IOrdered, kEvents, false), true, nullptr},
};

} // namespace

TEST(DispatchSlots, RegistrationRefusesMembersOutOfVtableOrder) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(qx::com::FindDispInterface(*c.decl.iid), nullptr);
        UINT misplaced = 99;
        EXPECT_EQ(qx::com::DualSlotsInOrder(c.decl, &misplaced), c.accepted);
        testing::internal::CaptureStderr();
        bool registered = qx::com::RegisterDispInterface(c.decl);
        std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(registered, c.accepted);
        if (c.accepted) {
            EXPECT_EQ(qx::com::FindDispInterface(*c.decl.iid), &c.decl);
            EXPECT_EQ(said, "");
        } else {
            EXPECT_EQ(qx::com::FindDispInterface(*c.decl.iid), nullptr);
            EXPECT_NE(said.find("dispatch declaration IOrdered refused"), std::string::npos) << said;
            EXPECT_NE(said.find(c.message), std::string::npos) << said;
        }
        qx::com::UnregisterDispInterface(c.decl);
    }
}

TEST(DispatchSlots, ARegistrationObjectOfARefusedDeclarationRegistersNothing) {
    const DispInterface swapped = Decl(IID_IOrdered, kSwapped, true);
    testing::internal::CaptureStderr();
    {
        qx::com::DispInterfaceRegistration registration(swapped, typeid(IOrdered));
        EXPECT_EQ(qx::com::FindDispInterface(IID_IOrdered), nullptr);
    }
    EXPECT_NE(testing::internal::GetCapturedStderr().find("refused"), std::string::npos);
    const DispInterface ordered = Decl(IID_IOrdered, kInOrder, true);
    {
        qx::com::DispInterfaceRegistration registration(ordered, typeid(IOrdered));
        EXPECT_EQ(qx::com::FindDispInterface(IID_IOrdered), &ordered);
    }
    EXPECT_EQ(qx::com::FindDispInterface(IID_IOrdered), nullptr);
}
