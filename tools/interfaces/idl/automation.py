"""Automation types: the VARTYPE a C++ parameter type travels as, and the numeric names."""

# The C++ spelling of a value type and its VARTYPE.
VALUE_TYPES = {
    "BSTR": "VT_BSTR",
    "VARIANT_BOOL": "VT_BOOL",
    "VARIANT": "VT_VARIANT",
    "IDispatch*": "VT_DISPATCH",
    "IUnknown*": "VT_UNKNOWN",
    "SAFEARRAY*": "VT_ARRAY | VT_VARIANT",
    "LONG": "VT_I4",
    "long": "VT_I4",
    "ULONG": "VT_UI4",
    "SHORT": "VT_I2",
    "short": "VT_I2",
    "USHORT": "VT_UI2",
    "BYTE": "VT_UI1",
    "CHAR": "VT_I1",
    "char": "VT_I1",
    "INT": "VT_INT",
    "int": "VT_INT",
    "UINT": "VT_UINT",
    "LONGLONG": "VT_I8",
    "ULONGLONG": "VT_UI8",
    "FLOAT": "VT_R4",
    "float": "VT_R4",
    "DOUBLE": "VT_R8",
    "double": "VT_R8",
    "DATE": "VT_DATE",
    "CY": "VT_CY",
    "DECIMAL": "VT_DECIMAL",
    "SCODE": "VT_ERROR",
}

# The VARTYPEs an event argument can be fired with (qx::com::EventArg).
EVENT_TYPES = {
    "VT_BSTR", "VT_BOOL", "VT_VARIANT", "VT_DISPATCH", "VT_UNKNOWN", "VT_I4", "VT_UI4", "VT_I2",
    "VT_UI2", "VT_UI1", "VT_I1", "VT_INT", "VT_UINT", "VT_I8", "VT_UI8", "VT_R4", "VT_R8", "VT_DATE",
    "VT_CY", "VT_DECIMAL", "VT_ERROR",
}

# DISPIDs by name, for the checks (the generated code keeps the name).
DISPIDS = {
    "DISPID_VALUE": 0,
    "DISPID_UNKNOWN": -1,
    "DISPID_PROPERTYPUT": -3,
    "DISPID_NEWENUM": -4,
    "DISPID_EVALUATE": -5,
    "DISPID_CONSTRUCTOR": -6,
    "DISPID_DESTRUCTOR": -7,
    "DISPID_READYSTATE": -525,
}

FUNC_FLAGS = {
    "restricted": "FUNCFLAG_FRESTRICTED",
    "source": "FUNCFLAG_FSOURCE",
    "bindable": "FUNCFLAG_FBINDABLE",
    "requestedit": "FUNCFLAG_FREQUESTEDIT",
    "displaybind": "FUNCFLAG_FDISPLAYBIND",
    "defaultbind": "FUNCFLAG_FDEFAULTBIND",
    "hidden": "FUNCFLAG_FHIDDEN",
    "defaultcollelem": "FUNCFLAG_FDEFAULTCOLLELEM",
    "uidefault": "FUNCFLAG_FUIDEFAULT",
    "nonbrowsable": "FUNCFLAG_FNONBROWSABLE",
    "replaceable": "FUNCFLAG_FREPLACEABLE",
    "immediatebind": "FUNCFLAG_FIMMEDIATEBIND",
}

# Extra flags of an interface's type (dual interfaces get FDUAL and FOLEAUTOMATION anyway).
INTERFACE_FLAGS = {
    "hidden": "TYPEFLAG_FHIDDEN",
    "restricted": "TYPEFLAG_FRESTRICTED",
    "nonextensible": "TYPEFLAG_FNONEXTENSIBLE",
    "oleautomation": "TYPEFLAG_FOLEAUTOMATION",
    "proxy": "TYPEFLAG_FPROXY",
    "replaceable": "TYPEFLAG_FREPLACEABLE",
}

# A coclass is creatable unless it says noncreatable.
COCLASS_FLAGS = {
    "appobject": "TYPEFLAG_FAPPOBJECT",
    "licensed": "TYPEFLAG_FLICENSED",
    "hidden": "TYPEFLAG_FHIDDEN",
    "control": "TYPEFLAG_FCONTROL",
    "aggregatable": "TYPEFLAG_FAGGREGATABLE",
    "restricted": "TYPEFLAG_FRESTRICTED",
}

IMPL_FLAGS = {
    "default": "IMPLTYPEFLAG_FDEFAULT",
    "source": "IMPLTYPEFLAG_FSOURCE",
    "restricted": "IMPLTYPEFLAG_FRESTRICTED",
    "defaultvtable": "IMPLTYPEFLAG_FDEFAULTVTABLE",
}

LIBRARY_FLAGS = {
    "restricted": "LIBFLAG_FRESTRICTED",
    "control": "LIBFLAG_FCONTROL",
    "hidden": "LIBFLAG_FHIDDEN",
}


def normalize_type(text):
    """'IDispatch *' -> 'IDispatch*', 'const  OLECHAR*' -> 'const OLECHAR*'."""
    text = " ".join(text.split())
    text = text.replace(" *", "*").replace("* ", "*")
    return text


def value_vt(cxx_type, enums):
    """The VARTYPE of an [in] parameter's type, or None; an enum of the file travels as VT_I4."""
    t = normalize_type(cxx_type)
    if t in VALUE_TYPES:
        return VALUE_TYPES[t]
    if t in ("VARIANT*", "const VARIANT*"):
        return "VT_VARIANT"
    if t in ("const OLECHAR*", "LPCOLESTR"):
        return "VT_BSTR"
    if t in enums:
        return "VT_I4"
    return None


def pointee(cxx_type):
    t = normalize_type(cxx_type)
    return t[:-1] if t.endswith("*") else None


def dispid_value(text):
    """The number a DISPID stands for, or None for a name this generator does not know."""
    if text in DISPIDS:
        return DISPIDS[text]
    try:
        return int(text, 0)
    except ValueError:
        return None
