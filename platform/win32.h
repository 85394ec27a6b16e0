// The one system header every program file includes.
//
// On Windows it is the real thing. Elsewhere it declares the small part of
// the Win32 API this program uses, with the real types' sizes, so the same
// sources compile natively and link against the recording fake in tests/.
#pragma once

#ifdef _WIN32

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// needs <windows.h> first
#include <mmsystem.h>
#include <shlobj.h>
// Left out by WIN32_LEAN_AND_MEAN: the Save As dialog.
#include <commdlg.h>
#include <wtsapi32.h>

// Pointer positions are signed: a captured drag can leave the window to the
// left or top. These two are the only things we take from <windowsx.h>.
#ifndef GET_X_LPARAM
#define GET_X_LPARAM(lp) ((int)(short)LOWORD(lp))
#define GET_Y_LPARAM(lp) ((int)(short)HIWORD(lp))
#endif

#else

#include "platform/win32_host.h"

#endif

// Unmangled; the Windows build exports it by its plain name through
// resources/tonvale.def, in 32-bit builds too.
#define TONVALE_EXPORT extern "C"
