#pragma once
// Tools::SystemTools: what the installer asks about the machine and its users. Each query lives in
// a header of its own; this one gathers them.

#include "tools/NetworkCheck.h"
#include "tools/UserContext.h"
#include "tools/UserIdentity.h"
#include "tools/VersionInfo.h"
