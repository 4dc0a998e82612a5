// The spelling check: dialog 126 over the word processor's automation objects, reached by name
// ("Word.Application" as a local server) and driven only through IDispatch.
#pragma once

#include <mshtml.h>

// Runs the modal dialog over the edited document (null: nothing to check, the dialog still
// opens). Shows "'MS Word' Not Found!!!" when the word processor cannot be created.
void RunSpellingCheck(IHTMLDocument2* document);
