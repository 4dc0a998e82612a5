// One IDispatchEx for an object that answers several dual interfaces (a DOM element answers its
// node, element and tag interfaces), with names that come and go beside them.
//
//     class CDivElement : public qx::com::ObjectRoot,
//                         public qx::com::UnionDispatchImpl<IHTMLElement, IHTMLElement2, IHTMLDOMNode> {
//     public:
//         QX_BEGIN_INTERFACES(CDivElement)
//             QX_INTERFACE_ENTRY(IHTMLElement)
//             QX_INTERFACE_ENTRY(IHTMLElement2)
//             QX_INTERFACE_ENTRY(IHTMLDOMNode)
//             QX_INTERFACE_ENTRY(IDispatchEx)
//             QX_INTERFACE_ENTRY2(IDispatch, IDispatchEx)
//         QX_END_INTERFACES()
//     protected:
//         qx::com::DynamicNames* ShadowingNames() override;  // its behaviours' members
//         qx::com::DynamicNames* FallbackNames() override;   // its attributes and expandos
//     };
//
// Every IDispatch of the object (each interface's, IDispatchEx's) is the same one. A name is
// looked up, in this order:
//   1. the shadowing provider (a behaviour's members hide the element's of the same name),
//   2. the interfaces' members, merged once per class: the first interface in the list that
//      declares a name or a DISPID owns it; a later interface's member whose name or DISPID is
//      taken is reached through its vtable only,
//   3. the fallback provider (attributes, expandos); by default the object's own expandos,
//   4. with fdexNameEnsure, a new member that the fallback provider makes.
// Names match in any case unless fdexNameCaseSensitive is given. A dynamic name gets a DISPID in
// [kDynamicDispidFirst, kDynamicDispidLast] (skipping any the interfaces declare) the first time a
// provider answers for it and keeps it for the object's life, also across a delete. Invoke by an
// interface DISPID reaches that interface's member, whatever shadows its name.
//
// GetNextDispID gives the interfaces' DISPIDs in the merged order (hidden and restricted members
// only with fdexEnumAll, names shadowed now left out), then the dynamic names in the order they were
// given their DISPIDs (names the providers list that have none yet get theirs when enumeration
// reaches them: the shadowing provider's first). GetTypeInfo describes the merged members as one
// dispinterface with the first interface's name and IID.
//
// List interfaces none of which derives from another (a derived interface repeats its base's
// members in its declaration).
#pragma once

#include "dispex.h"
#include "qx/com/dispatch.h"
#include "qx/com/dynamic_names.h"

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string_view>
#include <vector>

namespace qx::com {

inline constexpr DISPID kDynamicDispidFirst = 0x40000000;
inline constexpr DISPID kDynamicDispidLast = 0x4FFFFFFF;

// The merged members of several interfaces, made once per class.
class UnionDeclaration {
public:
    UnionDeclaration(std::initializer_list<const DispInterface*> decls);
    UnionDeclaration(const UnionDeclaration&) = delete;
    UnionDeclaration& operator=(const UnionDeclaration&) = delete;

    const DispInterface& Merged() const { return merged_; }
    // The position in the union's list of the interface whose member m (of Merged()) is.
    std::size_t OwnerOf(const DispMember& m) const {
        return owners_[static_cast<std::size_t>(&m - members_.data())];
    }
    // The enumeration order: each DISPID once, with whether it is hidden or restricted.
    struct Enumerated {
        DISPID id;
        const DispMember* member; // the first of the DISPID
        bool hidden;
    };
    const std::vector<Enumerated>& Enumeration() const { return enumeration_; }
    // The position of a DISPID in Enumeration(); -1 when the interfaces do not declare it.
    long EnumerationIndex(DISPID id) const;

private:
    std::vector<DispMember> members_;
    std::vector<std::uint8_t> owners_;
    std::vector<Enumerated> enumeration_;
    std::vector<std::pair<DISPID, std::uint32_t>> byDispid_; // sorted, into enumeration_
    DispCache cache_;
    DispInterface merged_{};
};

// What one call of a union dispatch works on.
struct UnionTarget {
    const UnionDeclaration& decl;
    void* const* interfaces; // the object's pointer of each interface, in the union's order
    DynamicNames* shadowing; // may be null
    DynamicNames* fallback;  // may be null
};

// The part of a union dispatch that is the object's own: the DISPIDs handed to dynamic names.
class UnionDispatchState {
public:
    UnionDispatchState();
    ~UnionDispatchState();
    UnionDispatchState(const UnionDispatchState&) = delete;
    UnionDispatchState& operator=(const UnionDispatchState&) = delete;

