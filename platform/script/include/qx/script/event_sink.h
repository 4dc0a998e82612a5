// EventConnections: advises a sink on an object's default source interface (found through its
// class information and type library) whose events call the global script functions named
// prefix + event name, as `WScript.ConnectObject(obj, "conv_")` does.
#pragma once

#include "qx/script/script_engine.h"

#include <ocidl.h>
#include <qx/com/comptr.h>

#include <functional>
#include <string>
#include <vector>

namespace qx::script {

class EventConnections {
public:
    explicit EventConnections(ScriptEngine& engine) : engine_(engine) {}
    ~EventConnections() { DisconnectAll(); }
    EventConnections(const EventConnections&) = delete;
    EventConnections& operator=(const EventConnections&) = delete;

    // E_NOINTERFACE when the object has no class information or no default source interface,
    // else what finding the connection point or advising gives.
    HRESULT Connect(IUnknown* source, std::u16string_view prefix);
    // Unadvises every connection made on source; S_FALSE when there was none.
    HRESULT Disconnect(IUnknown* source);
    void DisconnectAll();

    // Told about an exception that an event handler did not catch (the event itself succeeds).
    void SetErrorHandler(std::function<void(const ScriptError&)> handler) { onError_ = std::move(handler); }
    std::size_t Count() const { return connections_.size(); }

private:
    struct Connection {
        com::ComPtr<IUnknown> identity;
        com::ComPtr<IConnectionPoint> point;
        DWORD cookie = 0;
    };
    ScriptEngine& engine_;
    std::vector<Connection> connections_;
    std::function<void(const ScriptError&)> onError_;
};

// The default source interface of an object: its IID and type information.
HRESULT FindDefaultSource(IUnknown* object, IID* iid, ITypeInfo** info);

} // namespace qx::script
