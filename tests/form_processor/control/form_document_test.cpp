// The form document rules over parsed documents: which elements the scan takes as fields, the
// marker test by start mode, and what the preparation leaves after one and after two runs.
#include "dispatch_names.h"
#include "form_document.h"

#include <gtest/gtest.h>
#include <qx/com/bstr.h>
#include <qx/com/comptr.h>
#include <qx/com/variant.h>
#include <qx/html/dom/html_document.h>

#include <string>
#include <vector>

using qx::com::Bstr;
using qx::com::ComPtr;
using qx::com::Variant;

namespace {

ComPtr<IHTMLDocument2> Parse(const char16_t* html) {
    ComPtr<IHTMLDocument2> document;
    EXPECT_EQ(qx::html::dom::ParseHtmlDocumentObject(html, &document), S_OK);
    return document;
}

std::u16string Text(IDispatch* object, const OLECHAR* name) {
    Variant value;
    if (FAILED(GetPropertyByName(object, name, &value)) || FAILED(value.ChangeType(VT_BSTR)))
        return u"?";
    return std::u16string(Bstr(value.bstrVal).View());
}

TEST(FormDocumentTest, ScanTakesExactFieldClassesInDocumentOrder) {
    ComPtr<IHTMLDocument2> document =
        Parse(u"<html><body dovrel><table><tr><td id=doctitle class=FIELD>t</td></tr>"
              u"<tr><td id=customer class=FIELD free LOCKED=TRUE>x</td></tr>"
              u"<tr><td id=amount class=FIELD free>1</td><td id=amount class=FIELD free>2</td></tr>"
              u"<tr><td class=field>lower</td><td class='FIELD x'>two</td><td class=' FIELD'>space</td>"
              u"<td id=docsetfocus class=FIELD\nfree>memo</td></tr></table>"
              u"<span class=FIELD id=last>s</span></body></html>");
    qx::com::ObjectPtr<CqxFormFields> fields;
    ASSERT_EQ(qx::com::CreateObject<CqxFormFields>(fields), S_OK);
    // Twice: a rescan replaces the fields, it does not add to them.
    ScanFormFields(document.Get(), *fields.Get());
    ASSERT_EQ(ScanFormFields(document.Get(), *fields.Get()), 6);
    std::vector<std::u16string> ids;
    for (LONG i = 1; i <= 6; ++i) {
        ComPtr<IDispatch> item;
        ASSERT_EQ(fields->get_Item(Variant(i), &item), S_OK);
        ids.push_back(Text(item.Get(), u"FieldID"));
    }
    EXPECT_EQ(ids, (std::vector<std::u16string>{u"doctitle", u"customer", u"amount", u"amount",
                                                u"docsetfocus", u"last"}));
    EXPECT_EQ(ScanFormFields(nullptr, *fields.Get()), 0);
    LONG count = -1;
    fields->get_Count(&count);
    EXPECT_EQ(count, 0);
}

TEST(FormDocumentTest, MarkerTestByStartMode) {
    struct Case {
        SHORT startMode;
        const char16_t* html;
        bool passes;
    };
    const Case cases[] = {
        {1, u"<html><body dovrel=''><p>text</p></body></html>", true},
        {1, u"<html><body dovrel>text</body></html>", true},
        {1, u"<html><body><p>text</p></body></html>", false},
        {0, u"<html><body><p>text</p></body></html>", false},
        {2, u"<html><body><p>text</p></body></html>", true},
        {1, u"<html><body></body></html>", true},
        {1, u"<html><body><span>   </span></body></html>", true},
        {1, u"<html><body><span>   </span><b></b></body></html>", false},
        {2, u"<html><body><span>   </span><b></b></body></html>", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(qx::com::Utf16ToUtf8(c.html));
        ComPtr<IHTMLDocument2> document = Parse(c.html);
        EXPECT_EQ(PassesMarkerTest(document.Get(), c.startMode), c.passes);
    }
}

TEST(FormDocumentTest, BlankDocumentGetsZeroMargins) {
    struct Case {
        const char16_t* html;
        const char16_t* margin; // BODY's leftMargin afterwards
    };
    const Case cases[] = {
        {u"<html><body leftmargin=8></body></html>", u"0"},
        {u"<html><body leftmargin=8 dovrel>text</body></html>", u"8"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(qx::com::Utf16ToUtf8(c.html));
        ComPtr<IHTMLDocument2> document = Parse(c.html);
        ASSERT_TRUE(PassesMarkerTest(document.Get(), 1));
        ComPtr<IDispatch> bodyDispatch;
        ASSERT_EQ(document->get_body(&bodyDispatch), S_OK);
        EXPECT_EQ(Text(bodyDispatch.Get(), u"leftMargin"), c.margin);
    }
}

TEST(FormDocumentTest, PreparationTwiceLeavesOneParagraphSheet) {
    struct Case {
        const char16_t* html;
        const char16_t* fontSize;
    };
    const Case cases[] = {
        {u"<html><head><style title=VOFORM_STYLE>td{color:red}</style></head><body dovrel>x</body></html>",
         u"10pt"},
        {u"<html><body dovrel style='font-size:12pt'>x</body></html>", u"12pt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(qx::com::Utf16ToUtf8(c.html));
        ComPtr<IHTMLDocument2> document = Parse(c.html);
        PrepareFormDocument(document.Get());
        PrepareFormDocument(document.Get());
        Bstr charset;
        document->get_charset(&charset);
        EXPECT_EQ(charset.View(), u"ks_c_5601-1987");

        ComPtr<IDispatch> sheets;
        ASSERT_EQ(document->get_styleSheets(&sheets), S_OK);
        Variant length;
        ASSERT_EQ(GetPropertyByName(sheets.Get(), u"length", &length), S_OK);
        ASSERT_EQ(length.ChangeType(VT_I4), S_OK);
        int paragraphSheets = 0;
        for (LONG i = 0; i < length.lVal; ++i) {
            Variant at(i), sheet;
            ASSERT_EQ(CallMethodByName(sheets.Get(), u"item", &at, 1, &sheet), S_OK);
            const std::u16string title = Text(sheet.pdispVal, u"title");
            if (title == u"voform_style_1") {
                ++paragraphSheets;
                EXPECT_EQ(Text(sheet.pdispVal, u"cssText"),
                          u"P {\r\n\tMARGIN-TOP: 0mm; MARGIN-BOTTOM: 0mm\r\n}\r\n");
            } else {
                EXPECT_EQ(title, u"");
                EXPECT_EQ(Text(sheet.pdispVal, u"cssText"), u"");
            }
        }
        EXPECT_EQ(paragraphSheets, 1);

        ComPtr<IDispatch> body, style;
        ASSERT_EQ(document->get_body(&body), S_OK);
        ASSERT_EQ(GetObjectByName(body.Get(), u"style", &style), S_OK);
        EXPECT_EQ(Text(style.Get(), u"fontSize"), c.fontSize);
    }
}

} // namespace
