// Helpers shared by the loader tests: the DllMain log of the test modules.
#pragma once

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace qx::module::testing {

// Points QX_TEST_MODULE_LOG at a fresh file for the lifetime of the object.
class ModuleLog {
public:
    ModuleLog() {
        char name[] = "/tmp/qx-module-log-XXXXXX";
        int fd = ::mkstemp(name);
        if (fd >= 0) {
            ::close(fd);
        }
        path_ = name;
        ::setenv("QX_TEST_MODULE_LOG", path_.c_str(), 1);
    }
    ~ModuleLog() {
        ::unsetenv("QX_TEST_MODULE_LOG");
        ::unlink(path_.c_str());
    }
    std::string Text() const {
        std::ifstream in(path_);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

} // namespace qx::module::testing
