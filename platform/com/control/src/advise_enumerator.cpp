#include "advise_enumerator.h"

#include "qx/com/comptr.h"
#include "qx/com/object.h"

namespace qx::com::control {
namespace {

class CStatDataEnumerator : public ObjectRoot, public IEnumSTATDATA {
public:
    QX_BEGIN_INTERFACES(CStatDataEnumerator)
    QX_INTERFACE_ENTRY(IEnumSTATDATA)
    QX_END_INTERFACES()

    void Fill(const std::vector<STATDATA>& items, std::size_t position) {
        items_.reserve(items.size());
        for (const STATDATA& item : items)
            items_.push_back({item, ComPtr<IAdviseSink>(item.pAdvSink)});
        position_ = position;
    }

    STDMETHODIMP Next(ULONG celt, STATDATA* rgelt, ULONG* pceltFetched) override {
        if (!rgelt || (celt > 1 && !pceltFetched))
            return E_POINTER;
        ULONG fetched = 0;
        for (; fetched < celt && position_ < items_.size(); ++fetched, ++position_) {
            rgelt[fetched] = items_[position_].data;
            if (rgelt[fetched].pAdvSink)
                rgelt[fetched].pAdvSink->AddRef();
        }
        if (pceltFetched)
            *pceltFetched = fetched;
        return fetched == celt ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG celt) override {
        const std::size_t left = items_.size() - position_;
        position_ += std::min<std::size_t>(celt, left);
        return celt <= left ? S_OK : S_FALSE;
    }
    STDMETHODIMP Reset() override {
        position_ = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(IEnumSTATDATA** ppenum) override {
        if (!ppenum)
            return E_POINTER;
        std::vector<STATDATA> items;
        for (const Item& item : items_)
            items.push_back(item.data);
        ObjectPtr<CStatDataEnumerator> copy;
        *ppenum = nullptr;
        const HRESULT hr = CreateObject(copy);
        if (FAILED(hr))
            return hr;
        copy->Fill(items, position_);
        *ppenum = copy.Detach();
        return S_OK;
    }

private:
    struct Item {
        STATDATA data;
        ComPtr<IAdviseSink> hold;
    };
    std::vector<Item> items_;
    std::size_t position_ = 0;
};

} // namespace

HRESULT CreateStatDataEnumerator(const std::vector<STATDATA>& items, IEnumSTATDATA** enumerator) {
    if (!enumerator)
        return E_POINTER;
    *enumerator = nullptr;
    ObjectPtr<CStatDataEnumerator> made;
    const HRESULT hr = CreateObject(made);
    if (FAILED(hr))
        return hr;
    made->Fill(items, 0);
    *enumerator = made.Detach();
    return S_OK;
}

} // namespace qx::com::control
