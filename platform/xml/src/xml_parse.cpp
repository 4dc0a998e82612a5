#include "xml_parse.h"

#include "qx/win32/codepage.h"
#include "stringapiset.h"

#include <libxml/parser.h>
#include <libxml/parserInternals.h>

#include <algorithm>
#include <cctype>
#include <vector>

namespace qx::xml {
namespace {

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

struct Declaration {
    bool present = false;
    std::string encoding;
    std::string standalone;
};

// Reads the pseudo-attribute `name` of an XML declaration's text.
std::string DeclarationValue(std::string_view decl, std::string_view name) {
    std::size_t at = 0;
    while ((at = decl.find(name, at)) != std::string_view::npos) {
        std::size_t p = at + name.size();
        while (p < decl.size() && std::isspace(static_cast<unsigned char>(decl[p])))
            ++p;
        if (p < decl.size() && decl[p] == '=') {
            ++p;
            while (p < decl.size() && std::isspace(static_cast<unsigned char>(decl[p])))
                ++p;
            if (p < decl.size() && (decl[p] == '"' || decl[p] == '\'')) {
                std::size_t end = decl.find(decl[p], p + 1);
                if (end != std::string_view::npos)
                    return std::string(decl.substr(p + 1, end - p - 1));
            }
        }
        at = p;
    }
    return {};
}

Declaration ReadDeclaration(std::string_view text) {
    Declaration d;
    if (text.size() < 6 || text.substr(0, 5) != "<?xml" || !std::isspace(static_cast<unsigned char>(text[5])))
        return d;
    std::size_t end = text.find("?>");
    if (end == std::string_view::npos || end > 1024)
        return d;
    std::string_view decl = text.substr(5, end - 5);
    d.present = true;
    d.encoding = DeclarationValue(decl, "encoding");
    d.standalone = DeclarationValue(decl, "standalone");
    return d;
}

std::u16string DecodeUtf16(std::string_view bytes, bool bigEndian) {
    std::u16string out;
    out.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        auto b0 = static_cast<unsigned char>(bytes[i]);
        auto b1 = static_cast<unsigned char>(bytes[i + 1]);
        out.push_back(static_cast<char16_t>(bigEndian ? (b0 << 8 | b1) : (b1 << 8 | b0)));
    }
    return out;
}

std::u16string FromCodePage(UINT codePage, std::string_view bytes) {
    if (bytes.empty())
        return {};
    int n = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::u16string out(static_cast<std::size_t>(std::max(n, 0)), u'\0');
    if (n > 0)
        MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), n);
    return out;
}

ParseFailure Failure(LONG code, std::u16string reason) {
    ParseFailure f;
    f.errorCode = code;
    f.reason = std::move(reason) + u"\r\n";
    return f;
}

// The first fatal error of a parse: the parser goes on scanning after it and its later errors
// (an unclosed tag at the end of the text) would only point away from the real fault.
struct FirstError {
    bool seen = false;
    int code = 0;
    std::string message;
    int line = 0;
    int column = 0;
};

struct ParseState {
    bool entityDeclared = false;
    FirstError first;
};

// Entity declarations stop the parse: nothing is ever expanded, so an expansion bomb cannot grow.
void RefuseEntityDecl(void* ctx, const xmlChar*, int, const xmlChar*, const xmlChar*, xmlChar*) {
    auto* ctxt = static_cast<xmlParserCtxtPtr>(ctx);
    if (auto* state = static_cast<ParseState*>(ctxt->_private))
        state->entityDeclared = true;
    xmlStopParser(ctxt);
}

void Silent(void*, const char*, ...) {}
void SilentStructured(void*, xmlErrorPtr) {}

// The parser's structured error channel; its user data is the parser context.
void KeepFirstError(void* userData, xmlErrorPtr error) {
    auto* ctxt = static_cast<xmlParserCtxtPtr>(userData);
    auto* state = ctxt ? static_cast<ParseState*>(ctxt->_private) : nullptr;
    if (!state || !error || state->first.seen || error->level != XML_ERR_FATAL)
        return;
    state->first.seen = true;
    state->first.code = error->code;
    state->first.message = error->message ? error->message : "";
    state->first.line = error->line;
    state->first.column = error->int2;
}

// Drops whitespace-only text nodes, as the parser does unless asked to keep white space.
void RemoveBlankText(xmlNodePtr root) {
    std::vector<xmlNodePtr> pending{root};
    while (!pending.empty()) {
        xmlNodePtr parent = pending.back();
        pending.pop_back();
        for (xmlNodePtr c = parent->children; c;) {
            xmlNodePtr next = c->next;
            if (c->type == XML_TEXT_NODE && xmlIsBlankNode(c)) {
                xmlUnlinkNode(c);
                xmlFreeNode(c);
            } else if (c->type == XML_ELEMENT_NODE) {
                pending.push_back(c);
            }
            c = next;
        }
    }
}

