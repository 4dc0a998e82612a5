#!/usr/bin/env python3
"""The interface generator run as the build runs it: faults in a description come back as
FILE:LINE: message with status 1 and no header; good ones give the header, the type library's
source and a dependency file that names the imports."""

import os
import subprocess
import sys
import tempfile
import unittest

GENERATOR = sys.argv.pop(1) if len(sys.argv) > 1 else os.path.join(
    os.path.dirname(__file__), "..", "..", "..", "tools", "interfaces", "generate.py")

GOOD_BASE = """\
dual IBase {11111111-2222-3333-4444-555555555555} {
    1 propget Name: BSTR
}
"""

# (what, description text, the line named, a piece of the message)
FAULTS = [
    ("an unknown statement", "interfaec IX : IUnknown {11111111-2222-3333-4444-555555555555} {\n}\n", 1,
     "unknown statement 'interfaec'"),
    ("a dual member without its DISPID",
     "dual IX {11111111-2222-3333-4444-555555555555} {\n    method Go()\n}\n", 2, "is DISPID KIND NAME"),
    ("an unknown member kind",
     "dual IX {11111111-2222-3333-4444-555555555555} {\n    1 function Go()\n}\n", 2, "unknown member kind"),
    ("an [out] parameter that is no pointer",
     "dual IX {11111111-2222-3333-4444-555555555555} {\n    1 method Go([out] LONG n)\n}\n", 2,
     "needs a pointer type"),
    ("a retval before the last parameter",
     "dual IX {11111111-2222-3333-4444-555555555555} {\n    1 method Go([out, retval] LONG* n, LONG m)\n}\n",
     2, "only the last parameter"),
    ("an object type of no Automation form",
     "dual IX {11111111-2222-3333-4444-555555555555} {\n    1 method Go(IXMLDOMNode* node)\n}\n", 2,
     "has no Automation type"),
    ("a DISPID given to two names",
     "dual IX {11111111-2222-3333-4444-555555555555} {\n    1 method Go()\n    1 method Stop()\n}\n", 3,
     "DISPID 1 is Go already"),
    ("a property get declared twice",
     "dual IX {11111111-2222-3333-4444-555555555555} {\n    1 propget A: LONG\n    1 propget A: LONG\n}\n", 3,
     "IX has two members get_A"),
    ("an event declared twice",
     "dispinterface _DX {11111111-2222-3333-4444-555555555555} {\n    1 event A()\n    1 event A()\n}\n", 3,
     "method A is declared twice"),
    ("a name with two DISPIDs",
     "dual IX {11111111-2222-3333-4444-555555555555} {\n    1 propget A: LONG\n    2 propput A: LONG\n}\n", 3,
     "has two DISPIDs"),
    ("a DISPID that is no number",
     "dual IX {11111111-2222-3333-4444-555555555555} {\n    1x method Go()\n}\n", 2, "is no DISPID"),
    ("a dual base that is no dual interface",
     "dual IX : IUnknown {11111111-2222-3333-4444-555555555555} {\n}\n", 1, "IDispatch or a dual interface"),
    ("a base described after its derived interface",
     "dual IX : IBase {11111111-2222-3333-4444-555555555556} {\n}\n" + GOOD_BASE, 1, "described after"),
    ("a block left open", "dual IX {11111111-2222-3333-4444-555555555555} {\n    1 method Go()\n", 1,
     "not closed"),
    ("an interface without its GUID", "dual IX {\n}\n", 1, "needs its GUID"),
    ("a coclass without a library",
     GOOD_BASE + "coclass C {11111111-2222-3333-4444-555555555559} {\n    [default] IBase\n}\n", 4,
     "needs the description's library"),
    ("a coclass naming an interface the library lacks",
     "library L {11111111-2222-3333-4444-555555555550}\n"
     "coclass C {11111111-2222-3333-4444-555555555559} {\n    [default] IMissing\n}\n", 3,
     "IMissing is no dual interface"),
    ("an event argument that cannot be fired",
     "dispinterface _DX {11111111-2222-3333-4444-555555555555} {\n    1 event Went(SAFEARRAY* items)\n}\n", 2,
     "an event cannot carry items"),
    ("a dispinterface property",
     "dispinterface _DX {11111111-2222-3333-4444-555555555555} {\n    1 propget A: LONG\n}\n", 2,
     "methods (events) only"),
    ("a default that is neither number nor text",
     "dual IX {11111111-2222-3333-4444-555555555555} {\n    1 method Go([defaultvalue(x)] LONG n)\n}\n", 2,
     "whole number or a \"text\""),
    ("an optional [out] parameter",
     "dual IX {11111111-2222-3333-4444-555555555555} {\n    1 method Go([out, optional] LONG* n)\n}\n", 2,
     "cannot be optional"),
    ("two libraries",
     "library L {11111111-2222-3333-4444-555555555550}\nlibrary M {11111111-2222-3333-4444-555555555551}\n", 2,
     "one library"),
    ("an unknown attribute",
     "dual IX {11111111-2222-3333-4444-555555555555} shiny {\n}\n", 1, "unknown attribute 'shiny'"),
    ("an unknown parameter attribute",
     "dual IX {11111111-2222-3333-4444-555555555555} {\n    1 method Go([inward] LONG n)\n}\n", 2,
     "unknown parameter attribute 'inward'"),
    ("a name declared twice", GOOD_BASE + GOOD_BASE, 4, "declared twice"),
    ("an import that is not there", 'import "nowhere.qxidl"\n', 1, "cannot find the description"),
    ("a vtable interface with a help string",
     'interface IX : IUnknown {11111111-2222-3333-4444-555555555555} "help" {\n}\n', 1, "no help string"),
]


