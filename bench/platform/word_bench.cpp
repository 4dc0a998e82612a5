// The word processor stand-in's SpellingErrors over a text of 5,000 mixed English and Korean
// words (about one in five misspelt), as the spelling dialog asks for it: the check of the whole
// text, then the count. The dictionaries load once, before the timing.
#include "objbase.h"
#include "objbase_activation.h"
#include "qx/com/bstr.h"
#include "qx/com/comptr.h"
#include "qx/com/variant.h"
#include "qx/word/word_server.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

constexpr GUID kApplicationClass = MakeGuid("{FA5C6BBB-7369-4F61-A351-10AB7993037E}");

HRESULT Invoke(IDispatch* object, const char16_t* name, WORD kind, VARIANT* arg, VARIANT* result) {
    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr))
        return hr;
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS params{arg, kind == DISPATCH_PROPERTYPUT ? &put : nullptr, arg ? 1u : 0u,
                      kind == DISPATCH_PROPERTYPUT ? 1u : 0u};
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &params, result, nullptr, nullptr);
}

qx::com::ComPtr<IDispatch> Get(IDispatch* object, const char16_t* name, WORD kind = DISPATCH_PROPERTYGET) {
    qx::com::Variant result;
    if (FAILED(Invoke(object, name, kind, nullptr, &result)) || result.vt != VT_DISPATCH)
        return nullptr;
    return qx::com::ComPtr<IDispatch>(result.pdispVal);
}

std::u16string MixedText() {
    const char16_t* words[] = {u"the", u"letter", u"recieve",  u"arrived", u"맞춤법",   u"검사",
                               u"teh", u"today",  u"갔읍니다", u"morning", u"seperate", u"우리"};
    std::u16string text;
    for (int i = 0; i < 5000; ++i) {
        text += words[(i * 7) % 12];
        text += i % 10 == 9 ? u". " : u" ";
    }
    return text;
}

void BM_SpellingErrorsOfMixedWords(benchmark::State& state) {
    CoInitialize(nullptr);
    qx::com::ComPtr<IClassFactory> factory;
    qx::word::GetWordClassObject(kApplicationClass, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    qx::com::ComPtr<IDispatch> application;
    if (!factory ||
        FAILED(factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&application)))) {
        state.SkipWithError("the word processor does not start (no dictionary)");
        return;
    }
    auto document = Get(Get(application.Get(), u"Documents").Get(), u"Add", DISPATCH_METHOD);
    auto content = Get(document.Get(), u"Content");
    const std::u16string mixed = MixedText();
    qx::com::Variant text{std::u16string_view(mixed)};
    Invoke(content.Get(), u"Text", DISPATCH_PROPERTYPUT, &text, nullptr);
    LONG errors = 0;
    for (auto _ : state) {
        auto found = Get(document.Get(), u"SpellingErrors");
        qx::com::Variant count;
        Invoke(found.Get(), u"Count", DISPATCH_PROPERTYGET, nullptr, &count);
        errors = count.lVal;
        benchmark::DoNotOptimize(errors);
    }
    state.counters["errors"] = errors;
    Invoke(application.Get(), u"Quit", DISPATCH_METHOD, nullptr, nullptr);
}
BENCHMARK(BM_SpellingErrorsOfMixedWords)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
