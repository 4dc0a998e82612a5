// The collectors that find the resources an HTML page names: images, linked style sheets,
// scripts and the backgrounds of the body, tables and cells. Each scans the page once, in time
// linear in its length.
#pragma once

#include <string>
#include <vector>

enum class ReferenceKind {
    Image,      // <img src>
    StyleSheet, // <link href>
    Script,     // <script src>
    Background, // <body background>, <table background>, <td background>
};

// One attribute value found in the page.
struct HtmlReference {
    // The value as it stands, with any characters that stood between the name and "=".
    std::string text;
    // Where the value after "=" lies in the page (inside its quotes when it is quoted).
    size_t valueStart = 0;
    size_t valueLength = 0;
};

// Every tag of the kind whose attribute has a value that is not blank, in page order (the same
// value may come more than once). lowered is ToLowerAscii(html).
std::vector<HtmlReference> CollectReferences(const std::string& html, const std::string& lowered,
                                             ReferenceKind kind);
