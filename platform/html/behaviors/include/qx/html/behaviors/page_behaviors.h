// A page's element behaviours: `addBehavior`/`removeBehavior`, the `behavior` style, factories
// from OBJECT elements, registered classes and the host, the behaviour site with its event object
// model, and behaviour members on the element's IDispatch.
#pragma once

#include "mshtml.h"
#include "qx/com/comptr.h"
#include "qx/html/dom/html_document.h"

#include <functional>
#include <map>
#include <memory>
#include <string>

namespace qx::html::behaviors {

struct PageBehaviorOptions {
    // The object of the OBJECT element that a "#id#name" URL names (its control). Empty: the class
    // of the element's `classid` ("clsid:...") is created through the registry, once per element.
    std::function<HRESULT(IHTMLElement* objectElement, IUnknown** object)> objectOf;
    // The factory classes of "#default#name" behaviours, by name in any case.
    std::map<std::u16string, CLSID> defaultBehaviors;
    // Asked for behaviours whose URL names a file, and for "#default#" names no class is given
    // for, as the host's behaviour factory service is. May be null.
    com::ComPtr<IElementBehaviorFactory> hostFactory;
    // The `behavior` style value of an element. Empty: its inline style over the rules of the
    // page's STYLE elements.
    std::function<std::u16string(dom::Node* element)> styleOf;
    // Hears a notification that a behaviour failed (the behaviour stays attached).
    std::function<void(dom::Node* element, LONG event, HRESULT hr)> notifyFailed;
};

class BehaviorRegistry;

class PageBehaviors {
public:
    // Installs the behaviours of a document; E_INVALIDARG for a document that is not this
    // browser's, E_UNEXPECTED when the document has behaviours already.
    static HRESULT Open(IHTMLDocument2* document, PageBehaviorOptions options,
                        std::unique_ptr<PageBehaviors>* page);
    // Detaches every behaviour.
    ~PageBehaviors();
    PageBehaviors(const PageBehaviors&) = delete;
    PageBehaviors& operator=(const PageBehaviors&) = delete;

    // Attaches what the elements' `behavior` styles name and is not attached yet, and detaches
    // what a style attached and no longer names. The page calls it once it is parsed and after
    // changes that may touch styles.
    void ApplyStyles();
    // The document is complete: document ready goes to every behaviour, and at once to later ones.
    void DocumentReady();
    // How many behaviours are attached.
    std::size_t Count() const;

private:
    explicit PageBehaviors(std::shared_ptr<BehaviorRegistry> registry);
    std::shared_ptr<BehaviorRegistry> registry_;
};

} // namespace qx::html::behaviors