// An entity reference left in the tree: one the document never declared (its definition would be
// in an external subset, which is never read).
xmlNodePtr FindEntityReference(xmlNodePtr root) {
    std::vector<xmlNodePtr> pending{root};
    while (!pending.empty()) {
        xmlNodePtr parent = pending.back();
        pending.pop_back();
        if (parent->type == XML_ELEMENT_NODE)
            for (xmlAttrPtr a = parent->properties; a; a = a->next)
                pending.push_back(reinterpret_cast<xmlNodePtr>(a));
        for (xmlNodePtr c = parent->children; c; c = c->next) {
            if (c->type == XML_ENTITY_REF_NODE)
                return c;
            if (c->type == XML_ELEMENT_NODE)
                pending.push_back(c);
        }
    }
    return nullptr;
}

std::u16string LineOf(std::string_view utf8, LONG line, LONG* lineStart) {
    LONG current = 1;
    std::size_t start = 0;
    for (std::size_t i = 0; i < utf8.size() && current < line; ++i)
        if (utf8[i] == '\n') {
            ++current;
            start = i + 1;
        }
    std::size_t end = utf8.find_first_of("\r\n", start);
    if (end == std::string_view::npos)
        end = utf8.size();
    end = std::min(end, start + 1024);
    *lineStart = static_cast<LONG>(start);
    return qx::win32::Utf8ToWide(utf8.substr(start, end - start));
}

