// The version of VtxGuard and VtxLauncher, for their version resources.
#pragma once

#define VTX_VERSION_MAJOR 3
#define VTX_VERSION_MINOR 2
#define VTX_VERSION_RELEASE 0
#define VTX_VERSION_BUILD 0

// FILEVERSION / PRODUCTVERSION take the four numbers, the string tables the text.
#define VTX_VERSION_NUMBERS VTX_VERSION_MAJOR, VTX_VERSION_MINOR, VTX_VERSION_RELEASE, VTX_VERSION_BUILD
#define VTX_VERSION_TEXT "3.2.0.0"

#define VTX_COMPANY_NAME "Vantorix"
#define VTX_PRODUCT_NAME "Vantorix"
