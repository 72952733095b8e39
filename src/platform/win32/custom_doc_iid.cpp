// mingw-w64's uuid library lacks the ICustomDoc identifier that mshtmhst.h
// declares; this defines it.
#include <windows.h>

#include <initguid.h>

DEFINE_GUID(IID_ICustomDoc, 0x3050f3f0, 0x98b5, 0x11cf, 0xbb, 0x82, 0x00, 0xaa, 0x00, 0xbd, 0xce,
            0x0b);
