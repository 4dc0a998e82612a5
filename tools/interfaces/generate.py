#!/usr/bin/env python3
"""Generates the C++ header of an interface description (the format is in README.md).

    generate.py DESCRIPTION --header OUT.h [--typelib-source OUT.cpp] [--depfile OUT.d] [--root DIR]

A fault in the description is reported as FILE:LINE: message, with exit status 1.
"""

import argparse
import os
import sys

from idl.emit_cpp import generate_header, generate_typelib_source
from idl.model import DescriptionError
from idl.parser import imported_files, parse_description


def write_if_changed(path, text):
    """Leaves an unchanged file alone, so what includes it is not rebuilt."""
    try:
        with open(path, encoding="utf-8") as f:
            if f.read() == text:
                return
    except OSError:
        pass
    os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
    tmp = path + ".tmp"
    with open(tmp, "w", encoding="utf-8") as f:
        f.write(text)
    os.replace(tmp, path)


def depfile_path(text):
    return text.replace("\\", "\\\\").replace(" ", "\\ ")


def main(argv):
    ap = argparse.ArgumentParser(description="Generates the C++ header of an interface description.")
    ap.add_argument("description")
    ap.add_argument("--header", required=True)
    ap.add_argument("--typelib-source")
    ap.add_argument("--depfile")
    ap.add_argument("--root", help="the folder imports are also looked for in, and names are shown from")
    args = ap.parse_args(argv)
    root = os.path.abspath(args.root) if args.root else None
    try:
        desc = parse_description(args.description, root)
        if os.path.basename(args.header) != desc.header:
            raise DescriptionError(args.description, f"the header of this description is named {desc.header}")
        source_name = os.path.relpath(os.path.abspath(args.description), root) if root else args.description
        header = generate_header(desc, source_name)
        typelib = None
        if args.typelib_source:
            if not desc.library:
                raise DescriptionError(args.description, "a type library needs a library statement")
            typelib = generate_typelib_source(desc, source_name)
    except DescriptionError as e:
        print(f"{e}", file=sys.stderr)
        return 1
    except OSError as e:
        print(f"{args.description}: {e.strerror}", file=sys.stderr)
        return 1
    write_if_changed(args.header, header)
    if typelib is not None:
        write_if_changed(args.typelib_source, typelib)
    if args.depfile:
        deps = [os.path.abspath(args.description)] + imported_files(desc)
        text = depfile_path(args.header) + ": " + " ".join(depfile_path(d) for d in deps) + "\n"
        write_if_changed(args.depfile, text)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
