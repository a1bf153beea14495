#pragma once
// The call-back the Program Manager conversation registers with the DDE
// library: the installer only ever asks, so every transaction gets nothing.

#include <windows.h>
#include <ddeml.h>

HDDEDATA CALLBACK DdeClientCallback(UINT type, UINT format, HCONV conversation, HSZ topic, HSZ item, HDDEDATA data,
                                    ULONG_PTR data1, ULONG_PTR data2);
