// What the bridge needs of a member from its object's type information — method or property, and
// which arguments are [out] — read once per DISPID and type and kept while the engine lives. Types
// are told apart by their ITypeInfo, which the cache holds (objects of one declaration share one).
#pragma once

#include <oaidl.h>
#include <qx/com/comptr.h>

#include <memory>
#include <unordered_map>
#include <vector>

namespace qx::script {

enum class MemberKind { Unknown, Method, Property };

struct MemberFacts {
    MemberKind kind = MemberKind::Unknown; // Unknown: no type information says
    std::vector<bool> out;                 // per argument of a method or get: [out] or not
};

class MemberFactsCache {
public:
    // The facts of a member of the object's type; valid until the next call.
    const MemberFacts& Of(IDispatch* dispatch, DISPID dispid);
    void Clear() {
        types_.clear();
        last_ = nullptr;
    }

private:
    struct Type {
        com::ComPtr<ITypeInfo> info;
        std::unordered_map<DISPID, MemberFacts> members;
    };
    // Objects that make a new type information per call would fill the cache: it starts again.
    static constexpr std::size_t kMaxTypes = 256;

    std::unordered_map<ITypeInfo*, Type> types_;
    MemberFacts unknown_;
    // The last answer: a loop that reads one member asks for it over and over.
    const ITypeInfo* lastType_ = nullptr;
    DISPID lastId_ = 0;
    const MemberFacts* last_ = nullptr;
};

} // namespace qx::script
