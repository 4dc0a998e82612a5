#include "mime_address_split.h"

#include "mime_tokenizer.h"

namespace {

bool IsSpecial(const MimeTokenizer& tokenizer, char c) {
    return tokenizer.Type() == MIME_TOKEN_SPECIAL && tokenizer.Token().length() == 1 &&
           tokenizer.Token()[0] == c;
}

bool AtEnd(const MimeTokenizer& tokenizer) {
    return tokenizer.Type() == MIME_TOKEN_NULL;
}

} // namespace

std::vector<MimeAddressText> SplitMimeAddresses(const MimeString& text, bool allowGroups) {
    std::vector<MimeAddressText> addresses;
    Rfc822Tokenizer tokenizer(text);
    while (!AtEnd(tokenizer)) {
        MimeTokenSpan span;
        span.SetFirst(tokenizer);
        bool inBrackets = false;
        bool inGroup = false;
        bool isGroup = false;
        while (!AtEnd(tokenizer)) {
            // An unterminated quoted string, comment or domain literal runs to the end of the
            // text; it is left out, so that a composed list cannot swallow what follows it.
            if (tokenizer.Type() == MIME_TOKEN_ERROR) {
                break;
            }
            if (inBrackets) {
                if (IsSpecial(tokenizer, '>')) {
                    inBrackets = false;
                }
            } else if (inGroup) {
                if (IsSpecial(tokenizer, ';')) {
                    inGroup = false;
                }
            } else if (IsSpecial(tokenizer, ',')) {
                break;
            } else if (IsSpecial(tokenizer, '<')) {
                inBrackets = true;
            } else if (allowGroups && !isGroup && IsSpecial(tokenizer, ':')) {
                isGroup = true;
                inGroup = true;
            }
            tokenizer.Next();
        }
        span.ExtendTo(tokenizer);
        MimeString addressText = span.Text();
        addressText.Trim();
        if (!addressText.empty()) {
            addresses.push_back({addressText, isGroup});
        }
        if (!AtEnd(tokenizer)) {
            tokenizer.Next(); // past the ","
        }
    }
    return addresses;
}
