// "QxTest.Control": an in-process server with one ActiveX control built on the control framework
// the way a component's would be, and a twin of it whose IObjectSafety refuses everything.
#include "test_control.h"

#include <objbase.h>
#include <objbase_activation.h>
#include <olectl.h>
#include <qx/com/bstr.h>
#include <qx/com/class_info.h>
#include <qx/com/connection_point.h>
#include <qx/com/control/control_base.h>
#include <qx/com/control/in_place_object.h>
#include <qx/com/control/ole_control.h>
#include <qx/com/control/ole_object.h>
#include <qx/com/control/persistence.h>
#include <qx/com/control/view_object.h>
#include <qx/com/dispatch.h>
#include <qx/com/error_info.h>
#include <qx/com/object.h>
#include <qx/com/object_safety.h>
#include <wingdi.h>
#include <winmodule.h>

#include <string>

namespace {

using namespace qx::com::control;

inline constexpr PropertyEntry kTestProperties[] = {
    {u"_cx", 0, VT_UI4}, {u"_cy", 0, VT_UI4}, {u"Caption", 1, VT_BSTR}, {u"Count", 2, VT_I4}};

class CTestControl
    : public qx::com::ObjectRoot,
      public ControlImpl<CTestControl>,
      public qx::com::DispatchImpl<ITestControl>,
      public ViewObjectExImpl<CTestControl>,
      public OleInPlaceObjectWindowlessImpl<CTestControl>,
      public OleInPlaceActiveObjectImpl<CTestControl>,
      public OleControlImpl<CTestControl>,
      public OleObjectImpl<CTestControl>,
      public PersistStreamInitImpl<CTestControl>,
      public SpecifyPropertyPagesImpl<CTestControl>,
      public QuickActivateImpl<CTestControl>,
      public PersistStorageImpl<CTestControl>,
      public DataObjectImpl<CTestControl>,
      public qx::com::ProvideClassInfo2Impl<qx::test::kTestControlLibrary, CLSID_TestControl>,
      public qx::com::ObjectSafetyImpl<INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA>,
      public qx::com::SupportErrorInfoImpl<ITestControl>,
      public qx::com::ConnectionPointContainerImpl,
      public PersistPropertyBagImpl<CTestControl> {
public:
    using Self = CTestControl;
    QX_BEGIN_INTERFACES(CTestControl)
    QX_INTERFACE_ENTRY(ITestControl)
    QX_INTERFACE_ENTRY2(IDispatch, ITestControl)
    QX_INTERFACE_ENTRY(IViewObjectEx)
    QX_INTERFACE_ENTRY2(IViewObject2, IViewObjectEx)
    QX_INTERFACE_ENTRY2(IViewObject, IViewObjectEx)
    QX_INTERFACE_ENTRY(IOleInPlaceObjectWindowless)
    QX_INTERFACE_ENTRY2(IOleInPlaceObject, IOleInPlaceObjectWindowless)
    QX_INTERFACE_ENTRY2(IOleWindow, IOleInPlaceObjectWindowless)
    QX_INTERFACE_ENTRY(IOleInPlaceActiveObject)
    QX_INTERFACE_ENTRY(IOleControl)
    QX_INTERFACE_ENTRY(IOleObject)
    QX_INTERFACE_ENTRY(IPersistStreamInit)
    QX_INTERFACE_ENTRY2(IPersist, IPersistStreamInit)
    QX_INTERFACE_ENTRY(ISpecifyPropertyPages)
    QX_INTERFACE_ENTRY(IQuickActivate)
    QX_INTERFACE_ENTRY(IPersistStorage)
    QX_INTERFACE_ENTRY(IDataObject)
    QX_INTERFACE_ENTRY(IProvideClassInfo)
    QX_INTERFACE_ENTRY(IProvideClassInfo2)
    QX_INTERFACE_ENTRY(IObjectSafety)
    QX_INTERFACE_ENTRY(ISupportErrorInfo)
    QX_INTERFACE_ENTRY(IConnectionPointContainer)
    QX_INTERFACE_ENTRY(IPersistPropertyBag)
    QX_END_INTERFACES()

    CTestControl() { AddConnectionPoint(IID_IPropertyNotifySink); }

    const CLSID& ClassId() const override { return CLSID_TestControl; }
    std::span<const PropertyEntry> PropertyMap() const override { return kTestProperties; }
    std::span<const CLSID> PropertyPages() const override { return {&CLSID_TestControl, 1}; }

    using PersistStreamInitImpl<CTestControl>::Load;
    using PersistStorageImpl<CTestControl>::Load;
    // Notes the type each PARAM arrives as, then loads the property map.
    STDMETHODIMP Load(IPropertyBag* pPropBag, IErrorLog* pErrorLog) override {
        if (!pPropBag)
            return E_POINTER;
        paramTypes_.clear();
        for (const char16_t* name : {u"Caption", u"Count"}) {
            qx::com::Variant value;
            if (SUCCEEDED(pPropBag->Read(name, &value, pErrorLog))) {
                const std::string vt = std::to_string(value.vt);
                paramTypes_ += std::u16string(name) + u"=" + std::u16string(vt.begin(), vt.end()) + u";";
            }
        }
        return PersistPropertyBagImpl<Self>::Load(pPropBag, pErrorLog);
    }

    STDMETHODIMP get_Caption(BSTR* pVal) override {
        if (!pVal)
            return E_POINTER;
        *pVal = qx::com::Bstr(caption_).Detach();
        return S_OK;
    }
    STDMETHODIMP put_Caption(BSTR newVal) override {
        caption_.assign(newVal ? newVal : u"", SysStringLen(newVal));
        this->SetDirty(true);
        this->FireOnChanged(1);
        this->FireViewChange();
        return S_OK;
    }
    STDMETHODIMP get_Count(LONG* pVal) override {
        if (!pVal)
            return E_POINTER;
        *pVal = count_;
        return S_OK;
    }
    STDMETHODIMP put_Count(LONG newVal) override {
        if (newVal < 0)
            return qx::com::ReportError(IID_ITestControl, u"TestControl.Count", u"Count cannot be negative",
                                        E_INVALIDARG);
        count_ = newVal;
        this->SetDirty(true);
        this->FireOnChanged(2);
        return S_OK;
    }
    STDMETHODIMP get_ParamTypes(BSTR* pVal) override {
        if (!pVal)
            return E_POINTER;
        *pVal = qx::com::Bstr(paramTypes_).Detach();
        return S_OK;
    }
    STDMETHODIMP Fire(BSTR text, LONG number) override {
        if (!this->EventsFrozen())
            events_.Fire_Changed(text, number);
        return S_OK;
    }
    STDMETHODIMP get_HasWindow(VARIANT_BOOL* pVal) override {
        if (!pVal)
            return E_POINTER;
        *pVal = this->Window() ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    STDMETHODIMP Grow(LONG width, LONG height) override {
        SIZEL extent{PixelsToHimetric(width), PixelsToHimetric(height)};
        return ControlBase::SetExtent(extent);
    }

    STDMETHODIMP get_DrawCount(LONG* pVal) override {
        if (!pVal)
            return E_POINTER;
        *pVal = draws_;
        return S_OK;
    }

    // Frames its bounds and counts the draws, so that a test can see the view draw.
    HRESULT OnDraw(HDC hdc, const RECT& bounds) override {
        ++draws_;
        Rectangle(hdc, bounds.left, bounds.top, bounds.right, bounds.bottom);
        return S_OK;
    }

private:
    qx::test::CProxy_DTestControlEvents events_{*this};
    std::u16string caption_;
    LONG count_ = 0;
    std::u16string paramTypes_;
    LONG draws_ = 0;
};

// The same control under another class, refusing every safety option it is asked for.
class CUnsafeControl : public CTestControl {
public:
    const CLSID& ClassId() const override { return CLSID_TestUnsafeControl; }
    STDMETHODIMP GetClassInfo(ITypeInfo** ppTI) override {
        if (!ppTI)
            return E_POINTER;
        return qx::com::GetClassTypeInfo(qx::test::kTestControlLibrary, CLSID_TestUnsafeControl, ppTI);
    }
    STDMETHODIMP GetInterfaceSafetyOptions(REFIID, DWORD* supported, DWORD* enabled) override {
        if (!supported || !enabled)
            return E_POINTER;
        *supported = *enabled = 0;
        return S_OK;
    }
    STDMETHODIMP SetInterfaceSafetyOptions(REFIID, DWORD mask, DWORD) override {
        return mask ? E_FAIL : S_OK;
    }
};

} // namespace

extern "C" __attribute__((visibility("default"))) HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid,
                                                                            void** ppv) {
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (clsid == CLSID_TestControl)
        return qx::com::CreateClassFactory(&qx::com::CreateInstance<CTestControl>, riid, ppv);
    if (clsid == CLSID_TestUnsafeControl)
        return qx::com::CreateClassFactory(&qx::com::CreateInstance<CUnsafeControl>, riid, ppv);
    return CLASS_E_CLASSNOTAVAILABLE;
}

extern "C" __attribute__((visibility("default"))) HRESULT DllCanUnloadNow() {
    return qx::com::ModuleLockCount() == 0 ? S_OK : S_FALSE;
}
