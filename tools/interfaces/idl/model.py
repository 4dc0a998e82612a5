"""What a description declares: interfaces with their members, enums, coclasses, a library."""

from dataclasses import dataclass, field
from typing import Optional


class DescriptionError(Exception):
    """A fault in a description, reported as file:line: message."""

    def __init__(self, where, message):
        super().__init__(f"{where}: {message}")
        self.where = where
        self.message = message


@dataclass
class Where:
    path: str
    line: int

    def __str__(self):
        return f"{self.path}:{self.line}"


@dataclass
class Param:
    name: str
    type: str  # the C++ type as the struct declares it (for [out]: the pointer type)
    where: Where
    direction_in: bool = True
    direction_out: bool = False
    retval: bool = False
    optional: bool = False
    default: Optional[str] = None  # the default value's text: a number or a quoted string
    raw: Optional[str] = None  # a vtable-only interface's parameter, verbatim
    vt: Optional[str] = None  # the VARTYPE it travels as (for [out]: its pointee's)
    type_name: Optional[str] = None  # the enum it is declared as


@dataclass
class Member:
    kind: str  # method, propget, propput, propputref
    name: str  # the Automation name
    where: Where
    dispid: Optional[str] = None  # as written: a number or a DISPID_* name
    params: list = field(default_factory=list)
    short_form: bool = False  # written as "propget Name: TYPE": pVal / newVal
    help: Optional[str] = None
    flags: list = field(default_factory=list)  # FUNCFLAG_* names
    comments: list = field(default_factory=list)  # "//" lines before it
    trailing: Optional[str] = None  # a "//" comment after it
    cxx: Optional[str] = None  # the C++ name when it is not the Automation one's

    @property
    def cxx_name(self):
        if self.cxx:
            return self.cxx
        prefix = {"propget": "get_", "propput": "put_", "propputref": "putref_"}.get(self.kind, "")
        return prefix + self.name


@dataclass
class Interface:
    kind: str  # dual, dispinterface, interface
    name: str
    where: Where
    guid: Optional[str] = None
    base: Optional[str] = None
    help: Optional[str] = None
    flags: list = field(default_factory=list)  # TYPEFLAG_* names
    members: list = field(default_factory=list)
    comments: list = field(default_factory=list)
    namespace: str = ""
    header: str = ""  # the generated header that declares it
    imported: bool = False

    @property
    def iid_name(self):
        return ("DIID_" if self.kind == "dispinterface" else "IID_") + self.name

    @property
    def decl_name(self):
        return "kDisp_" + self.name

    @property
    def stem(self):
        # IConvert -> Convert, _DIConvertEvent -> DIConvertEvent: the tables' names.
        n = self.name
        if n.startswith("_"):
            return n.lstrip("_")
        if len(n) > 1 and n[0] == "I" and n[1].isupper():
            return n[1:]
        return n

    @property
    def automation(self):
        return self.kind in ("dual", "dispinterface")


@dataclass
class EnumValue:
    name: str
    value: str
    where: Where
    help: Optional[str] = None
    comments: list = field(default_factory=list)
    trailing: Optional[str] = None


@dataclass
class Enum:
    name: str
    where: Where
    underlying: Optional[str] = None
    guid: Optional[str] = None
    help: Optional[str] = None
    values: list = field(default_factory=list)
    comments: list = field(default_factory=list)
    namespace: str = ""
    imported: bool = False


@dataclass
class Guid:
    name: str
    guid: str
    where: Where
    comments: list = field(default_factory=list)
    trailing: Optional[str] = None


@dataclass
class Verbatim:
    lines: list
    where: Where
    comments: list = field(default_factory=list)


@dataclass
class Include:
    text: str  # <x.h> or "x.h"
    where: Where
    comments: list = field(default_factory=list)


@dataclass
class Import:
    path: str
    description: "Description"
    where: Where
    comments: list = field(default_factory=list)


@dataclass
class CoclassImpl:
    interface: str
    flags: list  # IMPLTYPEFLAG_* names
    where: Where


@dataclass
class Coclass:
    name: str
    where: Where
    guid: Optional[str] = None
    help: Optional[str] = None
    flags: list = field(default_factory=list)  # TYPEFLAG_* names
    impls: list = field(default_factory=list)
    comments: list = field(default_factory=list)


@dataclass
class Library:
    name: str
    where: Where
    guid: Optional[str] = None
    help: Optional[str] = None
    major: int = 1
    minor: int = 0
    symbol: str = ""  # the LibraryDesc's C++ name; k<name> unless the description says
    lcid: Optional[str] = None
    helpfile: Optional[str] = None
    flags: list = field(default_factory=list)  # LIBFLAG_* names
    comments: list = field(default_factory=list)


@dataclass
class Description:
    path: str
    header: str  # the generated header's file name
    namespace: str = ""
    items: list = field(default_factory=list)  # in file order
    library: Optional[Library] = None
    leading: list = field(default_factory=list)  # the "//" comment that opens the file
    imports: list = field(default_factory=list)  # the descriptions it imports
    known_interfaces: dict = field(default_factory=dict)  # its own and the imported ones, by name
    known_enums: dict = field(default_factory=dict)

    def interfaces(self):
        return [i for i in self.items if isinstance(i, Interface)]

    def enums(self):
        return [i for i in self.items if isinstance(i, Enum)]

    def coclasses(self):
        return [i for i in self.items if isinstance(i, Coclass)]
