// CExternalDispatch, the toolbar page's window.external: five names by which the page drives the
// control ("ExecCommand", "QueryStatus", "InitComplete", "DocumentComplete", "FieldUpdate"), and
// the command switch and document steps behind them.
#pragma once

#include <mshtml.h>
#include <oaidl.h>
#include <qx/com/comptr.h>
#include <qx/com/object.h>
#include <qx/com/variant.h>

#include <map>

class CVelkor;

class CExternalDispatch : public qx::com::ObjectRoot, public IDispatch {
public:
    QX_BEGIN_INTERFACES(CExternalDispatch)
    QX_INTERFACE_ENTRY(IDispatch)
    QX_END_INTERFACES()
    static constexpr bool kAggregatable = false;

    // Makes the bridge of a control; *bridge is a plain pointer, *dispatch holds the reference.
    static HRESULT Create(CVelkor* owner, CExternalDispatch** bridge, IDispatch** dispatch);
    // The control is going: every known name then answers S_OK and does nothing.
    void ClearOwner() { owner_ = nullptr; }

    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                        VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) override;

    // The command switch: the id is the low 16 bits of command, signed.
    qx::com::Variant DoCommand(const VARIANT& command, const VARIANT& argument);
    // A command's state for the toolbar (VT_I2 FORMPROCESSOR_CMDF), or VT_EMPTY.
    qx::com::Variant QueryCommand(const VARIANT& command, const VARIANT& argument);
    // Rebuilds the field collection from the edited document; the number of fields.
    LONG CollectFields();
    // The editing control's document completed: attach, marker test, preparation.
    void PrepareDocument(LONG phase);
    // The document-ready step (message 0x7E9): field scan, events, initial focus.
    void DocumentReady();

    // The cells of the map whose runtime style has a background colour, renumbered from 0 in the
    // map's order.
    std::map<long, qx::com::Variant> CollectHighlightedCells(const std::map<long, qx::com::Variant>& cells);
    // Mode 0 empties every cell, 1 puts value as its bgColor, 2 gives every cell the opposite of
    // the "free" mark of the cell in value; other modes do nothing.
    void ApplyToCells(const std::map<long, qx::com::Variant>& cells, int mode, const VARIANT& value);
    // The control's context menu over the edited document, and the chosen item's action.
    void ShowContextMenu();

private:
    void MarkerTest(IHTMLDocument2* document);
    qx::com::ComPtr<IHTMLDocument2> EditedDocument() const;

    // The document commands and their statuses.
    SHORT EditMode();
    void ChangeMode();
    void ToggleCellLock();
    void ColourCells(const VARIANT& colour);
    void ClearCellContents();
    void OpenLinkInNewWindow();
    void RunMenuItem(UINT item);
    LONG InsertTableStatus();
    LONG TableLayoutStatus();
    LONG CellLockStatus();
    std::map<long, qx::com::Variant> HighlightedCellsOf(IHTMLElement* element);

    CVelkor* owner_ = nullptr;
};
