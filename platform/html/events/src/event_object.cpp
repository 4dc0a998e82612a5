#include "event_object.h"

#include "oleauto.h"
#include "qx/com/bstr.h"
#include "qx/com/object.h"
#include "qx/com/union_dispatch.h"
#include "qx/com/variant.h"

#include <algorithm>
#include <map>

namespace qx::html::events {
namespace {

HRESULT Out(LONG value, LONG* p) {
    if (!p)
        return E_POINTER;
    *p = value;
    return S_OK;
}
HRESULT Out(bool value, VARIANT_BOOL* p) {
    if (!p)
        return E_POINTER;
    *p = value ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}
HRESULT OutNull(IDispatch** p) {
    if (!p)
        return E_POINTER;
    *p = nullptr;
    return S_OK;
}
HRESULT OutObject(IDispatch* object, IDispatch** p) {
    if (!p)
        return E_POINTER;
    *p = object;
    if (object)
        object->AddRef();
    return S_OK;
}

std::u16string AttributeKey(BSTR name) {
    return dom::LowerAscii({name ? name : u"", SysStringLen(name)});
}

// The custom attributes as members, ahead of the interfaces' (a behaviour's "type" and "result"
// are its own).
class AttributeMembers final : public com::DynamicNames {
public:
    AttributeMembers(std::map<std::u16string, com::Variant>& attributes, const EventInit& init)
        : attributes_(attributes), init_(init) {}

