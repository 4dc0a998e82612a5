// Python's xml.etree as the reference reader of a data file: the file is decoded by the charset its
// declaration names (Python's codecs; expat itself takes no multi-byte charset) and parsed, and a
// test's few lines of Python say what they compute from the root element `root`. Files in the
// ANSI code page are written with EncodeAnsi.
#pragma once

#include "stringapiset.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <unistd.h>

namespace qxtest {

inline std::string EncodeAnsi(std::u16string_view text, UINT codePage = 949) {
    const int size = WideCharToMultiByte(codePage, 0, reinterpret_cast<LPCWSTR>(text.data()),
                                         static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(size > 0 ? size : 0, '\0');
    if (size > 0)
        WideCharToMultiByte(codePage, 0, reinterpret_cast<LPCWSTR>(text.data()),
                            static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
    return bytes;
}

// What `body` prints (UTF-8) about the file; none when python3 is not installed.
inline std::optional<std::string> EtreeReference(const std::filesystem::path& file, const std::string& body) {
    if (access("/usr/bin/python3", X_OK) != 0)
        return std::nullopt;
    const std::filesystem::path script = file.string() + ".etree.py";
    std::ofstream(script) << "import re, sys\nimport xml.etree.ElementTree as ET\n"
                             "raw = open(sys.argv[1], 'rb').read()\n"
                             "m = re.match(rb'<\\?xml[^>]*encoding=[\"\\']([^\"\\']+)', raw)\n"
                             "root = ET.fromstring(raw.decode(m.group(1).decode() if m else 'utf-8'))\n"
                             "def say(text):\n    sys.stdout.buffer.write(text.encode('utf-8'))\n"
                          << body << "\n";
    std::string out;
    if (FILE* pipe =
            popen(("/usr/bin/python3 '" + script.string() + "' '" + file.string() + "'").c_str(), "r")) {
        char buffer[4096];
        std::size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
            out.append(buffer, n);
        if (pclose(pipe) != 0)
            out = "<python failed>" + out;
    }
    std::filesystem::remove(script);
    return out;
}

} // namespace qxtest
