// One open book: the cards of a vCard file, numbered for the session, and the locked, atomic
// rewrite that saves a card into the file.
#pragma once

#include "contact_card.h"

#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace qx::wab {

class Book {
public:
    // Reads the file (a UTF-8 path). A missing file in an existing folder is an empty book;
    // a missing folder gives MAPI_E_NOT_FOUND, a file that is no vCard MAPI_E_CORRUPT_DATA.
    static HRESULT Open(const std::string& path, std::shared_ptr<Book>& book);

    // A token unique to this book object, inside its entry ids.
    unsigned long long Token() const { return token_; }

    // Copies of the cards in file order.
    std::vector<Card> Cards() const;
    // The card with this session number; false when there is none.
    bool FindCard(unsigned serial, Card& card) const;

    // Saves the card (a new one when its serial is 0) under the folder's lock: the file is read
    // again, the card replaces its old self or is appended, and a temporary file renamed over
    // the file replaces it. Gives the card's session number.
    HRESULT SaveCard(const Card& card, unsigned& serial);

private:
    explicit Book(std::string path);
    HRESULT WriteLocked(const std::vector<Card>& cards) const;
    // Takes over the cards read again, keeping the numbers of the cards it already knew.
    void Renumber(std::vector<Card>& fresh);
    void SetCards(std::vector<Card>&& cards);

    std::string path_;
    unsigned long long token_;
    mutable std::mutex mutex_;
    std::vector<Card> cards_;
    std::unordered_map<unsigned, std::size_t> positions_; // of each card's number in cards_
    unsigned nextSerial_ = 1;
};

// Reads a book file. MAPI_E_NOT_FOUND with `exists` false for a missing file; its cards otherwise.
HRESULT ReadBookFile(const std::string& path, std::vector<Card>& cards, bool& exists);

} // namespace qx::wab
