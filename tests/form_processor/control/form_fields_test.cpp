// The field objects over parsed documents: lookup by number and name, the attributes as script
// reads and writes them, the multi-field, the enumerator's snapshot and the attribute view.
#include "form_document.h"
#include "form_fields.h"

#include <gtest/gtest.h>
#include <qx/com/bstr.h>
#include <qx/html/dom/html_document.h>

using qx::com::Bstr;
using qx::com::ComPtr;
using qx::com::Variant;

namespace {

constexpr char16_t kForm[] = u"<html><body>"
                             u"<span class=FIELD id=name TYPE=long LOCKED=TRUE>Kim</span>"
                             u"<span class=field id=lower>no</span>"
                             u"<span class='FIELD x' id=two>no</span>"
                             u"<table><tr><td class=FIELD id=amount PROCESSTIME=final>1</td></tr></table>"
                             u"<div class=FIELD id=amount>2</div>"
                             u"<p class=FIELD>last</p>"
                             u"</body></html>";

class FormFieldsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(qx::html::dom::ParseHtmlDocumentObject(kForm, &document_), S_OK);
        ASSERT_EQ(qx::com::CreateObject<CqxFormFields>(fields_), S_OK);
        ScanFormFields(document_.Get(), *fields_.Get());
    }

    ComPtr<IqxFormField> Field(LONG index) {
        ComPtr<IDispatch> item;
        EXPECT_EQ(fields_->get_Item(Variant(index), &item), S_OK);
        return ComPtr<IqxFormField>::QueryFrom(item.Get());
    }

    ComPtr<IHTMLDocument2> document_;
    qx::com::ObjectPtr<CqxFormFields> fields_;
};

TEST_F(FormFieldsTest, OnlyExactFieldClassIsCollected) {
    LONG count = 0;
    ASSERT_EQ(fields_->get_Count(&count), S_OK);
    EXPECT_EQ(count, 4);
}

TEST_F(FormFieldsTest, ItemByNumber) {
    struct Case {
        Variant index;
        HRESULT hr;
        const char16_t* id; // null: a null result
    };
    const Case cases[] = {
        {Variant(LONG{0}), S_OK, nullptr},         {Variant(LONG{1}), S_OK, u"name"},
        {Variant(SHORT{2}), S_OK, u"amount"},      {Variant(LONG{4}), S_OK, u""},
        {Variant(LONG{5}), E_INVALIDARG, nullptr}, {Variant(LONG{-1}), E_INVALIDARG, nullptr},
        {Variant(1.5), E_INVALIDARG, nullptr},
    };
    for (const Case& c : cases) {
        IDispatch* item = reinterpret_cast<IDispatch*>(1);
        const HRESULT hr = fields_->get_Item(c.index, &item);
        EXPECT_EQ(hr, c.hr);
        if (FAILED(hr))
            continue;
        if (!c.id) {
            EXPECT_EQ(item, nullptr);
            continue;
        }
        auto field = ComPtr<IqxFormField>::QueryFrom(item);
        item->Release();
        Bstr id;
        ASSERT_EQ(field->get_FieldID(&id), S_OK);
        EXPECT_EQ(id.View(), c.id);
    }
}

TEST_F(FormFieldsTest, ItemByNameGivesFieldMultiFieldOrNull) {
    ComPtr<IDispatch> item;
    ASSERT_EQ(fields_->get_Item(Variant(u"name"), &item), S_OK);
    EXPECT_TRUE(ComPtr<IqxFormField>::QueryFrom(item.Get()));
    ASSERT_EQ(fields_->get_Item(Variant(u"Name"), &item), S_OK);
    EXPECT_EQ(item.Get(), nullptr);
    ASSERT_EQ(fields_->get_Item(Variant(u"Amount"), &item), S_OK);
    EXPECT_EQ(item.Get(), nullptr);

    ASSERT_EQ(fields_->get_Item(Variant(u"amount"), &item), S_OK);
    auto multi = ComPtr<IqxMultiField>::QueryFrom(item.Get());
    ASSERT_TRUE(multi);
    ASSERT_EQ(multi->put_Value(Variant(LONG{7})), S_OK);
    EXPECT_EQ(Field(2)->get_Value(nullptr), E_POINTER);
    for (LONG index : {2, 3}) {
        Variant text;
        ASSERT_EQ(Field(index)->get_Value(&text), S_OK);
        EXPECT_EQ(Bstr(text.bstrVal).View(), u"7");
    }
    Variant value;
    ASSERT_EQ(multi->get_Value(&value), S_OK);
    EXPECT_EQ(value.vt, VT_BSTR);
    ComPtr<IDispatch> tag;
    ASSERT_EQ(multi->get_TagObject(&tag), S_OK);
    EXPECT_EQ(tag.Get(), nullptr);
}

