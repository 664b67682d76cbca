// The Windows side of the driver's ways out: window messages to the IDE's main window, and message boxes owned
// by it. The rest of the driver sees the same records as on Linux (OrvendHostWindow, OrvendUi), so nothing
// above this file knows which system it runs on.
#pragma once

#include "orvend/orvend.h"

namespace orven::driver::win32 {

// The host window record for the IDE's window handle (AG_Init 0x030A): send is SendMessageA, which returns when
// the window procedure has handled the message (and runs it at once when called on the window's own thread);
// post is PostMessageA, which queues it and returns.
OrvendHostWindow HostWindowFor(void* hwnd);

// AG_Init 0x030A on Windows: keeps the record for the IDE's window (the driver holds a pointer to it) and makes
// the window the owner of the driver's boxes.
const OrvendHostWindow* BindHostWindow(void* hwnd);

// The window that owns the driver's message boxes and its setup dialog: the IDE's main window once it is bound,
// before that the calling thread's active window (null: the desktop). Safe from any thread.
void SetOwnerWindow(void* hwnd);
void* OwnerWindow();

// The user interface the DLL uses when the host installs none: MessageBoxW boxes and the setup dialog
// resource, owned by OwnerWindow(). Captions and texts are UTF-8 and shown as written.
const OrvendUi& DefaultUi();

// The box itself: kind 0 error (OK), 1 warning (OK), 2 question (Yes/No). 1 for OK or Yes, 0 for No.
int MessageBoxUtf8(void* owner, int kind, const char* caption, const char* text);

}  // namespace orven::driver::win32
