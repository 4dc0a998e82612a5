// The recorder's side of printing and new browser windows.
#include "qx/win32/ui_driver.h"

namespace qx::win32 {

bool UiRecorder::ShowPrintDialog(const PrintDialogRequest& request) {
    std::lock_guard guard(lock_);
    printDialogs_.push_back(request);
    if (printAnswers_.empty())
        return true;
    const bool print = printAnswers_.front();
    printAnswers_.pop_front();
    return print;
}

bool UiRecorder::TakePrintJob(const PrintJob& job) {
    std::lock_guard guard(lock_);
    printJobs_.push_back(job);
    return true;
}

void UiRecorder::OpenBrowserWindow(const BrowserWindowRequest& request) {
    std::lock_guard guard(lock_);
    browserWindows_.push_back(request);
}

void UiRecorder::QueuePrintAnswer(bool print) {
    std::lock_guard guard(lock_);
    printAnswers_.push_back(print);
}

std::vector<PrintDialogRequest> UiRecorder::PrintDialogRequests() const {
    std::lock_guard guard(lock_);
    return printDialogs_;
}

std::vector<PrintJob> UiRecorder::PrintJobs() const {
    std::lock_guard guard(lock_);
    return printJobs_;
}

std::vector<BrowserWindowRequest> UiRecorder::BrowserWindowRequests() const {
    std::lock_guard guard(lock_);
    return browserWindows_;
}

} // namespace qx::win32
