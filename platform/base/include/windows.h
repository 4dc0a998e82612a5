// The umbrella header a Windows program includes: the base types and error codes, and every Win32
// service the platform offers (kernel objects, files, modules and resources, code pages, the registry,
// messages and message boxes, windows, input, timers and update regions). The shell, path helpers,
// NetBIOS and sockets keep their own headers, as they do on Windows. The headers lie in the services'
// own folders; a target that includes this one links the platform (qx_platform).
#pragma once

#include <guiddef.h>
#include <winerror.h>
#include <wintypes.h>

#include <debugapi.h>
#include <errhandlingapi.h>
#include <handleapi.h>
#include <minwinbase.h>
#include <processthreadsapi.h>
#include <processthreadsapi_process.h>
#include <synchapi.h>
#include <sysinfoapi.h>
#include <winnt_interlocked.h>

#include <fileapi.h>
#include <winbase_file.h>
#include <winbase_local.h>
#include <winbase_message.h>
#include <winbase_version.h>
#include <winmodule.h>
#include <winresource.h>
#include <winver.h>

#include <stringapiset.h>
#include <winnls.h>
#include <winreg.h>

#include <winuser_input.h>
#include <winuser_message.h>
#include <winuser_msgbox.h>
#include <winuser_paint.h>
#include <winuser_position.h>
#include <winuser_show.h>
#include <winuser_timer.h>
#include <winuser_window.h>
