// Whole-string transforms of the MIME library: base64 with line breaks, quoted-printable, the
// line-break conversions and the folding of header text. Each coding function writes its result
// into out (what was produced so far when it fails) and returns 0 on success, -1 on failure.
// Every codec of the library, here and in its other files, writes kMimeEndOfLine as its line
// break.
#pragma once

#include "mime_string.h"

// The library composes with bare line feeds; the packer turns them into CR LF at the end.
inline constexpr char kMimeEndOfLine[] = "\n";

// Base64 (RFC 2045 alphabet, "=" padding) in lines of 76 characters, each ended by a line feed,
// the last one too; an input whose length is a multiple of 57 ends with two line feeds, and an
// empty input gives one.
int EncodeBase64(const MimeString& in, MimeString& out);
// Skips blanks, tabs, CR and LF; any other byte outside the alphabet gives -1 and is skipped;
// "=" ends the data.
int DecodeBase64(const MimeString& in, MimeString& out);

int EncodeQuotedPrintable(const MimeString& in, MimeString& out);
// Every byte is kept as it is; trailing blanks, tabs, CR and LF of each line are dropped;
// -1 when an escape is malformed.
int DecodeQuotedPrintable(const MimeString& in, MimeString& out);

// Every "\n" and lone "\r" becomes "\r\n".
int ToCrLf(const MimeString& in, MimeString& out);
// "\r\n" and lone "\r" become "\n". CrLfToLf is the same function under its second name.
int ToLf(const MimeString& in, MimeString& out);
int CrLfToLf(const MimeString& in, MimeString& out);
// "\r\n" and "\n" become "\r".
int ToCr(const MimeString& in, MimeString& out);

// Removes every CR and LF; a tab right after a line feed becomes one blank.
void UnfoldHeaderText(MimeString& text);
// Rebuilds the text from its words so that each line, with offset columns in front of it, stays
// within 75 columns; continuation lines begin with "\n ".
void FoldHeaderText(MimeString& text, int offset);
