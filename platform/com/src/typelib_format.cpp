// The binary type-library form. Little-endian throughout; text is a 32-bit count of UTF-16 units
// followed by the units.
//
//   "QXTL" u16 version(1) u16 0
//   library: GUID u32 lcid u16 major u16 minor u16 flags  text name  text help  text helpFile
//   u32 typeCount, then per type:
//     u8 kind  GUID  text name  text help  u16 typeFlags
//     u32 funcCount, per func: text name  text help  i32 dispid  u16 invkind  u16 funcFlags  i16 oVft
//                              u16 paramCount, per param: text name  u16 vt  u16 flags  i32 defaultNumber
//                                                          text defaultText  i32 enumTypeIndex (-1: none)
//     u32 varCount, per var: text name  text help  i32 value  i32 memid
//     u32 implCount, per impl: u32 typeIndex  i32 flags
//   GUID: u32 Data1 u16 Data2 u16 Data3 8 bytes Data4
#include "type_model.h"

#include <cstring>

namespace qx::com::detail {

namespace {

constexpr char kMagic[4] = {'Q', 'X', 'T', 'L'};
constexpr WORD kVersion = 1;
constexpr std::size_t kMaxText = 0x10000;

class Writer {
public:
    void U8(BYTE v) { bytes.push_back(v); }
    void U16(WORD v) {
        U8(static_cast<BYTE>(v));
        U8(static_cast<BYTE>(v >> 8));
    }
    void U32(DWORD v) {
        U16(static_cast<WORD>(v));
        U16(static_cast<WORD>(v >> 16));
    }
    void I32(LONG v) { U32(static_cast<DWORD>(v)); }
    void Guid(const GUID& g) {
        U32(g.Data1);
        U16(g.Data2);
        U16(g.Data3);
        for (BYTE b : g.Data4)
            U8(b);
    }
    void Text(const std::u16string& s) {
        U32(static_cast<DWORD>(s.size()));
        for (char16_t c : s)
            U16(c);
    }
    std::vector<BYTE> bytes;
};

class Reader {
public:
    Reader(const BYTE* data, std::size_t size) : p_(data), end_(data + size) {}
    bool ok() const { return ok_; }
    bool AtEnd() const { return p_ == end_; }
    std::size_t Left() const { return static_cast<std::size_t>(end_ - p_); }
    BYTE U8() {
        if (!Need(1))
            return 0;
        return *p_++;
    }
    WORD U16() {
        if (!Need(2))
            return 0;
        WORD v = static_cast<WORD>(p_[0] | (p_[1] << 8));
        p_ += 2;
        return v;
    }
    DWORD U32() {
        DWORD lo = U16();
        DWORD hi = U16();
        return lo | (hi << 16);
    }
    LONG I32() { return static_cast<LONG>(U32()); }
    GUID Guid() {
        GUID g{};
        g.Data1 = U32();
        g.Data2 = U16();
        g.Data3 = U16();
        for (BYTE& b : g.Data4)
            b = U8();
        return g;
    }
    std::u16string Text() {
        DWORD n = U32();
        if (n > kMaxText || !Need(static_cast<std::size_t>(n) * 2)) {
            ok_ = false;
            return {};
        }
        std::u16string s(n, u'\0');
        for (DWORD i = 0; i < n; ++i)
            s[i] = static_cast<char16_t>(p_[2 * i] | (p_[2 * i + 1] << 8));
        p_ += static_cast<std::size_t>(n) * 2;
        return s;
    }
    // A count of records of at least minSize bytes each, checked against what is left.
    DWORD Count(std::size_t minSize) {
        DWORD n = U32();
        if (static_cast<unsigned long long>(n) * minSize > Left()) {
            ok_ = false;
            return 0;
        }
        return n;
    }
    void Fail() { ok_ = false; }

private:
    bool Need(std::size_t n) {
        if (!ok_ || Left() < n) {
            ok_ = false;
            return false;
        }
        return true;
    }
    const BYTE* p_;
    const BYTE* end_;
    bool ok_ = true;
};

bool ValidKind(BYTE kind) {
    return kind == TKIND_ENUM || kind == TKIND_INTERFACE || kind == TKIND_DISPATCH || kind == TKIND_COCLASS;
}

bool ValidInvokeKind(WORD k) {
    return k == INVOKE_FUNC || k == INVOKE_PROPERTYGET || k == INVOKE_PROPERTYPUT ||
           k == INVOKE_PROPERTYPUTREF;
}

} // namespace

std::vector<BYTE> Serialize(const LibraryModel& m) {
    Writer w;
    for (char c : kMagic)
        w.U8(static_cast<BYTE>(c));
    w.U16(kVersion);
    w.U16(0);
    w.Guid(m.libid);
    w.U32(m.lcid);
    w.U16(m.major);
    w.U16(m.minor);
    w.U16(m.libFlags);
    w.Text(m.name);
    w.Text(m.help);
    w.Text(m.helpFile);
    w.U32(static_cast<DWORD>(m.types.size()));
    for (const TypeModel& t : m.types) {
        w.U8(static_cast<BYTE>(t.kind));
        w.Guid(t.guid);
        w.Text(t.name);
        w.Text(t.help);
        w.U16(t.typeFlags);
        w.U32(static_cast<DWORD>(t.funcs.size()));
        for (const FuncModel& f : t.funcs) {
            w.Text(f.name);
            w.Text(f.help);
            w.I32(f.id);
            w.U16(f.invkind);
            w.U16(f.funcFlags);
            w.U16(static_cast<WORD>(f.oVft));
            w.U16(static_cast<WORD>(f.params.size()));
            for (const ParamModel& p : f.params) {
                w.Text(p.name);
                w.U16(p.vt);
                w.U16(p.flags);
                w.I32(p.defaultNumber);
                w.Text(p.defaultText);
                w.I32(p.userType);
            }
        }
        w.U32(static_cast<DWORD>(t.vars.size()));
        for (const VarModel& v : t.vars) {
            w.Text(v.name);
            w.Text(v.help);
            w.I32(v.value);
            w.I32(v.id);
        }
        w.U32(static_cast<DWORD>(t.impls.size()));
        for (const ImplModel& i : t.impls) {
            w.U32(i.typeIndex);
            w.I32(i.flags);
        }
    }
    return std::move(w.bytes);
}

HRESULT Deserialize(const BYTE* data, std::size_t size, LibraryModel& out) {
    out = LibraryModel{};
    if (!data || size < 8 || std::memcmp(data, kMagic, 4) != 0)
        return TYPE_E_UNSUPFORMAT;
    Reader r(data + 4, size - 4);
    if (r.U16() != kVersion || r.U16() != 0)
        return TYPE_E_UNSUPFORMAT;
    LibraryModel m;
    m.libid = r.Guid();
    m.lcid = r.U32();
    m.major = r.U16();
    m.minor = r.U16();
    m.libFlags = r.U16();
    m.name = r.Text();
    m.help = r.Text();
    m.helpFile = r.Text();
    // Smallest records: type 39 bytes, func 20, param 20, var 16, impl 8.
    DWORD typeCount = r.Count(39);
    for (DWORD ti = 0; ti < typeCount && r.ok(); ++ti) {
        TypeModel t;
        BYTE kind = r.U8();
        if (!ValidKind(kind))
            return TYPE_E_INVDATAREAD;
        t.kind = static_cast<TYPEKIND>(kind);
        t.guid = r.Guid();
        t.name = r.Text();
        t.help = r.Text();
        t.typeFlags = r.U16();
        DWORD funcCount = r.Count(20);
        if (funcCount > 0xFFFF)
            return TYPE_E_INVDATAREAD;
        for (DWORD fi = 0; fi < funcCount && r.ok(); ++fi) {
            FuncModel f;
            f.name = r.Text();
            f.help = r.Text();
            f.id = r.I32();
            f.invkind = r.U16();
            f.funcFlags = r.U16();
            f.oVft = static_cast<SHORT>(r.U16());
            WORD paramCount = r.U16();
            if (!ValidInvokeKind(f.invkind) || static_cast<std::size_t>(paramCount) * 20 > r.Left())
                return TYPE_E_INVDATAREAD;
            for (WORD pi = 0; pi < paramCount && r.ok(); ++pi) {
                ParamModel p;
                p.name = r.Text();
                p.vt = r.U16();
                p.flags = r.U16();
                p.defaultNumber = r.I32();
                p.defaultText = r.Text();
                p.userType = r.I32();
                if (!IsParamType(p.vt))
                    return TYPE_E_INVDATAREAD;
                // Only the last parameter may be the [out, retval] one.
                if ((p.flags & PARAMFLAG_FRETVAL) && pi + 1 != paramCount)
                    return TYPE_E_INVDATAREAD;
                f.params.push_back(std::move(p));
            }
            t.funcs.push_back(std::move(f));
        }
        DWORD varCount = r.Count(16);
        if (varCount > 0xFFFF)
            return TYPE_E_INVDATAREAD;
        for (DWORD vi = 0; vi < varCount && r.ok(); ++vi) {
            VarModel v;
            v.name = r.Text();
            v.help = r.Text();
            v.value = r.I32();
            v.id = r.I32();
            t.vars.push_back(std::move(v));
        }
        DWORD implCount = r.Count(8);
        if (implCount > 0xFFFF)
            return TYPE_E_INVDATAREAD;
        for (DWORD ii = 0; ii < implCount && r.ok(); ++ii) {
            ImplModel i;
            i.typeIndex = r.U32();
            i.flags = r.I32();
            t.impls.push_back(i);
        }
        m.types.push_back(std::move(t));
    }
    if (!r.ok() || !r.AtEnd() || m.types.size() > 0xFFFF)
        return TYPE_E_INVDATAREAD;
    // Implemented types must be interfaces of this library, parameter types its enums.
    for (const TypeModel& t : m.types)
        for (const FuncModel& f : t.funcs)
            for (const ParamModel& p : f.params)
                if (p.userType != -1 &&
                    (p.userType < 0 || static_cast<std::size_t>(p.userType) >= m.types.size() ||
                     m.types[static_cast<std::size_t>(p.userType)].kind != TKIND_ENUM || p.vt != VT_I4))
                    return TYPE_E_INVDATAREAD;
    for (const TypeModel& t : m.types)
        for (const ImplModel& i : t.impls)
            if (i.typeIndex >= m.types.size() ||
                (m.types[i.typeIndex].kind != TKIND_DISPATCH && m.types[i.typeIndex].kind != TKIND_INTERFACE))
                return TYPE_E_INVDATAREAD;
    out = std::move(m);
    return S_OK;
}

} // namespace qx::com::detail

namespace qx::com {

HRESULT WriteTypeLibrary(const LibraryDesc& library, std::vector<BYTE>& bytes) {
    detail::LibraryModel model;
    HRESULT hr = detail::ModelOf(library, model);
    if (FAILED(hr))
        return hr;
    bytes = detail::Serialize(model);
    return S_OK;
}

HRESULT LoadTypeLibFromMemory(const void* data, std::size_t size, ITypeLib** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    auto model = std::make_shared<detail::LibraryModel>();
    HRESULT hr = detail::Deserialize(static_cast<const BYTE*>(data), size, *model);
    if (FAILED(hr))
        return hr;
    return detail::CreateTypeLibObject(std::move(model), out);
}

HRESULT CreateTypeLib(const LibraryDesc& library, ITypeLib** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    auto model = std::make_shared<detail::LibraryModel>();
    HRESULT hr = detail::ModelOf(library, *model);
    if (FAILED(hr))
        return hr;
    return detail::CreateTypeLibObject(std::move(model), out);
}

} // namespace qx::com
