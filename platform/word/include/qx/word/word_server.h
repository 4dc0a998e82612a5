// The word-processor stand-in's class, served from the platform library to the component file
// that registers it (libqxword.so), and the journal of what its objects were asked to do.
#pragma once

#include "unknwn.h"
#include "wintypes.h"

#include <string>
#include <vector>

namespace qx::word {

// The class factory of the application class; CLASS_E_CLASSNOTAVAILABLE for another class.
HRESULT GetWordClassObject(REFCLSID clsid, REFIID riid, void** object);

// Whether objects of the platform library (the word processor's among them) are still alive.
bool WordObjectsAlive();

// The calls that change something, one line each in call order ("Documents.Add",
// "Application.Top=-3000", "Document.Saved=true", "Document.Close", "Application.Quit", ...).
std::vector<std::string> WordJournal();
void ClearWordJournal();

} // namespace qx::word
