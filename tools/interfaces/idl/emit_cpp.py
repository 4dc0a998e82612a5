"""The C++ header of a description: interface structs, override lists, dispatch declarations,
event firing and the type library's tables."""

from .model import Coclass, Enum, Guid, Import, Include, Interface, Library, Verbatim
from .parser import full_members


def literal(text):
    """A u"..." literal, or nullptr."""
    if text is None:
        return "nullptr"
    out = []
    for c in text:
        if c in '"\\':
            out.append("\\" + c)
        elif c == "\n":
            out.append("\\n")
        elif ord(c) < 0x20:
            out.append(f"\\x{ord(c):02x}")
        else:
            out.append(c)
    return 'u"' + "".join(out) + '"'


def qualified(namespace, name):
    return f"{namespace}::{name}" if namespace else f"::{name}"


def vt_expr(vt):
    return f"static_cast<VARTYPE>({vt})" if "|" in vt else vt


def param_list(member):
    if member.params and member.params[0].raw is not None:
        return ", ".join(p.raw for p in member.params)
    return ", ".join(f"{p.type} {p.name}" for p in member.params)


def params_array(itf, member):
    return f"k{itf.stem}_{member.cxx_name}Params"


def needs_array(member):
    """Whether the member's parameters go into a table of their own (else DispPropGet/Put make it)."""
    if not member.params:
        return False
    if member.short_form and not member.params[0].type_name:
        return False
    return True


def param_flags(p):
    flags = []
    if p.direction_in:
        flags.append("PARAMFLAG_FIN")
    if p.direction_out:
        flags.append("PARAMFLAG_FOUT")
    if p.retval:
        flags.append("PARAMFLAG_FRETVAL")
    if p.optional or p.default is not None:
        flags.append("PARAMFLAG_FOPT")
    if p.default is not None:
        flags.append("PARAMFLAG_FHASDEFAULT")
    return " | ".join(flags)


def disp_param(p):
    number, text = "0", "nullptr"
    if p.default is not None:
        if p.default.startswith('"'):
            text = "u" + p.default
        else:
            number = p.default
    extra = [number, text, literal(p.type_name) if p.type_name else "nullptr"]
    while extra and extra[-1] == ("0", "nullptr", "nullptr")[len(extra) - 1]:
        extra.pop()
    return "{" + ", ".join([literal(p.name), vt_expr(p.vt), param_flags(p)] + extra) + "}"


def tail_args(member, with_flags=True):
    """The optional help and function flags of a Disp* call."""
    args = []
    flags = " | ".join(member.flags)
    if member.help is not None or (flags and with_flags):
        args.append(literal(member.help))
    if flags and with_flags:
        args.append(flags)
    return args


