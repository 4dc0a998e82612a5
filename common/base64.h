// Base64 of byte buffers (standard alphabet, "=" padding, no line breaks) and back, in memory or
// into a file. The MIME library has its own line-breaking coder; this one serves the converter's
// resource parts and the script utilities.
#pragma once

#include <cstddef>
#include <string>

// Appends the base64 text of the bytes to out.
void AppendBase64(std::string& out, const void* bytes, size_t length);

class Base64Encoder {
public:
    Base64Encoder() = default;
    virtual ~Base64Encoder() = default;

    // Replaces the result with the base64 text of the bytes; the result stays owned by the encoder.
    const std::string& Encode(const void* bytes, size_t length);
    // Replaces the result with the base64 text of everything the URL delivers ("" when unreadable).
    const std::string& EncodeUrl(const char* url);

    const std::string& Result() const { return m_result; }

private:
    std::string m_result;
};

class Base64Decoder {
public:
    Base64Decoder() = default;
    virtual ~Base64Decoder() = default;

    // 0-63 for the alphabet, -1 for the "=" padding, -2 for any other byte (skipped).
    static int CharValue(unsigned char ch);

    // The most bytes Decode can write for a text of the given length.
    static size_t MaxDecodedSize(size_t textLength) { return textLength / 4 * 3 + 3; }

    // Decodes into out (capacity outSize bytes) and returns the number of bytes written. Decoding
    // stops at the first padded group, and also where out is full, so nothing is written past it.
    size_t Decode(const char* text, size_t textLength, unsigned char* out, size_t outSize) const;
    size_t Decode(const std::string& text, unsigned char* out, size_t outSize) const {
        return Decode(text.data(), text.size(), out, outSize);
    }

    // Decodes and writes the bytes to a new (or emptied) file; returns the count written or -1.
    long long DecodeToFile(const std::string& text, const char* path) const;
};
