// Headless Chromium renders the packed file of a page served from loopback with every image,
// the table background and the style sheet in place.
#include <gtest/gtest.h>

#include "loopback_http_server.h"
#include "mht_packer.h"
#include "quorle_test_env.h"

namespace {

using quorle_test::QuorleTest;
using quorle_test::ReadFile;
using quorle_test::WriteFile;

TEST_F(QuorleTest, ChromiumRendersThePackedPage) {
    const std::string dir = QX_SOURCE_DIR "/tests/converter/quorle/render/";
    qxtest::LoopbackHttpServer server;
    for (const char* name : {"blue.gif", "images/red.png", "green.png", "page.css"})
        server.Serve(std::string("/site/") + name, qxtest::Reply(200, ReadFile(dir + name)));

    PackInput input;
    input.html = ReadFile(dir + "page.htm");
    input.pathBase = server.Url("/site/page.htm");
    const std::string mht = PackHtml(input);
    ASSERT_FALSE(mht.empty());
    const auto file = root_ / "page.mht";
    WriteFile(file, mht);

    const std::string output = quorle_test::CommandOutput(
        "python3 " QX_SOURCE_DIR "/tests/converter/quorle/check_chromium.py " + file.string() + " " +
        root_.string() + " 0,64,255 220,20,20 20,160,40 250,240,10");
    if (output.rfind("skip:", 0) == 0)
        GTEST_SKIP() << output;
    EXPECT_EQ(output, "ok\n");
}

} // namespace
