// ContactIO from page script: regsvr registers Kestrum into the test's registry, DLLPath names
// build/bin/libqxwab.so, and scripthost runs the scripts; Debian's python3-vobject is the peer
// that reads and writes the books too.
#pragma once

#include "../../platform/host/scripthost_process.h"
#include "regsvr_program.h"

#include <qx/win32/registry.h>
#include <winreg.h>

#include <regex>
#include <string>
#include <vector>

namespace contacts_test {

namespace fs = std::filesystem;
using qx::test::Outcome;

class ContactScript : public qx::test::ScriptHostProcess {
protected:
    void SetUp() override {
        ScriptHostProcess::SetUp();
        fs::permissions(dir_, fs::perms::all); // the unprivileged runs need to reach their folders
        qx::registry::SetRootForTesting(dir_ / "registry");
        const qxtest::ProgramRun reg =
            qxtest::RunRegsvr(dir_ / "registry", {QX_KESTRUM_COMPONENT}, qxtest::Streams::Separate);
        ASSERT_EQ(reg.status, 0) << reg.output << reg.errors;
        SetDllPath(QX_WAB_LIBRARY);
        fs::create_directories(dir_ / "books");
        fs::permissions(dir_ / "books", fs::perms::all);
    }
    void TearDown() override {
        qx::registry::SetRootForTesting(dir_ / "unused");
        ScriptHostProcess::TearDown();
    }
    // The default value of HKLM\Software\Microsoft\WAB\DLLPath; empty removes the key.
    void SetDllPath(const std::string& path) {
        if (path.empty()) {
            RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\WAB\\DLLPath");
            return;
        }
        ASSERT_EQ(RegSetValueA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\WAB\\DLLPath", REG_SZ, path.c_str(),
                               static_cast<DWORD>(path.size())),
                  ERROR_SUCCESS);
    }
    fs::path Book(const std::string& name) const { return dir_ / "books" / name; }
    // Runs a script after the common prelude: `io` is a ContactIO whose ReadyContact events print
    // "cur/total" and the IN document's texts, one field a line ("NAME=text", CR LF as "\r\n").
    Outcome RunScript(const std::string& text, bool unprivileged = false) {
        const fs::path script = Write("test.js", std::string(kPrelude) + text);
        fs::permissions(script, fs::perms::all);
        qx::registry::SetRootForTesting(dir_ / "unused"); // the child alone uses the registry now
        Outcome o = Run({script.string()}, unprivileged);
        qx::registry::SetRootForTesting(dir_ / "registry");
        return o;
    }
    // Runs Debian's python3 (python3-vobject is installed for it) on a program.
    qxtest::ProgramRun Python(const std::string& program) {
        const fs::path file = Write("peer.py", program);
        qxtest::ChildOptions options;
        options.streams = qxtest::Streams::Separate;
        return qxtest::RunProgram({"/usr/bin/python3", file.string()}, options);
    }
    static std::string WithoutUids(const std::string& text) {
        return std::regex_replace(text, std::regex("urn:uuid:[0-9a-f-]{36}"), "urn:uuid:*");
    }

    static constexpr const char* kPrelude = R"(
var io = new ActiveXObject("Kestrum.ContactIO");
WScript.ConnectObject(io, "io_");
var fields = ["SURNAME", "GIVEN_NAME", "MIDDLE_NAME", "DISPLAY_NAME", "DISPLAY_NAME_PREFIX", "NICKNAME",
  "EMAIL_ADDRESS", "HOME_ADDRESS_COUNTRY", "HOME_ADDRESS_STATE_OR_PROVINCE", "HOME_ADDRESS_CITY",
  "HOME_ADDRESS_STREET", "HOME_ADDRESS_POSTAL_CODE", "HOME_TELEPHONE_NUMBER", "HOME_FAX_NUMBER",
  "MOBILE_TELEPHONE_NUMBER", "PERSONAL_HOME_PAGE", "COUNTRY", "STATE_OR_PROVINCE", "LOCALITY",
  "STREET_ADDRESS", "COMPANY_NAME", "POSTAL_CODE", "OFFICE_LOCATION", "DEPARTMENT_NAME", "TITLE",
  "BUSINESS_TELEPHONE_NUMBER", "BUSINESS_FAX_NUMBER", "PAGER_TELEPHONE_NUMBER", "SPOUSE_NAME", "COMMENT"];
function show(t) { return t.replace(/\r/g, "\\r").replace(/\n/g, "\\n"); }
var quiet = false;
function io_ReadyContact(doc, cur, total) {
  WScript.Echo(cur + "/" + total);
  if (quiet) return;
  var kids = doc.documentElement.childNodes;
  var line = doc.documentElement.nodeName + ":" + kids.length;
  for (var i = 0; i < kids.length; i++)
    if (kids.item(i).text != "") line += " " + kids.item(i).nodeName + "=" + show(kids.item(i).text);
  WScript.Echo(line);
}
// An OUT document built through the DOM, so CR LF in a text stays as it is.
function outDoc(values) {
  var d = new ActiveXObject("Microsoft.XMLDOM");
  var root = d.createElement("OUT");
  d.appendChild(root);
  for (var k in values) { var e = d.createElement(k); e.text = values[k]; root.appendChild(e); }
  return d;
}
function r(v) { return v == null ? "null" : "[" + v + "]"; }
)";
};

} // namespace contacts_test