class Emitter:
    def __init__(self, desc, source_name):
        self.desc = desc
        self.source_name = source_name
        self.out = []
        self.known = desc.known_interfaces

    def line(self, text=""):
        self.out.append(text)

    def comments(self, lines, indent=""):
        for c in lines:
            self.line(f"{indent}// {c}" if c else f"{indent}//")

    def open_namespace(self, namespace):
        if namespace:
            self.line(f"namespace {namespace} {{")
            self.line()

    def close_namespace(self, namespace):
        if namespace:
            self.line()
            self.line(f"}} // namespace {namespace}")

    # ---- the file ----------------------------------------------------------------------------
    def header(self):
        d = self.desc
        self.comments(d.leading)
        self.line(f"// Generated from {self.source_name} by tools/interfaces: edit the description, not this file.")
        self.line("#pragma once")
        self.line()
        for item in d.items:
            if isinstance(item, Include):
                self.comments(item.comments)
                self.line(f"#include {item.text}")
            elif isinstance(item, Import):
                self.comments(item.comments)
                self.line(f'#include "{item.description.header}"')
        interfaces = d.interfaces()
        qx = []
        if interfaces or any(isinstance(i, Guid) for i in d.items) or d.library:
            qx.append("qx/com/interface.h")
        if any(i.automation for i in interfaces):
            qx.append("qx/com/dispatch_decl.h")
        if any(self.is_source(i) for i in interfaces):
            qx.append("qx/com/event_source.h")
        if d.library:
            qx.append("qx/com/type_library.h")
        for h in qx:
            self.line(f"#include <{h}>")
        self.line()
        self.line("#include <iterator>")
        declared = [i for i in interfaces if i.kind != "dispinterface"]
        if declared:
            self.line()
            for itf in declared:
                self.line(f'QX_DECLARE_INTERFACE({itf.name}, "{itf.guid}");')
        previous = None
        for item in d.items:
            if isinstance(item, Guid):
                if not isinstance(previous, Guid) or item.comments:
                    self.line()
                self.comments(item.comments)
                trailing = f" // {item.trailing}" if item.trailing else ""
                self.line(f'QX_DEFINE_GUID({item.name}, "{item.guid}");{trailing}')
            elif isinstance(item, Verbatim):
                self.line()
                self.comments(item.comments)
                self.out.extend(item.lines)
            elif isinstance(item, Enum):
                self.enum(item)
            elif isinstance(item, Library):
                self.line()
                self.comments(item.comments)
                self.line(f'QX_DEFINE_GUID(LIBID_{item.name}, "{item.guid}");')
            elif isinstance(item, Coclass):
                self.line()
                self.comments(item.comments)
                self.line(f'QX_DEFINE_GUID(CLSID_{item.name}, "{item.guid}");')
            elif isinstance(item, Interface):
                self.interface(item)
            previous = item
        if d.library:
            self.library(d.library)
        return "\n".join(self.out).rstrip("\n") + "\n"

    def enum(self, enum):
        self.line()
        self.comments(enum.comments)
        if enum.guid:
            self.line(f'QX_DEFINE_GUID(GUID_{enum.name}, "{enum.guid}");')
        underlying = f" : {enum.underlying}" if enum.underlying else ""
        self.line(f"enum {enum.name}{underlying} {{")
        for v in enum.values:
            self.comments(v.comments, "    ")
            value = f" = {v.value}" if v.value is not None else ""
            trailing = f" // {v.trailing}" if v.trailing else ""
            self.line(f"    {v.name}{value},{trailing}")
        self.line("};")

    # ---- interfaces --------------------------------------------------------------------------
    def interface(self, itf):
        if itf.kind != "dispinterface":
            self.struct(itf)
            self.overrides(itf)
        else:
            self.line()
            self.comments(itf.comments)
            self.line(f'QX_DEFINE_GUID({itf.iid_name}, "{itf.guid}");')
        if itf.automation:
            self.declaration(itf)
        if self.is_source(itf):
            self.proxy(itf)

    def struct(self, itf):
        self.line()
        self.comments(itf.comments)
        self.line(f"struct {itf.name} : {itf.base} {{")
        for m in itf.members:
            self.comments(m.comments, "    ")
            trailing = f" // {m.trailing}" if m.trailing else ""
            self.line(f"    STDMETHOD({m.cxx_name})({param_list(m)}) PURE;{trailing}")
        if itf.members:
            self.line()
        self.line("protected:")
        self.line(f"    ~{itf.name}() = default;")
        self.line("};")

    def overrides(self, itf):
        self.line()
        self.line(f"// What a class implementing {itf.name} declares: the members it adds to {itf.base}.")
        self.line(f"// Write QX_OVERRIDES_{itf.name}; in the class.")
        lines = [f"STDMETHODIMP {m.cxx_name}({param_list(m)}) override" for m in itf.members]
        if not lines:
            self.line(f"#define QX_OVERRIDES_{itf.name} static_assert(true)")
            return
        self.line(f"#define QX_OVERRIDES_{itf.name} \\")
        for i, text in enumerate(lines):
            last = i + 1 == len(lines)
            self.line(f"    {text}" + ("" if last else "; \\"))

    def declaration(self, itf):
        ns = itf.namespace
        arrays = [m for m in itf.members if needs_array(m)]
        self.line()
        self.open_namespace(ns)
        for m in arrays:
            items = [disp_param(p) for p in m.params]
            self.line(f"inline constexpr qx::com::DispParam {params_array(itf, m)}[] = {{{', '.join(items)}}};")
        listed = full_members(itf, self.known)
        if listed:
            self.line(f"inline constexpr qx::com::DispMember k{itf.stem}Members[] = {{")
            for m in listed:
                self.line(f"    {self.member_expr(itf, m)},")
            self.line("};")
        else:
            # An interface without members: C++ has no empty arrays, so the table is an object
            # that reads as no members.
            self.line(f"struct {itf.stem}NoMembers {{")
            self.line("    constexpr operator const qx::com::DispMember*() const { return nullptr; }")
            self.line("    static constexpr std::size_t size() { return 0; }")
            self.line("};")
            self.line(f"inline constexpr {itf.stem}NoMembers k{itf.stem}Members{{}};")
        self.close_namespace(ns)
        self.line()
        members = qualified(ns, f"k{itf.stem}Members") if ns else f"k{itf.stem}Members"
        args = [literal(itf.name), members, literal(itf.help)]
        if itf.kind != "dual":
            args.insert(0, itf.iid_name)
        macro = "QX_DISPATCH_INTERFACE" if itf.kind == "dual" else "QX_DISPINTERFACE"
        if itf.flags:
            macro += "_FLAGS"
            args.append(" | ".join(itf.flags))
        self.line(f"{macro}({itf.name}, {', '.join(args)});")

    def owner_of(self, itf, member):
        for candidate in [itf] + self.bases(itf):
            if member in candidate.members:
                return candidate
        return itf

    def bases(self, itf):
        out = []
        while itf.kind == "dual" and itf.base in self.known:
            itf = self.known[itf.base]
            out.append(itf)
        return out

    def member_expr(self, itf, m):
        owner = self.owner_of(itf, m)
        array = params_array(owner, m)
        if owner is not itf and owner.namespace != itf.namespace:
            array = qualified(owner.namespace, array)
        name = literal(m.name)
        if itf.kind == "dispinterface":
            args = [name, m.dispid] + ([array] if needs_array(m) else []) + tail_args(m, with_flags=False)
            return f"qx::com::DispEvent({', '.join(args)})"
        pointer = f"&{itf.name}::{m.cxx_name}"
        if m.kind == "method":
            args = [name, m.dispid] + ([array] if m.params else []) + tail_args(m)
            return f"qx::com::DispMethod<{pointer}>({', '.join(args)})"
        if not needs_array(m):
            helper = {"propget": "DispPropGet", "propput": "DispPropPut", "propputref": "DispPropPutRef"}[m.kind]
            args = [name, m.dispid] + tail_args(m)
            return f"qx::com::{helper}<{pointer}, {vt_expr(m.params[0].vt)}>({', '.join(args)})"
        kind = {"propget": "INVOKE_PROPERTYGET", "propput": "INVOKE_PROPERTYPUT", "propputref": "INVOKE_PROPERTYPUTREF"}[
            m.kind
        ]
        args = [kind, name, m.dispid, array] + tail_args(m)
        return f"qx::com::DispProperty<{pointer}>({', '.join(args)})"

    # ---- events ------------------------------------------------------------------------------
    def is_source(self, itf):
        if itf.kind == "dispinterface":
            return True
        if itf.kind != "dual":
            return False
        return any(
            impl.interface == itf.name and "IMPLTYPEFLAG_FSOURCE" in impl.flags
            for c in self.desc.coclasses()
            for impl in c.impls
        )

    def proxy(self, itf):
        ns = itf.namespace
        cls = f"CProxy{itf.name}"
        self.line()
        self.open_namespace(ns)
        self.line(f"// Fires {itf.name} to the sinks of its connection point, which it adds to the object's")
        self.line("// container when constructed.")
        self.line(f"class {cls} : public qx::com::EventSource {{")
        self.line("public:")
        self.line(f"    explicit {cls}(qx::com::ConnectionPointContainerImpl& container)")
        self.line(f"        : EventSource(container, {itf.iid_name}, {itf.decl_name}) {{}}")
        for m in full_members(itf, self.known):
            signature = f"void Fire_{m.name}({param_list(m)}) const"
            if itf.kind == "dual":
                args = ", ".join(p.name for p in m.params)
                body = f"ForEachSink<{itf.name}>([&]({itf.name}* sink) {{ sink->{m.cxx_name}({args}); }});"
            else:
                values = []
                for p in m.params:
                    helper = "EventRef" if p.direction_out else "EventArg"
                    values.append(f"qx::com::{helper}<{vt_expr(p.vt)}>({p.name})")
                body = f"Fire({m.dispid}, {{{', '.join(values)}}});" if values else f"Fire({m.dispid});"
            self.line(f"    {signature} {{ {body} }}")
        self.line("};")
        self.close_namespace(ns)

    # ---- the library -------------------------------------------------------------------------
    def table(self, type_name, name, rows):
        """A table of one initializer per row; its name and size for the LibraryDesc."""
        self.line(f"inline constexpr qx::com::{type_name} {name}[] = {{")
        for parts in rows:
            self.line(f"    {{{', '.join(parts)}}},")
        self.line("};")
        return [name, f"std::size({name})"]

    def library(self, lib):
        d = self.desc
        ns = d.namespace
        interfaces = [i for i in d.interfaces() if i.automation]
        coclasses = d.coclasses()
        enums = d.enums()
        self.line()
        self.open_namespace(ns)
        fields = [f"&LIBID_{lib.name}", literal(lib.name), literal(lib.help), str(lib.major), str(lib.minor)]
        if interfaces:
            refs = ", ".join(f"&{i.decl_name}" for i in interfaces)
            self.line(f"inline constexpr const qx::com::DispInterface* {lib.symbol}Interfaces[] = {{{refs}}};")
            fields += [f"{lib.symbol}Interfaces", f"std::size({lib.symbol}Interfaces)"]
        else:
            fields += ["nullptr", "0"]
        tail = []
        if coclasses:
            for c in coclasses:
                impls = ", ".join(
                    f"{{&{self.known[i.interface].iid_name}, {' | '.join(i.flags) or '0'}}}" for i in c.impls
                )
                self.line(f"inline constexpr qx::com::ImplTypeDesc k{c.name}Impls[] = {{{impls}}};")
            rows = []
            for c in coclasses:
                parts = [f"&CLSID_{c.name}", literal(c.name), f"k{c.name}Impls", f"std::size(k{c.name}Impls)"]
                flags = [] if "noncreatable" in c.flags else ["TYPEFLAG_FCANCREATE"]
                flags += [f for f in c.flags if f != "noncreatable"]
                if flags != ["TYPEFLAG_FCANCREATE"]:
                    parts += [literal(c.help), " | ".join(flags) or "0"]
                elif c.help is not None:
                    parts.append(literal(c.help))
                rows.append(parts)
            tail += self.table("CoclassDesc", f"{lib.symbol}Classes", rows)
        else:
            tail += ["nullptr", "0"]
        if enums:
            for e in enums:
                values = []
                for v in e.values:
                    value = f"static_cast<LONG>({v.name})" if e.underlying else v.name
                    parts = [literal(v.name), value] + ([literal(v.help)] if v.help is not None else [])
                    values.append("{" + ", ".join(parts) + "}")
                self.line(f"inline constexpr qx::com::EnumValueDesc k{e.name}Values[] = {{{', '.join(values)}}};")
            rows = []
            for e in enums:
                parts = [literal(e.name), f"k{e.name}Values", f"std::size(k{e.name}Values)"]
                if e.guid:
                    parts += [literal(e.help), f"&GUID_{e.name}"]
                elif e.help is not None:
                    parts.append(literal(e.help))
                rows.append(parts)
            tail += self.table("EnumDesc", f"{lib.symbol}Enums", rows)
        else:
            tail += ["nullptr", "0"]
        if lib.lcid or lib.helpfile or lib.flags:
            tail += [lib.lcid or "0", literal(lib.helpfile), " | ".join(lib.flags) or "0"]
        while tail[-2:] == ["nullptr", "0"]:
            tail = tail[:-2]
        fields += tail
        self.line(f"inline constexpr qx::com::LibraryDesc {lib.symbol} = {{{', '.join(fields)}}};")
        self.close_namespace(ns)


def generate_header(desc, source_name):
    return Emitter(desc, source_name).header()


def generate_typelib_source(desc, source_name):
    lib = desc.library
    symbol = f"{desc.namespace}::{lib.symbol}" if desc.namespace else lib.symbol
    return (
        f"// Generated from {source_name} by tools/interfaces: the type library {lib.name} for the writer.\n"
        f'#include "{desc.header}"\n\n'
        "const qx::com::LibraryDesc& qx::com::GeneratedTypeLibrary() {\n"
        f"    return {symbol};\n"
        "}\n"
    )
