#include "com_helper.h"
#include "version_helper.h"

#include <oleauto.h>
#include <qx/com/error_info.h>
#include <qx/com/type_library.h>
#include <qx/win32/ui_driver.h>
#include <winuser_msgbox.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class ServerLog {
public:
    ServerLog() {
        char pattern[] = "/tmp/qx-helper-classes-log-XXXXXX";
        int fd = mkstemp(pattern);
        close(fd);
        path_ = pattern;
        setenv("QX_HELPER_CLASSES_SERVER_LOG", path_.c_str(), 1);
    }
    ~ServerLog() {
        unsetenv("QX_HELPER_CLASSES_SERVER_LOG");
        std::remove(path_.c_str());
    }
    std::string Text() const { return ReadAll(path_); }

private:
    std::string path_;
};

QX_DEFINE_GUID(kLibId, "{3F2A6C10-0C1B-4E8D-9A51-6E2B7D4C9A01}");
QX_DEFINE_GUID(kClassId, "{3F2A6C11-0C1B-4E8D-9A51-6E2B7D4C9A02}");

TEST(ComHelper, TypeLibraryGuids) {
    const qx::com::CoclassDesc classes[] = {{&kClassId, u"Convert", nullptr, 0}};
    qx::com::LibraryDesc desc{&kLibId, u"SAMPLELib", u"sample",         1, 0, nullptr,
                              0,       classes,      std::size(classes)};
    std::vector<BYTE> bytes;
    ASSERT_EQ(qx::com::WriteTypeLibrary(desc, bytes), S_OK);
    std::string path = "/tmp/qx-helper-classes-" + std::to_string(getpid()) + ".tlb";
    {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    ITypeLib* library = ComHelper::LoadTypeLibrary(path.c_str());
    ASSERT_NE(library, nullptr);
    EXPECT_EQ(ComHelper::GetLibraryGuid(library), "{3F2A6C10-0C1B-4E8D-9A51-6E2B7D4C9A01}");
    EXPECT_EQ(ComHelper::GetClassGuid(library, "convert"), "{3F2A6C11-0C1B-4E8D-9A51-6E2B7D4C9A02}");
    EXPECT_EQ(ComHelper::GetClassGuid(library, "Missing"), "");
    library->Release();
    std::remove(path.c_str());
    EXPECT_EQ(ComHelper::LoadTypeLibrary("/tmp/qx-helper-classes-no-such.tlb"), nullptr);
    EXPECT_EQ(ComHelper::GetLibraryGuid(nullptr), "");
}

TEST(ComHelper, FileVersionText) {
    EXPECT_EQ(ComHelper::GetFileVersionText(QX_HELPER_CLASSES_TEST_SERVER), "6,1,0,8513");
    // A program without version information.
    EXPECT_EQ(ComHelper::GetFileVersionText(QX_HELPER_CLASSES_LOCAL_SERVER), "");
    EXPECT_EQ(ComHelper::GetFileVersionText("/tmp/qx-helper-classes-no-such-file"), "");
}

TEST(ComHelper, RegistersInProcessServer) {
    ServerLog log;
    EXPECT_TRUE(ComHelper::RegisterServer(QX_HELPER_CLASSES_TEST_SERVER, "inproc", true));
    EXPECT_TRUE(ComHelper::RegisterServer(QX_HELPER_CLASSES_TEST_SERVER, "inproc", false));
    EXPECT_EQ(log.Text(), "DllRegisterServer\nDllUnregisterServer\n");
    EXPECT_FALSE(ComHelper::RegisterServer("/tmp/qx-helper-classes-no-such.so", "inproc", true));
    // A program has no registration entries to call.
    EXPECT_FALSE(ComHelper::RegisterServer(QX_HELPER_CLASSES_LOCAL_SERVER, "inproc", true));
    EXPECT_FALSE(ComHelper::RegisterServer(QX_HELPER_CLASSES_TEST_SERVER, "service", true));
}

TEST(ComHelper, RegistersLocalServer) {
    ServerLog log;
    EXPECT_TRUE(ComHelper::RegisterServer(QX_HELPER_CLASSES_LOCAL_SERVER, "outproc", true));
    EXPECT_TRUE(ComHelper::RegisterServer(QX_HELPER_CLASSES_LOCAL_SERVER, "outproc", false));
    EXPECT_EQ(log.Text(), "2 [/RegServer]\n2 [/UnRegServer]\n");
    EXPECT_FALSE(ComHelper::RegisterServer("/tmp/qx-helper-classes-no-such-program", "outproc", true));
}

TEST(ComHelper, ComErrorBox) {
    qx::win32::MessageBoxRecorder recorder;
    auto* previous = qx::win32::SetUiDriver(&recorder);
    ICreateErrorInfo* create = nullptr;
    ASSERT_EQ(CreateErrorInfo(&create), S_OK);
    create->SetSource(const_cast<LPOLESTR>(u"Quorle.Convert"));
    create->SetDescription(const_cast<LPOLESTR>(u"변환 실패"));
    IErrorInfo* info = nullptr;
    ASSERT_EQ(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)), S_OK);
    ComHelper::ShowComError(REGDB_E_CLASSNOTREG, info);
    ComHelper::ShowComError(static_cast<HRESULT>(0x80041234u), nullptr);
    info->Release();
    create->Release();
    qx::win32::SetUiDriver(previous);
    auto calls = recorder.Calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].owner, nullptr);
    EXPECT_EQ(calls[0].caption, "COM 객체 오류");
    EXPECT_EQ(calls[0].type, MB_OK);
    EXPECT_EQ(calls[0].text, "현재 해당 COM 개체가 로드되지 않습니다.\n"
                             "에러 코드 : 80040154\n"
                             "에러 내용 : Class not registered\n"
                             "에러 소스 : Quorle.Convert\n"
                             "에러 설명 : 변환 실패");
    EXPECT_EQ(calls[1].text, "현재 해당 COM 개체가 로드되지 않습니다.\n"
                             "에러 코드 : 80041234\n"
                             "에러 내용 : Unknown error 0x80041234\n"
                             "에러 소스 : \n"
                             "에러 설명 : ");
}

