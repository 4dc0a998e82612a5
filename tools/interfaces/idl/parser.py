"""Reads a description (the format is in ../README.md) into the model."""

import os
import re

from . import automation
from .lexer import GUID_RE, matching_paren, split_comment, split_top_level, tokenize, unquote
from .model import (
    Coclass,
    CoclassImpl,
    Description,
    DescriptionError,
    Enum,
    EnumValue,
    Guid,
    Import,
    Include,
    Interface,
    Library,
    Member,
    Param,
    Verbatim,
    Where,
)

MEMBER_KINDS = ("method", "event", "propget", "propput", "propputref", "property")
NAME_RE = re.compile(r"^[A-Za-z_][A-Za-z0-9_]*$")
ENUM_VALUE_RE = re.compile(r'^([A-Za-z_]\w*)\s*(?:=\s*([^",]+?))?\s*("(?:[^"\\]|\\.)*")?\s*,?$')


class Parser:
    def __init__(self, path, root, cache):
        self.path = path
        self.root = root
        self.cache = cache  # absolute path -> Description, shared by the imports
        self.display = os.path.relpath(path, root) if root else path
        stem = os.path.splitext(os.path.basename(path))[0]
        self.desc = Description(path=path, header=stem + ".h")
        self.pending = []  # "//" lines waiting for the next item
        self.seen_statement = False
        self.imports = []
        self.known_interfaces = {}
        self.known_enums = {}

    def where(self, line):
        return Where(self.display, line)

    # ---- lines ------------------------------------------------------------------------------
    def parse(self):
        with open(self.path, encoding="utf-8") as f:
            lines = f.read().split("\n")
        i = 0
        while i < len(lines):
            number = i + 1
            raw = lines[i]
            i += 1
            code, trailing = split_comment(raw)
            if not code.strip():
                if trailing is not None and raw.strip().startswith("//"):
                    self.pending.append(trailing)
                continue
            head = code.split()[0]
            if head == "include":
                self.statement(head, [], code, trailing, None, number)
                continue
            tokens = tokenize(code, self.where(number))
            block = None
            if tokens[-1].text == "{" or (len(tokens) > 1 and tokens[-2].text == "{" and tokens[-1].text == "}"):
                empty = tokens[-1].text == "}"
                tokens = tokens[:-2] if empty else tokens[:-1]
                if empty:
                    block = []
                else:
                    block, i = self.read_block(lines, i, number, verbatim=(head == "cpp"))
            self.statement(head, tokens, code, trailing, block, number)
        self.desc.known_interfaces = self.known_interfaces
        self.desc.known_enums = self.known_enums
        self.desc.imports = self.imports
        return self.desc

    def read_block(self, lines, i, opened, verbatim):
        """The lines up to the closing '}' line, each as (number, text)."""
        block = []
        while i < len(lines):
            text = lines[i]
            i += 1
            if text.strip() == "}":
                return block, i
            block.append((i, text))
        raise DescriptionError(self.where(opened), "the block opened here is not closed")

    def block_statements(self, block):
        """(number, code, trailing comment) of each line of a block that says something; the "//"
        lines between keep waiting for the statement after them."""
        for number, text in block:
            code, trailing = split_comment(text)
            if code.strip():
                yield number, code, trailing
            elif trailing is not None:
                self.pending.append(trailing)

    def take_comments(self):
        comments, self.pending = self.pending, []
        return comments

    def statement(self, head, tokens, code, trailing, block, number):
        where = self.where(number)
        if not self.seen_statement:
            self.desc.leading = self.take_comments()
            self.seen_statement = True
        handlers = {
            "namespace": self.namespace_statement,
            "include": self.include_statement,
            "import": self.import_statement,
            "guid": self.guid_statement,
            "cpp": self.cpp_statement,
            "enum": self.enum_statement,
            "library": self.library_statement,
            "dual": self.interface_statement,
            "dispinterface": self.interface_statement,
            "interface": self.interface_statement,
            "coclass": self.coclass_statement,
        }
        handler = handlers.get(head)
        if not handler:
            raise DescriptionError(where, f"unknown statement '{head}'")
        needs_block = head in ("cpp", "enum", "dual", "dispinterface", "interface", "coclass")
        if needs_block and block is None:
            raise DescriptionError(where, f"'{head}' needs a block: end the line with '{{'")
        if not needs_block and block is not None:
            raise DescriptionError(where, f"'{head}' takes no block")
        handler(tokens, code, trailing, block, where)

    # ---- simple statements -------------------------------------------------------------------
    def namespace_statement(self, tokens, code, trailing, block, where):
        if len(tokens) != 2 or tokens[1].kind != "word" or self.desc.items:
            raise DescriptionError(where, "write 'namespace name' once, before the first item")
        self.desc.namespace = tokens[1].text

    def include_statement(self, tokens, code, trailing, block, where):
        m = re.match(r'^\s*include\s+(<[^>]+>|"[^"]+")\s*$', code)
        if not m:
            raise DescriptionError(where, "write include <header.h> or include \"header.h\"")
        self.desc.items.append(Include(m.group(1), where, self.take_comments()))

    def import_statement(self, tokens, code, trailing, block, where):
        if len(tokens) != 2 or tokens[1].kind != "string":
            raise DescriptionError(where, 'write import "other.qxidl"')
        name = unquote(tokens[1].text, where)
        candidates = [os.path.join(os.path.dirname(self.path), name)]
        if self.root:
            candidates.append(os.path.join(self.root, name))
        path = next((os.path.abspath(c) for c in candidates if os.path.isfile(c)), None)
        if not path:
            raise DescriptionError(where, f"cannot find the description '{name}'")
        if path in self.cache and self.cache[path] is None:
            raise DescriptionError(where, f"'{name}' imports itself")
        if path not in self.cache:
            self.cache[path] = None
            self.cache[path] = Parser(path, self.root, self.cache).parse_checked()
        imported = self.cache[path]
        self.imports.append(imported)
        for table, theirs in ((self.known_interfaces, imported.known_interfaces),
                              (self.known_enums, imported.known_enums)):
            for n, item in theirs.items():
                item.imported = True
                table.setdefault(n, item)
        self.desc.items.append(Import(name, imported, where, self.take_comments()))

    def guid_statement(self, tokens, code, trailing, block, where):
        if len(tokens) != 3 or tokens[1].kind != "word" or tokens[2].kind != "guid":
            raise DescriptionError(where, "write guid NAME {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}")
        self.desc.items.append(Guid(tokens[1].text, tokens[2].text.upper(), where, self.take_comments(), trailing))

    def cpp_statement(self, tokens, code, trailing, block, where):
        if len(tokens) != 1:
            raise DescriptionError(where, "write 'cpp {' alone on its line")
        self.desc.items.append(Verbatim([text for _, text in block], where, self.take_comments()))

    # ---- heads -------------------------------------------------------------------------------
    def head_attributes(self, tokens, where, flag_table, what, allowed=()):
        """GUID, help text, flags and the named attributes in `allowed` of a head line."""
        guid = help_text = None
        flags = []
        named = {}
        i = 0
        while i < len(tokens):
            t = tokens[i]
            if t.kind == "guid":
                if guid:
                    raise DescriptionError(where, "two GUIDs")
                guid = t.text.upper()
            elif t.kind == "string":
                if help_text is not None:
                    raise DescriptionError(where, "two help strings")
                help_text = unquote(t.text, where)
            elif t.kind == "word" and t.text in allowed:
                if i + 1 >= len(tokens):
                    raise DescriptionError(where, f"'{t.text}' needs a value")
                value = tokens[i + 1]
                named[t.text] = unquote(value.text, where) if value.kind == "string" else value.text
                i += 1
            elif t.kind == "word" and t.text in flag_table:
                flags.append(flag_table[t.text])
            else:
                raise DescriptionError(where, f"unknown attribute '{t.text}' of {what}")
            i += 1
        return guid, help_text, flags, named

    def name_and_base(self, tokens, where, what):
        if len(tokens) < 2 or tokens[1].kind != "word" or not NAME_RE.match(tokens[1].text):
            raise DescriptionError(where, f"{what} needs a name")
        name = tokens[1].text
        rest = tokens[2:]
        base = None
        if rest and rest[0].text == ":":
            if len(rest) < 2 or rest[1].kind != "word":
                raise DescriptionError(where, "':' needs the base interface's name")
            base = rest[1].text
            rest = rest[2:]
        return name, base, rest

    def library_statement(self, tokens, code, trailing, block, where):
        if self.desc.library:
            raise DescriptionError(where, "a description has one library")
        name, base, rest = self.name_and_base(tokens, where, "a library")
        if base:
            raise DescriptionError(where, "a library has no base")
        guid, help_text, flags, named = self.head_attributes(
            rest, where, automation.LIBRARY_FLAGS, "a library", ("version", "symbol", "lcid", "helpfile")
        )
        if not guid:
            raise DescriptionError(where, f"library {name} needs its GUID")
        lib = Library(name, where, guid, help_text, flags=flags, comments=self.take_comments())
        if "version" in named:
            m = re.match(r"^(\d+)(?:\.(\d+))?$", named["version"])
            if not m:
                raise DescriptionError(where, "version is MAJOR.MINOR")
            lib.major, lib.minor = int(m.group(1)), int(m.group(2) or 0)
        lib.symbol = named.get("symbol", "k" + name)
        lib.lcid = named.get("lcid")
        lib.helpfile = named.get("helpfile")
        self.desc.library = lib
        self.desc.items.append(lib)

    def enum_statement(self, tokens, code, trailing, block, where):
        name, underlying, rest = self.name_and_base(tokens, where, "an enum")
        guid, help_text, flags, named = self.head_attributes(rest, where, {}, "an enum")
        enum = Enum(name, where, underlying, guid, help_text, comments=self.take_comments())
        enum.namespace = self.desc.namespace
        for number, code, trailing in self.block_statements(block):
            m = ENUM_VALUE_RE.match(code.strip())
            if not m:
                raise DescriptionError(self.where(number), "an enum value is NAME [= VALUE] [\"help\"]")
            value_help = unquote(m.group(3), self.where(number)) if m.group(3) else None
            enum.values.append(
                EnumValue(m.group(1), (m.group(2) or "").strip() or None, self.where(number), value_help,
                          self.take_comments(), trailing)
            )
        if not enum.values:
            raise DescriptionError(where, f"enum {name} has no values")
        self.add_known(self.known_enums, enum, where)
        self.desc.items.append(enum)

    def add_known(self, table, item, where):
        if item.name in self.known_interfaces or item.name in self.known_enums:
            raise DescriptionError(where, f"'{item.name}' is declared twice")
        table[item.name] = item

    def coclass_statement(self, tokens, code, trailing, block, where):
        name, base, rest = self.name_and_base(tokens, where, "a coclass")
        if base:
            raise DescriptionError(where, "a coclass has no base; list its interfaces in its block")
        guid, help_text, flags, named = self.head_attributes(
            rest, where, dict(automation.COCLASS_FLAGS, noncreatable="noncreatable"), "a coclass"
        )
        if not guid:
            raise DescriptionError(where, f"coclass {name} needs its GUID")
        coclass = Coclass(name, where, guid, help_text, flags, comments=self.take_comments())
        for number, code, _ in self.block_statements(block):
            m = re.match(r"^\s*(?:\[([^\]]*)\])?\s*([A-Za-z_]\w*)\s*$", code)
            if not m:
                raise DescriptionError(self.where(number), "an interface of a coclass is [flags] NAME")
            impl_flags = []
            for f in split_top_level(m.group(1) or ""):
                if f not in automation.IMPL_FLAGS:
                    raise DescriptionError(self.where(number), f"unknown flag '{f}' of a coclass interface")
                impl_flags.append(automation.IMPL_FLAGS[f])
            coclass.impls.append(CoclassImpl(m.group(2), impl_flags, self.where(number)))
        self.desc.items.append(coclass)

    # ---- interfaces --------------------------------------------------------------------------
    def interface_statement(self, tokens, code, trailing, block, where):
        kind = tokens[0].text
        name, base, rest = self.name_and_base(tokens, where, f"{'an' if kind == 'interface' else 'a'} {kind}")
        flag_table = automation.INTERFACE_FLAGS if kind != "interface" else {}
        guid, help_text, flags, named = self.head_attributes(rest, where, flag_table, f"{kind} {name}")
        if not guid:
            raise DescriptionError(where, f"{kind} {name} needs its GUID")
        if kind == "dispinterface" and base:
            raise DescriptionError(where, "a dispinterface has no base")
        if kind == "dual":
            base = base or "IDispatch"
        if kind == "interface" and not base:
            raise DescriptionError(where, f"interface {name} needs its base (': IUnknown')")
        if kind == "interface" and help_text is not None:
            raise DescriptionError(where, "a vtable interface is in no type library: it takes no help string")
        itf = Interface(kind, name, where, guid, base, help_text, flags, comments=self.take_comments())
        itf.namespace = self.desc.namespace
        itf.header = self.desc.header
        for number, code, trailing in self.block_statements(block):
            for member in self.member(itf, code.strip(), self.where(number)):
                member.trailing = trailing
                itf.members.append(member)
        self.add_known(self.known_interfaces, itf, where)
        self.desc.items.append(itf)

    def member(self, itf, code, where):
        if itf.automation:
            m = re.match(r"^(-?[\w:]+)\s+(\w+)\s+(\w+)\s*(.*)$", code)
            if not m or m.group(1) in MEMBER_KINDS:
                raise DescriptionError(where, f"a member of {itf.kind} {itf.name} is DISPID KIND NAME ...")
            dispid, kind, name, rest = m.groups()
            # A number, or the name of a C++ constant (DISPID_VALUE, qx::com::kDynamicDispidFirst).
            if automation.dispid_value(dispid) is None and not re.match(r"^[A-Za-z_]\w*(::[A-Za-z_]\w*)*$", dispid):
                raise DescriptionError(where, f"'{dispid}' is no DISPID")
        else:
            m = re.match(r"^(\w+)\s+(\w+)\s*(.*)$", code)
            if not m:
                raise DescriptionError(where, f"a member of interface {itf.name} is KIND NAME ...")
            dispid = None
            kind, name, rest = m.groups()
        if kind not in MEMBER_KINDS:
            raise DescriptionError(where, f"unknown member kind '{kind}'")
        if kind == "event":
            kind = "method"
        if itf.kind == "dispinterface" and kind != "method":
            raise DescriptionError(where, "a dispinterface here declares methods (events) only")
        if rest.startswith("("):
            close = matching_paren(rest, 0)
            if close < 0:
                raise DescriptionError(where, "the parameter list is not closed")
            params = self.params(itf, rest[1:close], where)
            short = False
            after = rest[close + 1 :]
            if kind == "property":
                raise DescriptionError(where, "write 'property NAME: TYPE', or propget and propput")
        elif rest.startswith(":"):
            t = re.match(r"^:\s*([A-Za-z_]\w*(?:\s*\*)*)\s*(.*)$", rest)
            if not t or kind == "method":
                raise DescriptionError(where, "only properties take the short form NAME: TYPE")
            value_type, after = automation.normalize_type(t.group(1)), t.group(2)
            short = True
            params = None
        else:
            raise DescriptionError(where, "expected '(parameters)' or ': TYPE' after the name")
        help_text = None
        flags = []
        cxx = None
        tokens = tokenize(after, where) if after.strip() else []
        for i, tok in enumerate(tokens):
            if tok.text == "as" and i + 1 < len(tokens) and tokens[i + 1].kind == "word" and cxx is None:
                continue
            if i > 0 and tokens[i - 1].text == "as" and tok.kind == "word" and cxx is None:
                if kind == "property":
                    raise DescriptionError(where, "'as' names one C++ member: write propget and propput")
                cxx = tok.text
            elif tok.kind == "string" and help_text is None and itf.automation:
                help_text = unquote(tok.text, where)
            elif tok.kind == "word" and tok.text in automation.FUNC_FLAGS and itf.kind == "dual":
                flags.append(automation.FUNC_FLAGS[tok.text])
            else:
                raise DescriptionError(where, f"unexpected '{tok.text}' after the member")
        kinds = ["propget", "propput"] if kind == "property" else [kind]
        members = []
        for k in kinds:
            mem = Member(k, name, where, dispid, help=help_text, flags=list(flags), short_form=short, cxx=cxx)
            if short:
                if k == "propget":
                    mem.params = [Param("pVal", value_type + "*", where, False, True, True)]
                else:
                    mem.params = [Param("newVal", value_type, where)]
            else:
                mem.params = params
            members.append(mem)
        members[0].comments = self.take_comments()
        return members

    def params(self, itf, text, where):
        params = []
        for piece in split_top_level(text):
            if not piece:
                raise DescriptionError(where, "an empty parameter")
            attrs = []
            if piece.startswith("["):
                close = piece.find("]")
                if close < 0:
                    raise DescriptionError(where, "a parameter's attributes are not closed")
                attrs = split_top_level(piece[1:close])
                piece = piece[close + 1 :].strip()
            if not itf.automation:
                params.append(Param("", "", where, raw=" ".join(piece.split())))
                continue
            m = re.match(r"^(.*?)\s*\b([A-Za-z_]\w*)$", piece)
            if not m or not m.group(1).strip():
                raise DescriptionError(where, f"parameter '{piece}' needs a type and a name")
            p = Param(m.group(2), automation.normalize_type(m.group(1)), where)
            seen_in = False
            for a in attrs:
                if a == "in":
                    seen_in = True
                elif a == "out":
                    p.direction_out = True
                elif a == "retval":
                    p.retval = True
                elif a == "optional":
                    p.optional = True
                elif a.startswith("defaultvalue(") and a.endswith(")"):
                    p.default = a[len("defaultvalue(") : -1].strip()
                else:
                    raise DescriptionError(where, f"unknown parameter attribute '{a}'")
            p.direction_in = seen_in or not p.direction_out
            params.append(p)
        return params

    # ---- checks ------------------------------------------------------------------------------
    def parse_checked(self):
        desc = self.parse()
        Checker(desc).run()
        return desc


