#pragma once
// The application's one error report on Windows: the report form keeper with the Windows faces
// (the Win32 dialog, the GDI screen picture, message boxes over the form, the hourglass, work on
// threads of its own) and the system services (the settings store, Win32 files, zlib archives,
// CreateProcessA of the restart program, the clock, this build, simple MAPI mail).
//
// A failure of a procedure of the control in a container is reported with the container's
// top-level window (the host's form): the screen picture is taken while it is still on screen,
// the window is sent WM_CLOSE, and the form shows, modeless unless the container has said that
// it cannot take modeless windows now (IOleInPlaceActiveObject::EnableModeless), in which case
// it shows modal and report() returns once it has been closed. A later failure only overwrites
// the fields of a form that is open. A failure of the report itself (a user data folder that
// cannot be made, say) is shown as a run-time error box.
//
// Made at the first report, on the thread of the host's windows, and kept for the process:
// annalex.dll is pinned then, because the form's window, its keyboard hook and the threads that
// ask the mail client run its code.

#include <windows.h>

#include "errors/failure_report.hpp"

namespace annalex::platform {

// Reports a failure; container is the window to close first, or null.
void reportUnexpectedFailure(const errors::FailureReport& failure, HWND container,
                             bool modelessAllowed);
// Whether a report form is open (without making the report).
bool reportFormOpen();
// The open form's dialog; null when no form is open.
HWND reportFormWindow();

}  // namespace annalex::platform
