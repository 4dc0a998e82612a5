// The collectors that find the resources an HTML page names: images, linked style sheets,
// scripts and the backgrounds of the body, tables and cells. One pass over the page, reading
// tags as browsers do, finds all four kinds.
#pragma once

#include <string>
#include <string_view>
#include <vector>

enum class ReferenceKind {
    Image,      // <img src>
    StyleSheet, // <link href>
    Script,     // <script src>
    Background, // <body background>, <table background>, <td background>
};
constexpr int kReferenceKinds = 4;

// One attribute value found in the page.
struct HtmlReference {
    // The value as it stands: without its double quotes, with its single quotes.
    std::string text;
    // Where that text lies in the page.
    size_t valueStart = 0;
    size_t valueLength = 0;
};

using HtmlReferences = std::vector<HtmlReference>;

// Every tag of the kind whose attribute has a value that is not blank, in page order (the same
// value may come more than once).
HtmlReferences CollectReferences(std::string_view html, ReferenceKind kind);

// The four kinds at once, each list in page order, indexed by ReferenceKind.
void CollectAllReferences(std::string_view html, HtmlReferences (&lists)[kReferenceKinds]);