class Checker:
    """What a description must hold to generate code that compiles and a library that loads."""

    def __init__(self, desc):
        self.desc = desc

    def run(self):
        names = {}
        for item in self.desc.items:
            if isinstance(item, (Interface, Enum, Coclass, Guid)):
                if item.name in names:
                    raise DescriptionError(item.where, f"'{item.name}' is declared twice")
                names[item.name] = item
        for itf in self.desc.interfaces():
            self.interface(itf)
        for coclass in self.desc.coclasses():
            self.coclass(coclass)

    def interface(self, itf):
        known = self.desc.known_interfaces
        if itf.kind == "dual" and itf.base != "IDispatch":
            base = known.get(itf.base)
            if not base or base.kind != "dual":
                raise DescriptionError(itf.where, f"the base of dual {itf.name} is IDispatch or a dual interface")
            if not base.imported and self.desc.items.index(base) > self.desc.items.index(itf):
                raise DescriptionError(itf.where, f"the base {itf.base} is described after {itf.name}")
        cxx = {}
        by_id = {}
        by_name = {}
        for m in full_members(itf, known):
            if m.cxx_name in cxx and itf.kind != "dispinterface":
                raise DescriptionError(m.where, f"{itf.name} has two members {m.cxx_name}")
            cxx[m.cxx_name] = m
            if not itf.automation:
                continue
            number = automation.dispid_value(m.dispid)
            key = number if number is not None else m.dispid
            same = by_id.setdefault(key, [])
            if any(o.name != m.name for o in same):
                raise DescriptionError(m.where, f"DISPID {m.dispid} is {same[0].name} already")
            if any(o.kind == m.kind for o in same):
                raise DescriptionError(m.where, f"{m.kind} {m.name} is declared twice")
            other = by_name.setdefault(m.name.lower(), key)
            if other != key:
                raise DescriptionError(m.where, f"{m.name} has two DISPIDs")
            same.append(m)
        for m in itf.members:
            if itf.automation:
                self.params(itf, m)

    def params(self, itf, m):
        enums = self.desc.known_enums
        for i, p in enumerate(m.params):
            if p.retval and (i != len(m.params) - 1 or not p.direction_out):
                raise DescriptionError(m.where, f"only the last parameter of {m.name} can be [out, retval]")
            if p.direction_out:
                target = automation.pointee(p.type)
                if target is None:
                    raise DescriptionError(m.where, f"[out] parameter {p.name} of {m.name} needs a pointer type")
                p.vt = automation.value_vt(target, enums)
            else:
                p.vt = automation.value_vt(p.type, enums)
                target = p.type
            if p.vt is None:
                raise DescriptionError(
                    m.where, f"parameter {p.name} of {m.name}: '{p.type}' has no Automation type (objects travel as IDispatch*)"
                )
            p.type_name = target if target in enums else None
            if p.type_name and self.desc.library and enums[p.type_name].imported:
                raise DescriptionError(m.where, f"enum {p.type_name} is not in library {self.desc.library.name}")
            if (p.optional or p.default is not None) and p.direction_out:
                raise DescriptionError(m.where, f"[out] parameter {p.name} cannot be optional")
            if p.default is not None and not re.match(r'^(-?(0[xX][0-9A-Fa-f]+|\d+)|"(?:[^"\\]|\\.)*")$', p.default):
                raise DescriptionError(m.where, f"the default of {p.name} is a whole number or a \"text\"")
        if itf.kind == "dispinterface":
            for p in m.params:
                vt = p.vt
                if vt not in automation.EVENT_TYPES:
                    raise DescriptionError(m.where, f"an event cannot carry {p.name} of type {p.type}")

    def coclass(self, coclass):
        lib = self.desc.library
        if not lib:
            raise DescriptionError(coclass.where, "a coclass needs the description's library")
        for impl in coclass.impls:
            itf = self.desc.known_interfaces.get(impl.interface)
            if not itf or itf.imported or not itf.automation:
                raise DescriptionError(
                    impl.where, f"{impl.interface} is no dual interface or dispinterface of library {lib.name}"
                )


def full_members(itf, known):
    """A dual interface's members with its base's first, in vtable order after IDispatch."""
    inherited = []
    if itf.kind == "dual" and itf.base != "IDispatch" and itf.base in known:
        inherited = full_members(known[itf.base], known)
    return inherited + itf.members


def parse_description(path, root=None):
    cache = {os.path.abspath(path): None}
    desc = Parser(os.path.abspath(path), root, cache).parse_checked()
    return desc


def imported_files(desc, seen=None):
    """Every description the file imports, directly or not."""
    seen = seen if seen is not None else []
    for d in desc.imports:
        if d.path not in seen:
            seen.append(d.path)
            imported_files(d, seen)
    return seen


__all__ = ["parse_description", "full_members", "imported_files", "GUID_RE"]
