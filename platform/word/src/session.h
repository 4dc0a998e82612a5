// What the word processor's objects share: the application's state, the documents' texts and
// the call journal.
#pragma once

#include "word_automation.h"

#include "qx/com/comptr.h"
#include "qx/com/object.h"

#include <memory>
#include <string>
#include <vector>

namespace qx::word {

struct DocumentText {
    std::u16string text;
    bool saved = true;
    bool closed = false;
};

struct Session {
    bool quit = false;
    LONG top = 0;
    LONG windowState = 0;
    std::vector<std::shared_ptr<DocumentText>> documents;
};

// Adds one line to the journal.
void Journal(std::string line);

// Whether an object of the session may still answer: after Quit (or its document's Close) it is
// cut off from the word processor.
inline bool Disconnected(const Session& session, const DocumentText* document = nullptr) {
    return session.quit || (document && document->closed);
}

// A new object of class T handed out as its IDispatch.
template <typename T, typename... A>
HRESULT NewDispatch(IDispatch** out, A&&... args) {
    com::ObjectPtr<T> object;
    HRESULT hr = com::CreateObject<T>(object, std::forward<A>(args)...);
    if (FAILED(hr))
        return hr;
    return object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(out));
}

HRESULT CreateApplication(IUnknown* outer, REFIID riid, void** object);
HRESULT CreateDocuments(std::shared_ptr<Session> session, IDispatch** out);
HRESULT CreateDocument(std::shared_ptr<Session> session, std::shared_ptr<DocumentText> text, IDispatch** out);
// A range over [start, start + length) of the text; length npos reaches to the text's end.
HRESULT CreateRange(std::shared_ptr<Session> session, std::shared_ptr<DocumentText> text, std::size_t start,
                    std::size_t length, IDispatch** out);
HRESULT CreateSpellingErrors(std::shared_ptr<Session> session, std::shared_ptr<DocumentText> text,
                             IDispatch** out);
HRESULT CreateSuggestions(std::shared_ptr<Session> session, std::vector<std::u16string> names,
                          IDispatch** out);

} // namespace qx::word