TEST(VersionHelper, ReadsTheVersionResource) {
    VersionHelper version;
    ASSERT_TRUE(version.Read(QX_HELPER_CLASSES_TEST_SERVER));
    ASSERT_NE(version.FixedInfo(), nullptr);
    EXPECT_EQ(version.FixedInfo()->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(version.FixedInfo()->dwFileVersionMS, 0x00060001u);
    WORD language = 0, codePage = 0;
    ASSERT_TRUE(version.GetTranslation(language, codePage));
    EXPECT_EQ(language, 1042);
    EXPECT_EQ(version.GetStringValue("CompanyName"), "Tessel");
    EXPECT_EQ(version.GetStringValue("FileVersion"), "6, 1, 0, 8513");
    EXPECT_EQ(version.GetStringValue("NoSuchValue"), "");

    VersionHelper none;
    EXPECT_FALSE(none.Read(QX_HELPER_CLASSES_LOCAL_SERVER));
    EXPECT_EQ(none.FixedInfo(), nullptr);
    EXPECT_FALSE(none.GetTranslation(language, codePage));
    EXPECT_EQ(none.GetStringValue("CompanyName"), "");
}

TEST(VersionHelper, CallsDllGetVersion) {
    DLLVERSIONINFO info = {};
    info.cbSize = sizeof info;
    ASSERT_EQ(VersionHelper::GetDllVersion(QX_HELPER_CLASSES_TEST_SERVER, &info), S_OK);
    EXPECT_EQ(info.dwMajorVersion, 6u);
    EXPECT_EQ(info.dwMinorVersion, 1u);
    EXPECT_EQ(info.dwBuildNumber, 8513u);
    EXPECT_EQ(VersionHelper::GetDllVersion("/tmp/qx-helper-classes-no-such.so", &info), E_FAIL);
    EXPECT_EQ(VersionHelper::GetDllVersion(QX_HELPER_CLASSES_TEST_SERVER, nullptr), E_POINTER);
}

} // namespace