ParseResult ParseUtf8(std::string_view utf8, const Declaration& decl, bool preserveWhiteSpace) {
    ParseResult result;
    if (utf8.size() > kMaxDocumentBytes) {
        result.failure = Failure(kErrorDocumentTooLarge, u"The document is larger than the parser accepts.");
        return result;
    }
    xmlSetGenericErrorFunc(nullptr, Silent);
    xmlSetStructuredErrorFunc(nullptr, SilentStructured);
    xmlParserCtxtPtr ctxt = xmlNewParserCtxt();
    if (!ctxt) {
        result.failure = Failure(static_cast<LONG>(0x8007000Eu), u"Not enough storage is available.");
        return result;
    }
    ParseState state;
    ctxt->_private = &state;
    ctxt->sax->entityDecl = RefuseEntityDecl;
    ctxt->sax->serror = KeepFirstError;
    const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_NODICT;
    xmlDocPtr doc =
        xmlCtxtReadMemory(ctxt, utf8.data(), static_cast<int>(utf8.size()), nullptr, "UTF-8", options);
    bool entityInSubset = doc && doc->intSubset && doc->intSubset->entities;
    xmlNodePtr reference =
        doc && ctxt->wellFormed ? FindEntityReference(reinterpret_cast<xmlNodePtr>(doc)) : nullptr;
    if (reference) {
        std::string name = reference->name ? reinterpret_cast<const char*>(reference->name) : "";
        result.failure = Failure(kErrorUndefinedEntity,
                                 qx::win32::Utf8ToWide("Reference to undefined entity '" + name + "'."));
        result.failure.line = static_cast<LONG>(xmlGetLineNo(reference));
        xmlFreeDoc(doc);
        xmlFreeParserCtxt(ctxt);
        return result;
    }
    if (doc && ctxt->wellFormed && !state.entityDeclared && !entityInSubset && xmlDocGetRootElement(doc)) {
        if (!preserveWhiteSpace)
            RemoveBlankText(reinterpret_cast<xmlNodePtr>(doc));
        result.tree = std::make_shared<XmlTree>(doc);
        result.tree->hasDeclaration = decl.present;
        if (doc->version)
            result.tree->declVersion = reinterpret_cast<const char*>(doc->version);
        result.tree->declEncoding = decl.encoding;
        result.tree->declStandalone = decl.standalone;
        xmlFreeParserCtxt(ctxt);
        return result;
    }
    FirstError err = state.first;
    if (!err.seen) {
        if (const xmlError* last = xmlCtxtGetLastError(ctxt); last && last->code != XML_ERR_OK)
            err = FirstError{true, last->code, last->message ? last->message : "", last->line, last->int2};
    }
    if (state.entityDeclared || entityInSubset) {
        result.failure = Failure(kErrorEntityDeclaration, u"Entity declarations are not accepted.");
    } else if (err.seen) {
        std::string message = err.message;
        while (!message.empty() &&
               (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
            message.pop_back();
        LONG code = err.code == XML_ERR_DOCUMENT_EMPTY || err.code == XML_ERR_DOCUMENT_END
                        ? kErrorMissingRoot
                        : kSyntaxErrorBase + static_cast<LONG>(err.code & 0xFFF);
        result.failure = Failure(code, qx::win32::Utf8ToWide(message));
        result.failure.line = err.line;
        result.failure.linepos = err.column;
        LONG lineStart = 0;
        if (err.line > 0)
            result.failure.srcText = LineOf(utf8, err.line, &lineStart);
        result.failure.filepos = lineStart + std::max<LONG>(err.column - 1, 0);
    } else {
        result.failure = Failure(kErrorMissingRoot, u"XML document must have a top level element.");
    }
    if (doc)
        xmlFreeDoc(doc);
    xmlFreeParserCtxt(ctxt);
    return result;
}

} // namespace

UINT CodePageOfEncoding(std::string_view name) {
    std::string n = Lower(name);
    if (n.empty() || n == "utf-8" || n == "utf8")
        return 65001;
    if (n == "utf-16" || n == "ucs-2" || n == "unicode")
        return 1200;
    if (n == "euc-kr" || n == "ks_c_5601-1987" || n == "ks_c_5601" || n == "ksc5601" || n == "cp949" ||
        n == "windows-949" || n == "x-windows-949" || n == "uhc" || n == "korean")
        return 949;
    if (n == "iso-8859-1" || n == "latin1" || n == "iso8859-1")
        return 28591;
    if (n == "us-ascii" || n == "ascii")
        return 20127;
    if (n == "windows-1252")
        return 1252;
    if (n == "shift_jis" || n == "shift-jis" || n == "sjis")
        return 932;
    if (n == "gb2312" || n == "gbk")
        return 936;
    if (n == "big5")
        return 950;
    return 0;
}

ParseResult ParseBytes(std::string_view bytes, bool preserveWhiteSpace) {
    if (bytes.size() > kMaxDocumentBytes) {
        ParseResult r;
        r.failure = Failure(kErrorDocumentTooLarge, u"The document is larger than the parser accepts.");
        return r;
    }
    auto byteAt = [&](std::size_t i) {
        return i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0x100;
    };
    std::u16string wide;
    bool haveWide = false;
    if (byteAt(0) == 0xEF && byteAt(1) == 0xBB && byteAt(2) == 0xBF) {
        bytes.remove_prefix(3);
    } else if (byteAt(0) == 0xFF && byteAt(1) == 0xFE) {
        wide = DecodeUtf16(bytes.substr(2), false);
        haveWide = true;
    } else if (byteAt(0) == 0xFE && byteAt(1) == 0xFF) {
        wide = DecodeUtf16(bytes.substr(2), true);
        haveWide = true;
    } else if (byteAt(0) == '<' && byteAt(1) == 0 && byteAt(2) == '?' && byteAt(3) == 0) {
        wide = DecodeUtf16(bytes, false);
        haveWide = true;
    } else if (byteAt(0) == 0 && byteAt(1) == '<' && byteAt(2) == 0 && byteAt(3) == '?') {
        wide = DecodeUtf16(bytes, true);
        haveWide = true;
    }
    if (haveWide) {
        std::string utf8 = qx::win32::WideToUtf8(wide);
        return ParseUtf8(utf8, ReadDeclaration(utf8), preserveWhiteSpace);
    }
    Declaration decl = ReadDeclaration(bytes);
    UINT cp = CodePageOfEncoding(decl.encoding);
    if (cp == 65001)
        return ParseUtf8(bytes, decl, preserveWhiteSpace);
    if (cp == 0 || cp == 1200) {
        // A declared UTF-16 without its byte order cannot be read as 8-bit text either.
        ParseResult r;
        r.failure = Failure(kErrorUnsupportedEncoding, u"System does not support the specified encoding.");
        r.failure.line = 1;
        return r;
    }
    std::string utf8 = qx::win32::WideToUtf8(FromCodePage(cp, bytes));
    return ParseUtf8(utf8, decl, preserveWhiteSpace);
}

ParseResult ParseText(std::u16string_view text, bool preserveWhiteSpace) {
    if (!text.empty() && text.front() == u'\xFEFF')
        text.remove_prefix(1);
    if (text.size() > kMaxDocumentBytes) {
        ParseResult r;
        r.failure = Failure(kErrorDocumentTooLarge, u"The document is larger than the parser accepts.");
        return r;
    }
    std::string utf8 = qx::win32::WideToUtf8(text);
    return ParseUtf8(utf8, ReadDeclaration(utf8), preserveWhiteSpace);
}

} // namespace qx::xml