TEST_F(FormFieldsTest, AttributesReadAndWriteAsScriptSeesThem) {
    ComPtr<IqxFormField> name = Field(1), amount = Field(2);
    struct TextCase {
        IqxFormField* field;
        HRESULT (STDMETHODCALLTYPE IqxFormField::*get)(BSTR*);
        const char16_t* expected;
    };
    const TextCase texts[] = {
        {name.Get(), &IqxFormField::get_Type, u"long"},
        {amount.Get(), &IqxFormField::get_Type, u"character"},
        {name.Get(), &IqxFormField::get_ProcessTime, u"draft"},
        {amount.Get(), &IqxFormField::get_ProcessTime, u"final"},
    };
    for (const TextCase& c : texts) {
        Bstr text;
        ASSERT_EQ((c.field->*c.get)(&text), S_OK);
        EXPECT_EQ(text.View(), c.expected);
    }

    LONG locked = -7;
    ASSERT_EQ(name->get_Locked(&locked), S_OK);
    EXPECT_EQ(locked, FALSE) << "only the exact text \"true\" reads true";
    ASSERT_EQ(name->put_Locked(-1), S_OK);
    ASSERT_EQ(name->get_Locked(&locked), S_OK);
    EXPECT_EQ(locked, TRUE);
    ComPtr<IDispatch> tag;
    ASSERT_EQ(name->get_TagObject(&tag), S_OK);
    Bstr html;
    ComPtr<IHTMLElement>::QueryFrom(tag.Get())->get_outerHTML(&html);
    EXPECT_NE(html.View().find(u"LOCKED=true>"), std::u16string_view::npos) << html.ToUtf8();
    ASSERT_EQ(name->put_Required(1), S_OK);
    LONG required = -7;
    ASSERT_EQ(name->get_Required(&required), S_OK);
    EXPECT_EQ(required, FALSE);

    LONG reserved = 42;
    EXPECT_EQ(name->get_Reserved(&reserved), S_OK);
    EXPECT_EQ(reserved, 42);
    EXPECT_EQ(name->get_Type(nullptr), E_POINTER);
}

TEST_F(FormFieldsTest, ValuePutConvertsOrFails) {
    ComPtr<IqxFormField> name = Field(1);
    ASSERT_EQ(name->put_Value(Variant(2.5)), S_OK);
    Variant text;
    ASSERT_EQ(name->get_Value(&text), S_OK);
    EXPECT_EQ(Bstr(text.bstrVal).View(), u"2.5");
    EXPECT_EQ(name->put_Value(Variant(static_cast<IDispatch*>(name.Get()))), DISP_E_TYPEMISMATCH);
    ASSERT_EQ(name->get_Value(&text), S_OK);
    EXPECT_EQ(Bstr(text.bstrVal).View(), u"2.5");
}

TEST_F(FormFieldsTest, EnumeratorWalksASnapshot) {
    ComPtr<IUnknown> unknown;
    ASSERT_EQ(fields_->get__NewEnum(&unknown), S_OK);
    auto walk = ComPtr<IEnumVARIANT>::QueryFrom(unknown.Get());
    fields_->Clear();
    int seen = 0;
    for (;;) {
        Variant item;
        ULONG fetched = 0;
        if (walk->Next(1, &item, &fetched) != S_OK)
            break;
        EXPECT_EQ(item.vt, VT_DISPATCH);
        ++seen;
    }
    EXPECT_EQ(seen, 4);
}

TEST_F(FormFieldsTest, AttributeViewMarksFieldsAndElements) {
    auto background = [&](LONG index) {
        ComPtr<IDispatch> tag;
        Field(index)->get_TagObject(&tag);
        ComPtr<IDispatch> style;
        ComPtr<IHTMLElement2>::QueryFrom(tag.Get())->get_runtimeStyle(&style);
        DISPID id = 0;
        LPOLESTR name = const_cast<LPOLESTR>(u"backgroundColor");
        style->GetIDsOfNames(IID_NULL, &name, 1, 0, &id);
        Variant value;
        DISPPARAMS none{};
        style->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &value, nullptr, nullptr);
        return std::u16string(Bstr(value.bstrVal).View());
    };
    VARIANT_BOOL flag = VARIANT_FALSE;
    SetFieldAttributeView(document_.Get(), -1, Variant::Missing(), flag);
    EXPECT_EQ(flag, VARIANT_TRUE);
    EXPECT_EQ(background(1), u"#000000");
    SetFieldAttributeView(document_.Get(), 1, Variant::Missing(), flag);
    EXPECT_EQ(flag, VARIANT_FALSE);
    EXPECT_EQ(background(1), u"");

    // A value that is no element changes nothing.
    SetFieldAttributeView(document_.Get(), -1, Variant(LONG{3}), flag);
    EXPECT_EQ(flag, VARIANT_FALSE);
    ComPtr<IDispatch> tag;
    Field(2)->get_TagObject(&tag);
    SetFieldAttributeView(document_.Get(), -1, Variant(tag.Get()), flag);
    EXPECT_EQ(flag, VARIANT_TRUE);
    EXPECT_EQ(background(2), u"#000000");
    EXPECT_EQ(background(1), u"");
}

} // namespace
