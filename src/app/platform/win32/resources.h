#pragma once
// The program's resource module: dialog templates and icons registered by id (what a resource
// script compiles into the executable). The user interface registers its resources at start-up;
// string resources live in string_table.h.

#include "app/platform/win32/dialog_template.h"
#include "app/platform/win32/icon_resource.h"
#include "app/platform/win32/win_types.h"

namespace win32 {

// Adds or replaces template `id`. Dialogs look templates up when they are run.
void RegisterDialogTemplate(UINT id, DialogTemplate dialogTemplate);
// The template `id`, or null.
const DialogTemplate* FindDialogTemplate(UINT id);

// Adds icon `id`; an icon registered once keeps its handle for the rest of the run (re-registering
// the id replaces the images behind the same handle). Returns false, registering nothing, when an
// image is malformed or there is none.
bool RegisterIcon(UINT id, IconResource icon);
// The handle of icon `id`, or null.
HICON FindIcon(UINT id);
// The icon a handle names, or null for a handle that names no registered icon.
const IconResource* IconFromHandle(HICON icon);

// The program's own resources, registered by the process entry before the application object
// runs. Each windowed program defines it, as a resource compiler's output is linked into a Windows
// executable.
void RegisterProgramResources();

// Forgets every template and icon (for tests). Handles handed out before become invalid.
void ClearResources();

}  // namespace win32
