#include "print_job.h"

#include "navigation.h"

#include "processthreadsapi.h"
#include "qx/com/bstr.h"
#include "qx/html/dom/html_parser.h"
#include "qx/html/dom/serializer.h"
#include "qx/win32/ui_driver.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <thread>

extern char** environ;

namespace qx::html::browser {
namespace {

namespace fs = std::filesystem;

// The attributes through which a page names the files it shows.
struct ResourceAttribute {
    std::u16string_view tag; // empty: any element
    std::u16string_view attribute;
};
constexpr ResourceAttribute kResourceAttributes[] = {
    {u"img", u"src"},   {u"input", u"src"}, {u"script", u"src"},
    {u"link", u"href"}, {u"embed", u"src"}, {{}, u"background"},
};

template <typename Visit>
void ForEachResource(dom::NodeTree& tree, Visit&& visit) {
    for (dom::Node* n = dom::NextInTree(tree.Document(), tree.Document()); n;
         n = dom::NextInTree(n, tree.Document())) {
        if (!n->IsElement())
            continue;
        for (const ResourceAttribute& kind : kResourceAttributes) {
            if (!kind.tag.empty() && !n->Is(kind.tag))
                continue;
            if (dom::Attribute* attribute = n->FindAttribute(kind.attribute);
                attribute && !attribute->value.empty())
                visit(*n, *attribute);
        }
    }
}

// The last segment of an address, kept to letters, digits, '.', '-' and '_'.
std::string FileNameOf(const std::string& url) {
    std::string name = url.substr(url.find_last_of("/\\") + 1);
    name = name.substr(0, name.find_first_of("?#"));
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-' && c != '_')
            c = '_';
    return name.empty() ? std::string("resource") : name;
}

// Makes print-N.htm with the first free N (a file made exclusively, so two printers never share
// one); nothing when the folder cannot hold it.
std::optional<std::pair<fs::path, int>> ClaimJobFile(const fs::path& folder) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    for (int n = 1; n < 100000; ++n) {
        const fs::path path = folder / ("print-" + std::to_string(n) + ".htm");
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (fd >= 0) {
            ::close(fd);
            return std::make_pair(path, n);
        }
        if (errno != EEXIST)
            return std::nullopt;
    }
    return std::nullopt;
}

bool WriteFile(const fs::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

// The Chromium program: QX_CHROMIUM, else chromium or chromium-browser on the PATH.
std::optional<std::string> FindChromium() {
    if (const char* given = std::getenv("QX_CHROMIUM"); given && *given)
        return access(given, X_OK) == 0 ? std::optional<std::string>(given) : std::nullopt;
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= folders.size()) {
        const std::size_t end = std::min(folders.find(':', start), folders.size());
        const std::string folder = folders.substr(start, end - start);
        for (const char* name : {"chromium", "chromium-browser"}) {
            const std::string candidate = (folder.empty() ? std::string(".") : folder) + "/" + name;
            if (access(candidate.c_str(), X_OK) == 0)
                return candidate;
        }
        start = end + 1;
    }
    return std::nullopt;
}

// Runs a program with its output thrown away; false when it fails or outlasts the limit (then it
// is killed).
bool RunQuietly(const std::vector<std::string>& arguments, std::chrono::seconds limit) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return false;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(child, &status, WNOHANG);
        if (done == child)
            return WIFEXITED(status) && WEXITSTATUS(status) == 0;
        if (done < 0)
            return false;
        if (std::chrono::steady_clock::now() > deadline) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

// Letter pages with 0.5 in margins and no header or footer: a page holds 960 CSS px of height.
constexpr std::u16string_view kPageStyle = u"@page { size: letter; margin: 0.5in; }";

void PrintPdf(dom::NodeTree& tree, const fs::path& html, std::string_view charset) {
    const std::optional<std::string> chromium = FindChromium();
    if (!chromium)
        return;
    dom::Node* root = tree.DocumentElement();
    if (!root)
        return;
    dom::Node* head = root->firstChild && root->firstChild->Is(u"head") ? root->firstChild : root;
    dom::Node* style = tree.CreateElement(u"style");
    tree.Insert(head, style, head->firstChild);
    tree.Insert(style, tree.CreateText(kPageStyle), nullptr);
    fs::path source = html;
    source.replace_extension(".pdf.htm");
    fs::path pdf = html;
    pdf.replace_extension(".pdf");
    char profileTemplate[] = "/tmp/qx-print-XXXXXX";
    const char* profile = mkdtemp(profileTemplate);
    if (profile && WriteFile(source, dom::EncodeDocumentText(dom::DocumentHtml(tree), charset))) {
        RunQuietly({*chromium, "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
                    "--no-pdf-header-footer", "--print-to-pdf-no-header",
                    std::string("--user-data-dir=") + profile, "--print-to-pdf=" + pdf.string(),
                    "file://" + source.string()},
                   std::chrono::seconds(120));
    }
    std::error_code ec;
    fs::remove(source, ec);
    if (profile)
        fs::remove_all(profile, ec);
}

} // namespace

