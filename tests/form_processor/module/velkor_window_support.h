// The form control activated in a window of the test, with its toolbar page loaded.
#pragma once

#include "velkor_test_support.h"

#include "recording_window.h"

#include <exdisp.h>
#include <mshtml.h>
#include <qx/com/control/control_host.h>
#include <qx/html/browser/hosting_window.h>

#include <memory>
#include <utility>
#include <vector>

namespace velkor_test {

using qx::com::control::ControlHost;
using qx::com::control::ControlHostOptions;

class VelkorWindowTest : public VelkorTest {
protected:
    void SetUp() override {
        VelkorTest::SetUp();
        ASSERT_TRUE(AtlAxWinInit());
        parent_ = std::make_unique<qx::test::RecordingWindow>(640, 520);
    }
    void TearDown() override {
        if (host_)
            host_->Close();
        host_.reset();
        parent_.reset();
        Pump();
        VelkorTest::TearDown();
    }

    void Activate(std::vector<std::pair<std::u16string, std::u16string>> params = {}) {
        ControlHostOptions options;
        options.parent = parent_->hwnd();
        options.position = {0, 0, 600, 500};
        options.params = std::move(params);
        options.onEvent = [this](DISPID id, const std::u16string&, std::vector<Variant>&) {
            events_.push_back(id);
        };
        ASSERT_EQ(ControlHost::Create(CLSID_Velkor, std::move(options), &host_), S_OK);
        control_ = ComPtr<IVelkor>::QueryFrom(host_->Control());
        ASSERT_TRUE(control_);
        ASSERT_TRUE(WaitComplete(PageBrowser().Get()));
    }

    HWND ControlWindow() const { return host_->ControlWindow(); }

    ComPtr<IWebBrowser2> PageBrowser() const {
        ComPtr<IUnknown> control;
        AtlAxGetControl(ControlWindow(), &control);
        return ComPtr<IWebBrowser2>::QueryFrom(control.Get());
    }

    ComPtr<IDispatch> External() const {
        ComPtr<IDispatch> documentDispatch;
        PageBrowser()->get_Document(&documentDispatch);
        auto document = ComPtr<IHTMLDocument2>::QueryFrom(documentDispatch.Get());
        ComPtr<IDispatch> windowDispatch;
        if (!document || FAILED(document->get_parentWindow(&windowDispatch)))
            return nullptr;
        auto window = ComPtr<IHTMLWindow2>::QueryFrom(windowDispatch.Get());
        ComPtr<IDispatch> external;
        window->get_external(&external);
        return external;
    }

    std::unique_ptr<qx::test::RecordingWindow> parent_;
    std::unique_ptr<ControlHost> host_;
    ComPtr<IVelkor> control_;
    std::vector<DISPID> events_;
};

} // namespace velkor_test
