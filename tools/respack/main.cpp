// respack: packs a component's resource manifest into a C++ source that links the blob into
// the component's resource section, with a dependency file for the build.
//
//   respack --manifest FILE --output FILE.cpp --symbol NAME [--depfile FILE.d] [--search DIR]...
#include "manifest.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

namespace {

std::string DepfileEscape(const std::string& path) {
    std::string out;
    for (char c : path) {
        if (c == ' ' || c == '#' || c == '\\') {
            out.push_back('\\');
        } else if (c == '$') {
            out.push_back('$');
        }
        out.push_back(c);
    }
    return out;
}

bool ValidSymbol(const std::string& s) {
    if (s.empty() || (s[0] >= '0' && s[0] <= '9')) {
        return false;
    }
    for (char c : s) {
        if (!(c == '_' || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) {
            return false;
        }
    }
    return true;
}

std::string Source(const std::vector<std::uint8_t>& blob, const std::string& symbol,
                   const std::string& from) {
    std::ostringstream s;
    s << "// Packed from " << from << " by respack; do not edit.\n"
      << "#include \"qx/module/module_anchor.h\"\n\n"
      << "extern \"C\" {\n"
      << "__attribute__((visibility(\"hidden\"))) extern const unsigned char qx_resources_" << symbol << "["
      << blob.size() << "];\n"
      << "alignas(16) __attribute__((section(\"qxrsrc\"), used)) const unsigned char "
      << "qx_resources_" << symbol << "[" << blob.size() << "] = {";
    for (std::size_t i = 0; i < blob.size(); ++i) {
        s << (i % 16 == 0 ? "\n    " : " ") << static_cast<unsigned>(blob[i]) << ",";
    }
    s << "\n};\n\n"
      << "// Every packed object of a file defines the same anchor; the linker keeps the first.\n"
      << "extern qx::module::ModuleAnchor QxModuleAnchor;\n"
      << "__attribute__((weak, visibility(\"default\"))) qx::module::ModuleAnchor QxModuleAnchor = {\n"
      << "    qx::module::kAnchorMagic, qx::module::kAnchorVersion, qx_resources_" << symbol << ",\n"
      << "    qx_resources_" << symbol << " + sizeof(qx_resources_" << symbol << "), 0, 0};\n"
      << "}\n";
    return s.str();
}

} // namespace

int main(int argc, char** argv) {
    std::string manifest, output, symbol, depfile;
    std::vector<std::filesystem::path> search;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (i + 1 >= argc) {
            std::cerr << "respack: " << arg << " needs a value\n";
            return 2;
        }
        std::string value = argv[++i];
        if (arg == "--manifest") {
            manifest = value;
        } else if (arg == "--output") {
            output = value;
        } else if (arg == "--symbol") {
            symbol = value;
        } else if (arg == "--depfile") {
            depfile = value;
        } else if (arg == "--search") {
            search.emplace_back(value);
        } else {
            std::cerr << "respack: unknown option " << arg << "\n";
            return 2;
        }
    }
    if (manifest.empty() || output.empty() || !ValidSymbol(symbol)) {
        std::cerr << "usage: respack --manifest FILE --output FILE.cpp --symbol NAME [--depfile FILE] "
                     "[--search DIR]...\n";
        return 2;
    }
    try {
        auto m = respack::ReadManifest(manifest, search);
        auto blob = respack::PackBlob(m.resources);
        std::string text = Source(blob, symbol, std::filesystem::path(manifest).filename().string());
        std::ofstream out(output, std::ios::binary | std::ios::trunc);
        out << text;
        if (!out) {
            throw std::runtime_error("cannot write " + output);
        }
        if (!depfile.empty()) {
            std::ofstream dep(depfile, std::ios::trunc);
            dep << DepfileEscape(std::filesystem::absolute(output).string()) << ":";
            for (const auto& in : m.inputs) {
                dep << " \\\n  " << DepfileEscape(in.string());
            }
            dep << "\n";
            if (!dep) {
                throw std::runtime_error("cannot write " + depfile);
            }
        }
    } catch (const std::exception& e) {
        std::cerr << "respack: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
