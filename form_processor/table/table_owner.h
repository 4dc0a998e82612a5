// What the table engine and its element sinks ask of the control that owns them. The engine keeps
// a plain pointer: the control outlives its engine, and Detach clears the sinks' pointers.
#pragma once

#include <oaidl.h>

class CExternalDispatch;

class TableEditorOwner {
public:
    // 0 browse only, 1 edit, 2 edit with every toolbar.
    virtual SHORT OwnerStartMode() const = 0;
    // Bit 0 of Option: keys pass in browse use and selection start is never refused.
    virtual bool OwnerKeysFree() const = 0;
    // Bit 1 of Option: a press may put the caret into content without "free".
    virtual bool OwnerCaretAnywhere() const = 0;
    // Reads and clears the flag SetKeyIgnore set.
    virtual bool TakeKeyIgnore() = 0;
    virtual void NotifyElementKey(LONG virtualKey, LONG shift, LONG ctrl) = 0;
    virtual void NotifyControlChange(IDispatch* element) = 0;

protected:
    ~TableEditorOwner() = default;
};