    HRESULT GetIDsOfNames(const UnionTarget& t, REFIID riid, LPOLESTR* names, UINT count, DISPID* ids);
    HRESULT Invoke(const UnionTarget& t, DISPID id, LCID lcid, WORD flags, DISPPARAMS* params,
                   VARIANT* result, EXCEPINFO* excepInfo, IServiceProvider* caller, UINT* argErr);
    HRESULT GetDispID(const UnionTarget& t, BSTR name, DWORD grfdex, DISPID* id);
    HRESULT DeleteMemberByName(const UnionTarget& t, BSTR name, DWORD grfdex);
    HRESULT DeleteMemberByDispID(const UnionTarget& t, DISPID id);
    HRESULT GetMemberProperties(const UnionTarget& t, DISPID id, DWORD fetch, DWORD* props);
    HRESULT GetMemberName(const UnionTarget& t, DISPID id, BSTR* name);
    HRESULT GetNextDispID(const UnionTarget& t, DWORD grfdex, DISPID id, DISPID* next);

private:
    struct Entry;
    struct Names;
    Names& Table();
    // The dynamic name that has this DISPID; null for the interfaces' DISPIDs and unknown ones.
    const Entry* Dynamic(DISPID id) const;
    HRESULT Lookup(const UnionTarget& t, std::u16string_view name, DWORD grfdex, DISPID* id);
    std::unique_ptr<Names> names_; // made with the first dynamic name
};

template <typename... Itfs>
class UnionDispatchImpl : public IDispatchEx, public Itfs... {
    static_assert(sizeof...(Itfs) >= 1 && sizeof...(Itfs) < 256, "a union of one to 255 interfaces");

public:
    static const UnionDeclaration& Declaration() {
        static const UnionDeclaration decl{&disp_decl_of<Itfs>...};
        return decl;
    }

    STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) override { return detail::OneTypeInfoCount(pctinfo); }
    STDMETHODIMP GetTypeInfo(UINT iTInfo, LCID, ITypeInfo** ppTInfo) override {
        return detail::TypeInfoAt(Declaration().Merged(), iTInfo, ppTInfo);
    }
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID,
                               DISPID* rgDispId) override {
        return With(
            [&](const UnionTarget& t) { return state_.GetIDsOfNames(t, riid, rgszNames, cNames, rgDispId); });
    }
    STDMETHODIMP Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                        VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) override {
        if (!IsEqualIID(riid, IID_NULL))
            return DISP_E_UNKNOWNINTERFACE;
        return With([&](const UnionTarget& t) {
            return state_.Invoke(t, dispIdMember, lcid, wFlags, pDispParams, pVarResult, pExcepInfo, nullptr,
                                 puArgErr);
        });
    }

    STDMETHODIMP GetDispID(BSTR bstrName, DWORD grfdex, DISPID* pid) override {
        return With([&](const UnionTarget& t) { return state_.GetDispID(t, bstrName, grfdex, pid); });
    }
    STDMETHODIMP InvokeEx(DISPID id, LCID lcid, WORD wFlags, DISPPARAMS* pdp, VARIANT* pvarRes,
                          EXCEPINFO* pei, IServiceProvider* pspCaller) override {
        return With([&](const UnionTarget& t) {
            return state_.Invoke(t, id, lcid, wFlags, pdp, pvarRes, pei, pspCaller, nullptr);
        });
    }
    STDMETHODIMP DeleteMemberByName(BSTR bstrName, DWORD grfdex) override {
        return With([&](const UnionTarget& t) { return state_.DeleteMemberByName(t, bstrName, grfdex); });
    }
    STDMETHODIMP DeleteMemberByDispID(DISPID id) override {
        return With([&](const UnionTarget& t) { return state_.DeleteMemberByDispID(t, id); });
    }
    STDMETHODIMP GetMemberProperties(DISPID id, DWORD grfdexFetch, DWORD* pgrfdex) override {
        return With(
            [&](const UnionTarget& t) { return state_.GetMemberProperties(t, id, grfdexFetch, pgrfdex); });
    }
    STDMETHODIMP GetMemberName(DISPID id, BSTR* pbstrName) override {
        return With([&](const UnionTarget& t) { return state_.GetMemberName(t, id, pbstrName); });
    }
    STDMETHODIMP GetNextDispID(DWORD grfdex, DISPID id, DISPID* pid) override {
        return With([&](const UnionTarget& t) { return state_.GetNextDispID(t, grfdex, id, pid); });
    }
    // The members of these objects live in no script namespace of their own.
    STDMETHODIMP GetNameSpaceParent(IUnknown** ppunk) override {
        if (!ppunk)
            return E_POINTER;
        *ppunk = nullptr;
        return E_NOTIMPL;
    }

protected:
    UnionDispatchImpl() = default;
    ~UnionDispatchImpl() = default;

    // Names looked up before the interfaces' members; none by default.
    virtual DynamicNames* ShadowingNames() { return nullptr; }
    // Names looked up after them, and the maker of fdexNameEnsure's new members: by default the
    // object's own expandos.
    virtual DynamicNames* FallbackNames() { return &expandos_; }

private:
    template <typename F>
    HRESULT With(F&& call) {
        void* const interfaces[] = {static_cast<Itfs*>(this)...};
        return call(UnionTarget{Declaration(), interfaces, ShadowingNames(), FallbackNames()});
    }

    UnionDispatchState state_;
    ExpandoNames expandos_;
};

} // namespace qx::com
