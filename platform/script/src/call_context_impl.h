// The CallContext of a native function while it runs: arguments are the value stack's bottom.
#pragma once

#include "engine_core.h"

#include <qx/com/variant.h>

#include <limits>

namespace qx::script {

class CallContextImpl final : public CallContext {
public:
    CallContextImpl(EngineCore& core, std::size_t count) : core_(core), count_(count) {}

    std::size_t ArgCount() const override { return count_; }
    std::u16string ArgString(std::size_t index) const override;
    double ArgNumber(std::size_t index) const override;
    HRESULT ArgVariant(std::size_t index, VARIANT* value) const override;
    HRESULT SetResult(const VARIANT& value) override;
    void SetErrorDescription(std::u16string description) override { description_ = std::move(description); }
    ScriptEngine& Engine() const override;

    bool HasResult() const { return hasResult_; }
    const com::Variant& Result() const { return result_; }
    const std::u16string& ErrorDescription() const { return description_; }

private:
    EngineCore& core_;
    std::size_t count_;
    bool hasResult_ = false;
    com::Variant result_;
    std::u16string description_;
};

} // namespace qx::script
