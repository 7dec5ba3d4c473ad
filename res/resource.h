// Resource identifiers of MarlowSetupKit.dll.
#pragma once

#define MSK_VERSION_BINARY 0, 1, 0, 0
#define MSK_VERSION_TEXT "0.1.0"
