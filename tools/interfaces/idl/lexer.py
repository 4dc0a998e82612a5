"""Lines of a description: comments split off, head lines cut into tokens."""

import re

from .model import DescriptionError

GUID_RE = re.compile(r"\{[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12}\}")
TOKEN_RE = re.compile(
    r"""\s*(?:
        (?P<guid>\{[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12}\})
      | (?P<string>"(?:[^"\\]|\\.)*")
      | (?P<number>-?(?:0[xX][0-9A-Fa-f]+|\d+)(?:\.\d+)?)
      | (?P<word>[A-Za-z_][A-Za-z0-9_]*(?:::[A-Za-z_][A-Za-z0-9_]*)*\**)
      | (?P<punct>[{}()\[\],:=<>*&])
    )""",
    re.VERBOSE,
)


class Token:
    def __init__(self, kind, text):
        self.kind = kind
        self.text = text

    def __repr__(self):
        return f"{self.kind}:{self.text}"


def split_comment(line):
    """(code, trailing): '#' drops the rest of the line, '//' keeps it as a comment for the header."""
    in_string = False
    i = 0
    while i < len(line):
        c = line[i]
        if in_string:
            if c == "\\":
                i += 1
            elif c == '"':
                in_string = False
        elif c == '"':
            in_string = True
        elif c == "#":
            return line[:i].rstrip(), None
        elif line.startswith("//", i):
            return line[:i].rstrip(), line[i + 2 :].strip()
        i += 1
    return line.rstrip(), None


def tokenize(text, where):
    tokens = []
    pos = 0
    text = text.rstrip()
    while pos < len(text):
        m = TOKEN_RE.match(text, pos)
        if not m or m.end() == pos:
            raise DescriptionError(where, f"unexpected text '{text[pos:].strip()}'")
        kind = m.lastgroup
        tokens.append(Token(kind, m.group(kind)))
        pos = m.end()
        while pos < len(text) and text[pos].isspace():
            pos += 1
    return tokens


def unquote(text, where):
    """The value of a "..." token: \\" and \\\\ are the escapes."""
    body = text[1:-1]
    out = []
    i = 0
    while i < len(body):
        if body[i] == "\\":
            if i + 1 >= len(body) or body[i + 1] not in '"\\':
                raise DescriptionError(where, f"unknown escape in {text}")
            out.append(body[i + 1])
            i += 2
        else:
            out.append(body[i])
            i += 1
    return "".join(out)


def split_top_level(text, separator=","):
    """Splits at separators outside brackets, parentheses and strings."""
    parts, depth, current, in_string = [], 0, [], False
    i = 0
    while i < len(text):
        c = text[i]
        if in_string:
            current.append(c)
            if c == "\\" and i + 1 < len(text):
                current.append(text[i + 1])
                i += 1
            elif c == '"':
                in_string = False
        elif c == '"':
            in_string = True
            current.append(c)
        elif c in "([":
            depth += 1
            current.append(c)
        elif c in ")]":
            depth -= 1
            current.append(c)
        elif c == separator and depth == 0:
            parts.append("".join(current))
            current = []
        else:
            current.append(c)
        i += 1
    if "".join(current).strip() or parts:
        parts.append("".join(current))
    return [p.strip() for p in parts]


def matching_paren(text, start):
    """Index of the ')' that closes the '(' at start, or -1."""
    depth, in_string = 0, False
    for i in range(start, len(text)):
        c = text[i]
        if in_string:
            if c == '"' and text[i - 1] != "\\":
                in_string = False
        elif c == '"':
            in_string = True
        elif c == "(":
            depth += 1
        elif c == ")":
            depth -= 1
            if depth == 0:
                return i
    return -1