class Generator:
    def __init__(self, folder):
        self.folder = folder

    def write(self, name, text):
        with open(os.path.join(self.folder, name), "w", encoding="utf-8") as f:
            f.write(text)
        return os.path.join(self.folder, name)

    def run(self, description, *extra):
        stem = os.path.splitext(os.path.basename(description))[0]
        header = os.path.join(self.folder, "out", stem + ".h")
        args = [sys.executable, "-B", GENERATOR, description, "--header", header, "--root", self.folder]
        done = subprocess.run(args + list(extra), capture_output=True, text=True)
        return done, header


class Faults(unittest.TestCase):
    def test_each_fault_names_its_line(self):
        with tempfile.TemporaryDirectory() as folder:
            g = Generator(folder)
            for what, text, line, message in FAULTS:
                with self.subTest(what):
                    path = g.write("bad.qxidl", text)
                    done, header = g.run(path)
                    self.assertEqual(done.returncode, 1, done.stderr)
                    self.assertIn(f"bad.qxidl:{line}: ", done.stderr)
                    self.assertIn(message, done.stderr)
                    self.assertFalse(os.path.exists(header))

    def test_an_import_of_itself_is_refused(self):
        with tempfile.TemporaryDirectory() as folder:
            g = Generator(folder)
            g.write("a.qxidl", 'import "b.qxidl"\n')
            g.write("b.qxidl", 'import "a.qxidl"\n')
            done, _ = g.run(os.path.join(folder, "a.qxidl"))
            self.assertEqual(done.returncode, 1)
            self.assertIn("imports itself", done.stderr)

    def test_a_header_of_another_name_is_refused(self):
        with tempfile.TemporaryDirectory() as folder:
            g = Generator(folder)
            path = g.write("good.qxidl", GOOD_BASE)
            done = subprocess.run([sys.executable, "-B", GENERATOR, path, "--header",
                                   os.path.join(folder, "other.h")], capture_output=True, text=True)
            self.assertEqual(done.returncode, 1)
            self.assertIn("good.h", done.stderr)


class Output(unittest.TestCase):
    def test_header_typelib_source_and_dependencies(self):
        with tempfile.TemporaryDirectory() as folder:
            g = Generator(folder)
            g.write("base.qxidl", "namespace b\n" + GOOD_BASE)
            path = g.write("top.qxidl", (
                "// The top description.\n"
                "namespace t\n"
                'import "base.qxidl"\n'
                'library TOPLib {11111111-2222-3333-4444-555555555550} version 1.2 "Top" symbol kTop\n'
                "dual IDerived : IBase {11111111-2222-3333-4444-555555555558} {\n"
                "    2 method Go()  // goes\n"
                "}\n"))
            source = os.path.join(folder, "out", "top_typelib.cpp")
            depfile = os.path.join(folder, "out", "top.d")
            done, header = g.run(path, "--typelib-source", source, "--depfile", depfile)
            self.assertEqual(done.returncode, 0, done.stderr)
            with open(header, encoding="utf-8") as f:
                text = f.read()
            self.assertTrue(text.startswith("// The top description.\n"))
            self.assertIn('#include "base.h"', text)
            self.assertIn("struct IDerived : IBase {", text)
            self.assertIn("STDMETHOD(Go)() PURE; // goes", text)
            # The base's member first, reached through the derived interface.
            first = text.index("DispPropGet<&IDerived::get_Name, VT_BSTR>")
            self.assertLess(first, text.index("DispMethod<&IDerived::Go>"))
            self.assertIn("inline constexpr qx::com::LibraryDesc kTop = {&LIBID_TOPLib, u\"TOPLib\", u\"Top\", 1, 2,",
                          text)
            with open(source, encoding="utf-8") as f:
                self.assertIn("return t::kTop;", f.read())
            with open(depfile, encoding="utf-8") as f:
                deps = f.read()
            self.assertIn(os.path.join(folder, "top.qxidl"), deps)
            self.assertIn(os.path.join(folder, "base.qxidl"), deps)

            # Generated again unchanged, the header is left alone (what includes it is not rebuilt).
            os.utime(header, (1, 1))
            done, _ = g.run(path)
            self.assertEqual(done.returncode, 0)
            self.assertEqual(os.stat(header).st_mtime, 1)


if __name__ == "__main__":
    unittest.main()
