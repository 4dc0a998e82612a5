#include "qx/html/behaviors/page_behaviors.h"

#include "behavior_registry.h"

namespace qx::html::behaviors {

HRESULT PageBehaviors::Open(IHTMLDocument2* document, PageBehaviorOptions options,
                            std::unique_ptr<PageBehaviors>* page) {
    if (!page)
        return E_POINTER;
    page->reset();
    const com::ComPtr<IHtmlNodeAccess> access = com::ComPtr<IHtmlNodeAccess>::QueryFrom(document);
    if (!access)
        return E_INVALIDARG;
    const dom::DomPtr& dom = access->AccessDocument();
    if (dom->behaviors)
        return E_UNEXPECTED;
    auto registry = std::make_shared<BehaviorRegistry>(dom, std::move(options));
    dom->behaviors = registry;
    page->reset(new PageBehaviors(std::move(registry)));
    return S_OK;
}

PageBehaviors::PageBehaviors(std::shared_ptr<BehaviorRegistry> registry) : registry_(std::move(registry)) {}

PageBehaviors::~PageBehaviors() {
    registry_->Close();
}

void PageBehaviors::ApplyStyles() {
    registry_->ApplyStyles();
}

void PageBehaviors::DocumentReady() {
    registry_->DocumentReady();
}

std::size_t PageBehaviors::Count() const {
    return registry_->Count();
}

} // namespace qx::html::behaviors