    bool FindName(std::u16string_view name, bool, std::u16string* spelled) override {
        std::u16string key = dom::LowerAscii(name);
        // A behaviour's event reads its "type" and "result" as null until they are set.
        if (!attributes_.contains(key) && !(init_.typeFromAttribute && (key == u"type" || key == u"result")))
            return false;
        *spelled = std::move(key);
        return true;
    }
    HRESULT EnsureName(std::u16string_view) override { return DISP_E_UNKNOWNNAME; }
    HRESULT InvokeName(std::u16string_view name, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                       EXCEPINFO*, IServiceProvider*) override {
        const std::u16string key = dom::LowerAscii(name);
        if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
            if (!params || params->cArgs < 1)
                return DISP_E_BADPARAMCOUNT;
            const VARIANT& v = params->rgvarg[0];
            attributes_[key] = com::Variant((v.vt == (VT_BYREF | VT_VARIANT) && v.pvarVal) ? *v.pvarVal : v);
            return S_OK;
        }
        if (!(flags & DISPATCH_PROPERTYGET))
            return DISP_E_MEMBERNOTFOUND;
        if (!result)
            return S_OK;
        VariantInit(result);
        const auto found = attributes_.find(key);
        if (found == attributes_.end()) {
            result->vt = VT_NULL;
            return S_OK;
        }
        return VariantCopy(result, &found->second);
    }
    HRESULT DeleteName(std::u16string_view name) override {
        attributes_.erase(dom::LowerAscii(name));
        return S_OK;
    }
    DWORD NameProperties(std::u16string_view) override { return fdexPropCanGet | fdexPropCanPut; }
    void ListNames(std::vector<std::u16string>& names) override {
        for (const auto& [key, value] : attributes_)
            names.push_back(key);
    }

private:
    std::map<std::u16string, com::Variant>& attributes_;
    const EventInit& init_;
};

class CEventObject : public com::ObjectRoot,
                     public com::UnionDispatchImpl<IHTMLEventObj, IHTMLEventObj2>,
                     public IEventState {
public:
    QX_BEGIN_INTERFACES(CEventObject)
    QX_INTERFACE_ENTRY(IHTMLEventObj)
    QX_INTERFACE_ENTRY(IHTMLEventObj2)
    QX_INTERFACE_ENTRY(IDispatchEx)
    QX_INTERFACE_ENTRY2(IDispatch, IDispatchEx)
    QX_INTERFACE_ENTRY(IEventState)
    QX_END_INTERFACES()

    void Start(const EventInit& init, IDispatch* source) {
        init_ = init;
        source_ = source;
    }

    // IEventState
    EventInit& STDMETHODCALLTYPE Init() override { return init_; }
    bool STDMETHODCALLTYPE CancelBubble() override { return cancelBubble_; }
    // false in any form (a 2-byte 0 as well) cancels; a value never put does not.
    bool STDMETHODCALLTYPE Cancelled() override {
        if (returnValue_.vt == VT_EMPTY || returnValue_.vt == VT_NULL)
            return false;
        com::Variant asBool;
        return SUCCEEDED(VariantChangeType(&asBool, &returnValue_, 0, VT_BOOL)) &&
               asBool.boolVal == VARIANT_FALSE;
    }
    void STDMETHODCALLTYPE SetCancelled() override {
        returnValue_ = com::Variant();
        returnValue_.vt = VT_BOOL;
        returnValue_.boolVal = VARIANT_FALSE;
    }
    void STDMETHODCALLTYPE CopyFrom(IEventState* from) override {
        const std::u16string type = init_.type;
        init_ = from->Init();
        init_.type = type;
        attributes_ = static_cast<CEventObject*>(from)->attributes_;
    }

    // IHTMLEventObj
    STDMETHODIMP get_srcElement(IDispatch** p) override { return OutObject(source_.Get(), p); }
    STDMETHODIMP get_altKey(VARIANT_BOOL* p) override { return Out(init_.altKey, p); }
    STDMETHODIMP get_ctrlKey(VARIANT_BOOL* p) override { return Out(init_.ctrlKey, p); }
    STDMETHODIMP get_shiftKey(VARIANT_BOOL* p) override { return Out(init_.shiftKey, p); }
    STDMETHODIMP put_returnValue(VARIANT v) override {
        const VARIANT& value = (v.vt == (VT_BYREF | VT_VARIANT) && v.pvarVal) ? *v.pvarVal : v;
        returnValue_ = com::Variant(value);
        return S_OK;
    }
    STDMETHODIMP get_returnValue(VARIANT* p) override {
        if (!p)
            return E_POINTER;
        VariantInit(p);
        return VariantCopy(p, &returnValue_);
    }
    STDMETHODIMP put_cancelBubble(VARIANT_BOOL v) override {
        cancelBubble_ = v != VARIANT_FALSE;
        return S_OK;
    }
    STDMETHODIMP get_cancelBubble(VARIANT_BOOL* p) override { return Out(cancelBubble_, p); }
    STDMETHODIMP get_fromElement(IDispatch** p) override { return OutObject(init_.fromElement.Get(), p); }
    STDMETHODIMP get_toElement(IDispatch** p) override { return OutObject(init_.toElement.Get(), p); }
    STDMETHODIMP put_keyCode(LONG v) override {
        init_.keyCode = v;
        return S_OK;
    }
    STDMETHODIMP get_keyCode(LONG* p) override { return Out(init_.keyCode, p); }
    STDMETHODIMP get_button(LONG* p) override { return Out(init_.button, p); }
    STDMETHODIMP get_type(BSTR* p) override {
        if (!p)
            return E_POINTER;
        if (init_.typeFromAttribute) {
            const auto found = attributes_.find(u"type");
            const bool text = found != attributes_.end() && found->second.vt == VT_BSTR;
            *p = com::Bstr(
                     text ? std::u16string_view(found->second.bstrVal, SysStringLen(found->second.bstrVal))
                          : std::u16string_view())
                     .Detach();
            return S_OK;
        }
        *p = com::Bstr(init_.type).Detach();
        return S_OK;
    }
    STDMETHODIMP get_qualifier(BSTR* p) override {
        if (!p)
            return E_POINTER;
        *p = com::Bstr(u"").Detach();
        return S_OK;
    }
    STDMETHODIMP get_reason(LONG* p) override { return Out(0, p); }
    STDMETHODIMP get_x(LONG* p) override { return Out(init_.clientX, p); }
    STDMETHODIMP get_y(LONG* p) override { return Out(init_.clientY, p); }
    STDMETHODIMP get_clientX(LONG* p) override { return Out(init_.clientX, p); }
    STDMETHODIMP get_clientY(LONG* p) override { return Out(init_.clientY, p); }
    STDMETHODIMP get_offsetX(LONG* p) override { return Out(init_.offsetX, p); }
    STDMETHODIMP get_offsetY(LONG* p) override { return Out(init_.offsetY, p); }
    STDMETHODIMP get_screenX(LONG* p) override { return Out(init_.screenX, p); }
    STDMETHODIMP get_screenY(LONG* p) override { return Out(init_.screenY, p); }
    STDMETHODIMP get_srcFilter(IDispatch** p) override { return OutNull(p); }

    // IHTMLEventObj2: custom attributes, names in any case
    STDMETHODIMP setAttribute(BSTR name, VARIANT value, LONG) override {
        const VARIANT& v = (value.vt == (VT_BYREF | VT_VARIANT) && value.pvarVal) ? *value.pvarVal : value;
        attributes_[AttributeKey(name)] = com::Variant(v);
        return S_OK;
    }
    STDMETHODIMP getAttribute(BSTR name, LONG, VARIANT* p) override {
        if (!p)
            return E_POINTER;
        VariantInit(p);
        const auto found = attributes_.find(AttributeKey(name));
        if (found == attributes_.end()) {
            p->vt = VT_NULL;
            return S_OK;
        }
        return VariantCopy(p, &found->second);
    }
    STDMETHODIMP removeAttribute(BSTR name, LONG, VARIANT_BOOL* p) override {
        const bool removed = attributes_.erase(AttributeKey(name)) > 0;
        return p ? Out(removed, p) : S_OK;
    }

protected:
    com::DynamicNames* ShadowingNames() override { return &members_; }

private:
    EventInit init_;
    com::ComPtr<IDispatch> source_;
    com::Variant returnValue_;
    bool cancelBubble_ = false;
    std::map<std::u16string, com::Variant> attributes_;
    AttributeMembers members_{attributes_, init_};
};

} // namespace

HRESULT CreateEventObject(const EventInit& init, IDispatch* source, IDispatch** event) {
    if (!event)
        return E_POINTER;
    *event = nullptr;
    com::ObjectPtr<CEventObject> object;
    const HRESULT hr = com::CreateObject<CEventObject>(object);
    if (FAILED(hr))
        return hr;
    object->Start(init, source);
    return object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(event));
}

HRESULT CreateBehaviorEventObject(IDispatch** event) {
    EventInit init;
    init.typeFromAttribute = true;
    return CreateEventObject(init, nullptr, event);
}

} // namespace qx::html::events
