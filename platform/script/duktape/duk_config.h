// The engine's build configuration: Debian's configuration of the engine, plus what the bridge
// needs from it. Errors unwind as C++ exceptions, so that native functions written with RAII
// release what they hold when script code throws through them; an interrupt counter lets the
// host end a script that runs past its budget or has asked to quit.
#if !defined(QX_DUK_CONFIG_H_INCLUDED)
#define QX_DUK_CONFIG_H_INCLUDED

#include "duk_config_debian.h"

#include <exception>
#include <stdexcept>

#if !defined(DUK_USE_CPP_EXCEPTIONS)
#define DUK_USE_CPP_EXCEPTIONS
#endif
#undef DUK_USE_INTERRUPT_COUNTER
#define DUK_USE_INTERRUPT_COUNTER
#undef DUK_USE_EXEC_TIMEOUT_CHECK
#define DUK_USE_EXEC_TIMEOUT_CHECK(udata) qx_script_exec_timeout_check(udata)

// True when the engine that owns heap user data `udata` must stop running script.
duk_bool_t qx_script_exec_timeout_check(void* udata);

#endif
