#include "mime_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <unistd.h>

#include "mime_codecs.h"
#include "mime_media_type.h"
#include "mime_message.h"
#include "mime_names.h"

std::string Hex(std::string_view bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::string Hex(const MimeString& bytes) {
    return Hex(bytes.view());
}

namespace {

std::string Lower(const MimeString& text) {
    MimeString copy(text.view());
    copy.ConvertToLowerCase();
    return copy.ToStdString();
}

} // namespace

std::string DumpEntity(MimeEntity& entity, int depth) {
    std::ostringstream out;
    out << "entity " << depth << "\n";
    MimeHeaders& headers = entity.Headers();
    for (size_t i = 0; i < headers.NumFields(); ++i) {
        MimeField& field = headers.FieldAt(i);
        out << "field " << Lower(field.FieldNameStr()) << ": " << Hex(field.FieldBodyStr()) << "\n";
    }
    int type = 0;
    if (headers.HasContentType()) {
        MimeMediaType& mediaType = headers.ContentType();
        type = mediaType.Type();
        out << "type " << Lower(mediaType.TypeStr()) << "/" << Lower(mediaType.SubtypeStr()) << "\n";
        for (size_t i = 0; i < mediaType.NumParameters(); ++i) {
            MimeParameter& parameter = mediaType.ParameterAt(i);
            out << "param " << Lower(parameter.Attribute()) << "=" << Hex(parameter.Value()) << "\n";
        }
    }
    MimeBody& body = entity.Body();
    if (type == MIME_TYPE_MULTIPART || (type == MIME_TYPE_MESSAGE && body.Message() != nullptr)) {
        out << "preamble " << Hex(body.Preamble()) << "\n";
        for (size_t i = 0; i < body.NumBodyParts(); ++i)
            out << DumpEntity(body.BodyPartAt(i), depth + 1);
        if (body.Message() != nullptr)
            out << DumpEntity(*body.Message(), depth + 1);
        out << "epilogue " << Hex(body.Epilogue()) << "\n";
    } else {
        MimeString decoded = body.AsString();
        if (MimeField* cte = headers.FindField("content-transfer-encoding")) {
            std::string name = Lower(cte->FieldBodyStr());
            if (name == "base64")
                DecodeBase64(body.AsString(), decoded);
            else if (name == "quoted-printable")
                DecodeQuotedPrintable(body.AsString(), decoded);
        }
        out << "body " << Hex(decoded) << "\n";
    }
    return out.str();
}

std::string ParseAndDump(const MimeString& text) {
    MimeMessage message(text, nullptr);
    message.Parse();
    return DumpEntity(message);
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

namespace {

std::string TempPath(const char* what) {
    static int counter = 0;
    std::filesystem::path dir = std::filesystem::temp_directory_path();
    return (dir / ("mime_peer_" + std::to_string(::getpid()) + "_" + std::to_string(counter++) + "_" + what))
        .string();
}

int RunScript(const std::string& command, const std::string& in, const std::string& out) {
    std::string line = "python3 \"" QX_SOURCE_DIR "/tests/converter/mime/mime_peer.py\" " + command + " \"" +
                       in + "\" \"" + out + "\"";
    int status = std::system(line.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

int RunPeer(const std::string& command, std::string_view input, std::string* output) {
    std::string in = TempPath("in");
    std::string out = TempPath("out");
    WriteFileBytes(in, input);
    int rc = RunScript(command, in, out);
    *output = ReadFileBytes(out);
    std::filesystem::remove(in);
    std::filesystem::remove(out);
    return rc;
}

int PeerWrite(const std::string& name, std::string* message, std::string* dump) {
    std::string in = TempPath("msg");
    std::string out = TempPath("dump");
    WriteFileBytes(out, name + "\n");
    int rc = RunScript("write", in, out);
    *message = ReadFileBytes(in);
    *dump = ReadFileBytes(out);
    std::filesystem::remove(in);
    std::filesystem::remove(out);
    return rc;
}

std::string RandomBytes(size_t n, unsigned seed) {
    std::mt19937 generator(seed);
    std::string bytes(n, '\0');
    for (char& c : bytes)
        c = static_cast<char>(generator() & 0xFF);
    return bytes;
}
