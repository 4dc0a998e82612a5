#include "qx/win32/ui_driver.h"

namespace qx::win32 {
namespace {

template <typename T>
std::optional<T> TakeFront(std::deque<std::optional<T>>& queue) {
    if (queue.empty()) {
        return std::nullopt;
    }
    std::optional<T> front = std::move(queue.front());
    queue.pop_front();
    return front;
}

} // namespace

std::optional<FileDialogChoice> UiDriver::ShowFileDialog(const FileDialogRequest&) {
    return std::nullopt;
}

std::optional<ColorDialogChoice> UiDriver::ShowColorDialog(const ColorDialogRequest&) {
    return std::nullopt;
}

std::optional<FontDialogFont> UiDriver::ShowFontDialog(const FontDialogRequest&) {
    return std::nullopt;
}

void UiDriver::ShowFindDialog(FindDialogView& dialog) {
    dialog.Cancel();
}

UINT UiDriver::ShowMenu(const MenuRequest&) {
    return 0;
}

std::optional<FileDialogChoice> UiRecorder::ShowFileDialog(const FileDialogRequest& request) {
    std::lock_guard guard(lock_);
    fileRequests_.push_back(request);
    return TakeFront(files_);
}

std::optional<ColorDialogChoice> UiRecorder::ShowColorDialog(const ColorDialogRequest& request) {
    std::lock_guard guard(lock_);
    colorRequests_.push_back(request);
    return TakeFront(colors_);
}

std::optional<FontDialogFont> UiRecorder::ShowFontDialog(const FontDialogRequest& request) {
    std::lock_guard guard(lock_);
    fontRequests_.push_back(request);
    return TakeFront(fonts_);
}

void UiRecorder::ShowFindDialog(FindDialogView& dialog) {
    std::function<void(FindDialogView&)> handler;
    {
        std::lock_guard guard(lock_);
        handler = findHandler_;
    }
    // The handler's presses send messages, so it runs without the lock.
    if (handler) {
        handler(dialog);
    } else {
        dialog.Cancel();
    }
}

UINT UiRecorder::ShowMenu(const MenuRequest& request) {
    std::lock_guard guard(lock_);
    menuRequests_.push_back(request);
    if (menus_.empty()) {
        return 0;
    }
    UINT id = menus_.front();
    menus_.pop_front();
    return id;
}

void UiRecorder::QueueFile(std::optional<FileDialogChoice> choice) {
    std::lock_guard guard(lock_);
    files_.push_back(std::move(choice));
}

void UiRecorder::QueueColor(std::optional<ColorDialogChoice> choice) {
    std::lock_guard guard(lock_);
    colors_.push_back(std::move(choice));
}

void UiRecorder::QueueFont(std::optional<FontDialogFont> choice) {
    std::lock_guard guard(lock_);
    fonts_.push_back(std::move(choice));
}

void UiRecorder::QueueMenu(UINT id) {
    std::lock_guard guard(lock_);
    menus_.push_back(id);
}

void UiRecorder::SetFindHandler(std::function<void(FindDialogView&)> handler) {
    std::lock_guard guard(lock_);
    findHandler_ = std::move(handler);
}

std::vector<FileDialogRequest> UiRecorder::FileRequests() const {
    std::lock_guard guard(lock_);
    return fileRequests_;
}

std::vector<ColorDialogRequest> UiRecorder::ColorRequests() const {
    std::lock_guard guard(lock_);
    return colorRequests_;
}

std::vector<FontDialogRequest> UiRecorder::FontRequests() const {
    std::lock_guard guard(lock_);
    return fontRequests_;
}

std::vector<MenuRequest> UiRecorder::MenuRequests() const {
    std::lock_guard guard(lock_);
    return menuRequests_;
}

} // namespace qx::win32
