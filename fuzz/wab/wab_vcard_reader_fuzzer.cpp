// The book reader on arbitrary bytes: a file is a book or refused, never a crash; the cards of
// a book are written back so that they read again as the same cards; and a save into a file
// that is refused leaves its bytes alone, while a save into a book keeps every card of it.
#include "book.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

std::string g_file;

bool Prepare() {
    char pattern[] = "/tmp/wab-reader-fuzz-XXXXXX";
    if (!mkdtemp(pattern))
        return false;
    g_file = std::string(pattern) + "/book.wab";
    return true;
}

std::string ReadFile() {
    std::ifstream in(g_file, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteFile(std::string_view bytes) {
    std::ofstream(g_file, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool prepared = Prepare();
    if (!prepared)
        std::abort();
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto cards = qx::wab::SplitCards(bytes);

    if (cards) {
        std::string again;
        for (const auto& raw : *cards)
            again += qx::wab::CardText(qx::wab::CardFromLines(raw));
        const auto reread = qx::wab::SplitCards(again);
        if (!reread || reread->size() != cards->size())
            std::abort();
    }

    // Opened while empty, then another writer leaves these bytes before our save.
    WriteFile("");
    std::shared_ptr<qx::wab::Book> book;
    if (FAILED(qx::wab::Book::Open(g_file, book)))
        std::abort();
    WriteFile(bytes);
    qx::wab::Card card;
    card.uid = qx::wab::NewUid();
    qx::wab::Property name;
    name.tag = PR_DISPLAY_NAME;
    name.text = "fuzz";
    card.properties.push_back(name);
    unsigned serial = 0;
    const HRESULT hr = book->SaveCard(card, serial);
    if (!cards) {
        if (SUCCEEDED(hr) || ReadFile() != bytes)
            std::abort(); // a file that is no book is never rewritten
    } else if (SUCCEEDED(hr)) {
        const auto saved = qx::wab::SplitCards(ReadFile());
        if (!saved || saved->size() != cards->size() + 1)
            std::abort();
    }
    return 0;
}
