#include "registry_test_support.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iconv.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace qx::registry::testing {

TempDirectory::TempDirectory() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qxreg-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        ADD_FAILURE() << "mkdtemp failed";
    path_ = pattern;
}

TempDirectory::~TempDirectory() {
    std::error_code ec;
    std::filesystem::permissions(path_ / "registry", std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
}

namespace {

std::string Drain(int fd) {
    std::string text;
    char buffer[4096];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR))
        if (n > 0)
            text.append(buffer, static_cast<std::size_t>(n));
    close(fd);
    return text;
}

pid_t Spawn(const std::filesystem::path& registryDir, const std::vector<std::string>& args, int outFd,
            int errFd) {
    const pid_t pid = fork();
    if (pid != 0)
        return pid;
    if (outFd >= 0)
        dup2(outFd, 1);
    if (errFd >= 0)
        dup2(errFd, 2);
    setenv("QX_REGISTRY_DIR", registryDir.c_str(), 1);
    std::vector<char*> argv;
    std::string program = QX_REGISTRY_HELPER;
    argv.push_back(program.data());
    std::vector<std::string> copies = args;
    for (auto& arg : copies)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(126);
}

} // namespace

HelperResult RunHelper(const std::filesystem::path& registryDir, const std::vector<std::string>& args) {
    int out[2];
    int err[2];
    HelperResult result;
    if (pipe(out) != 0 || pipe(err) != 0)
        return result;
    const pid_t pid = Spawn(registryDir, args, out[1], err[1]);
    close(out[1]);
    close(err[1]);
    // The helper writes little; reading one pipe after the other cannot block it for long.
    result.out = Drain(out[0]);
    result.err = Drain(err[0]);
    result.exitCode = WaitHelper(pid);
    return result;
}

HelperResult RunForked(const std::filesystem::path& registryDir, const std::function<std::string()>& body) {
    int out[2];
    int err[2];
    HelperResult result;
    if (pipe(out) != 0 || pipe(err) != 0)
        return result;
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(err[1], 2);
        close(out[0]);
        close(err[0]);
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(126);
        SetRootForTesting(registryDir);
        const std::string text = body();
        ssize_t ignored = write(out[1], text.data(), text.size());
        (void)ignored;
        _exit(0);
    }
    close(out[1]);
    close(err[1]);
    result.out = Drain(out[0]);
    result.err = Drain(err[0]);
    result.exitCode = WaitHelper(pid);
    return result;
}

int StartHelper(const std::filesystem::path& registryDir, const std::vector<std::string>& args) {
    const int quiet = open("/dev/null", O_WRONLY | O_CLOEXEC);
    const pid_t pid = Spawn(registryDir, args, quiet, -1);
    if (quiet >= 0)
        close(quiet);
    return pid;
}

int WaitHelper(int pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR)
            return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const std::filesystem::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

std::vector<BYTE> Bytes(std::u16string_view text) {
    std::vector<BYTE> bytes;
    for (char16_t c : text) {
        bytes.push_back(static_cast<BYTE>(c & 0xFF));
        bytes.push_back(static_cast<BYTE>(c >> 8));
    }
    return bytes;
}

std::string Cp949(std::u16string_view text) {
    iconv_t cd = iconv_open("CP949", "UTF-16LE");
    std::vector<BYTE> in = Bytes(text);
    std::string out(in.size() * 2 + 8, '\0');
    char* inPtr = reinterpret_cast<char*>(in.data());
    std::size_t inLeft = in.size();
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

} // namespace qx::registry::testing
