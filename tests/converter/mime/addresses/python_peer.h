// Runs Python's email.utils over texts and reads back the (name, address) pairs
// it finds.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

using AddressPairs = std::vector<std::pair<std::string, std::string>>;

namespace python_peer {

inline std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

inline std::string Unhex(const std::string& hex) {
    std::string out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    }
    return out;
}

} // namespace python_peer

// For each text, the pairs of email.utils.getaddresses([text]) or, with "parseaddr", the one
// pair of email.utils.parseaddr(text); empty when Python cannot run.
inline std::vector<AddressPairs> PythonAddresses(const std::vector<std::string>& texts,
                                                 const char* function) {
    std::string folder = (std::filesystem::temp_directory_path() / "mime-addresses-XXXXXX").string();
    if (mkdtemp(folder.data()) == nullptr) {
        return {};
    }
    const std::string input = folder + "/in";
    const std::string output = folder + "/out";
    const std::string script = folder + "/peer.py";
    {
        std::ofstream in(input, std::ios::binary);
        for (const std::string& text : texts) {
            in << python_peer::Hex(text) << "\n";
        }
        std::ofstream(script)
            << "import sys\n"
               "from email.utils import getaddresses, parseaddr\n"
               "out = open(sys.argv[2], 'w')\n"
               "for line in open(sys.argv[1]):\n"
               "    text = bytes.fromhex(line.strip()).decode('latin-1')\n"
               "    pairs = getaddresses([text]) if sys.argv[3] == 'getaddresses' else [parseaddr(text)]\n"
               "    out.write(' '.join(n.encode('latin-1').hex() + ':' + "
               "a.encode('latin-1').hex()\n"
               "                       for n, a in pairs) + '\\n')\n";
    }
    std::vector<AddressPairs> results;
    if (std::system(("python3 " + script + " " + input + " " + output + " " + function).c_str()) == 0) {
        std::ifstream out(output);
        for (std::string line; std::getline(out, line);) {
            AddressPairs pairs;
            std::istringstream items(line);
            for (std::string item; items >> item;) {
                const size_t colon = item.find(':');
                pairs.emplace_back(python_peer::Unhex(item.substr(0, colon)),
                                   python_peer::Unhex(item.substr(colon + 1)));
            }
            results.push_back(pairs);
        }
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return results;
}

inline std::vector<AddressPairs> PythonGetAddresses(const std::vector<std::string>& texts) {
    return PythonAddresses(texts, "getaddresses");
}

inline std::vector<AddressPairs> PythonParseAddr(const std::vector<std::string>& texts) {
    return PythonAddresses(texts, "parseaddr");
}