win32::PrintJob MakePrintJob(dom::DomDocument& document, std::u16string_view url) {
    win32::PrintJob job;
    job.url = com::Utf16ToUtf8(url);
    job.threadId = GetCurrentThreadId();
    job.html = com::Utf16ToUtf8(dom::DocumentHtml(document.tree));
    std::map<std::u16string, bool> seen;
    ForEachResource(document.tree, [&](dom::Node&, dom::Attribute& attribute) {
        if (!seen.emplace(attribute.value, true).second)
            return;
        job.resources.push_back({com::Utf16ToUtf8(attribute.value),
                                 ReadAddress(ResolveAddress(url, attribute.value)).value_or(std::string())});
    });
    for (dom::Node* n = dom::NextInTree(document.tree.Document(), document.tree.Document()); n;
         n = dom::NextInTree(n, document.tree.Document()))
        if (n->Is(u"title")) {
            job.title = com::Utf16ToUtf8(dom::InnerText(n));
            break;
        }
    return job;
}

fs::path PrintFolder() {
    if (const char* folder = std::getenv("QX_PRINT_DIR"); folder && *folder)
        return folder;
    const char* data = std::getenv("XDG_DATA_HOME");
    const fs::path base = data && *data == '/'
                              ? fs::path(data)
                              : fs::path(std::getenv("HOME") ? std::getenv("HOME") : "/tmp") / ".local/share";
    return base / "qxforms" / "print";
}

std::optional<fs::path> WritePrintJob(const win32::PrintJob& job, std::string_view charset) {
    const auto claimed = ClaimJobFile(PrintFolder());
    if (!claimed)
        return std::nullopt;
    const auto& [html, number] = *claimed;
    dom::NodeTree tree;
    if (dom::ParseHtmlDocument(tree, com::Utf8ToUtf16(job.html)) != dom::ParseError::None)
        return std::nullopt;
    // Each resource read gets a file of its own; the copy's references name those files.
    const std::string filesName = "print-" + std::to_string(number) + "_files";
    std::map<std::u16string, std::u16string> written;
    for (std::size_t i = 0; i < job.resources.size(); ++i) {
        const win32::PrintResource& resource = job.resources[i];
        if (resource.bytes.empty())
            continue;
        const std::string name = std::to_string(i + 1) + "-" + FileNameOf(resource.url);
        std::error_code ec;
        fs::create_directories(html.parent_path() / filesName, ec);
        if (WriteFile(html.parent_path() / filesName / name, resource.bytes))
            written[com::Utf8ToUtf16(resource.url)] = com::Utf8ToUtf16(filesName + "/" + name);
    }
    ForEachResource(tree, [&](dom::Node&, dom::Attribute& attribute) {
        if (auto found = written.find(attribute.value); found != written.end())
            attribute.value = found->second;
    });
    if (!WriteFile(html, dom::EncodeDocumentText(dom::DocumentHtml(tree), charset)))
        return std::nullopt;
    PrintPdf(tree, html, charset);
    return html;
}

HRESULT PrintDocument(dom::DomDocument& document, std::u16string_view url, bool prompt) {
    win32::PrintJob job = MakePrintJob(document, url);
    win32::UiDriver* driver = win32::GetUiDriver();
    if (prompt) {
        const win32::PrintDialogRequest request{job.title, job.url, job.threadId};
        if (driver) {
            if (!driver->ShowPrintDialog(request))
                return S_OK;
        } else {
            std::fprintf(stderr, "Print \"%s\" -> OK\n", job.title.c_str());
        }
    }
    if (driver && driver->TakePrintJob(job))
        return S_OK;
    const std::optional<fs::path> written = WritePrintJob(job, document.tree.charset);
    if (!written) {
        std::fprintf(stderr, "Print: the job could not be written into \"%s\"\n", PrintFolder().c_str());
        return E_FAIL;
    }
    return S_OK;
}

} // namespace qx::html::browser
