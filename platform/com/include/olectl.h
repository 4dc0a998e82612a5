// OLE controls: the control interfaces and their result codes.
#pragma once

#include "objsafe.h"
#include "ocidl.h"
#include "ocidl_control.h"
