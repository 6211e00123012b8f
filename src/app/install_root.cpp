#include "app/install_root.h"

// The program-wide objects with dynamic initialisation come into being in a fixed order, whatever
// the link order: the install root, then the sector table (catalogue/sector_table.cpp), then the
// application object (the camera is constant-initialised before all of them). They are destroyed
// in the reverse order at exit.
CString InstallRoot __attribute__((init_priority(InstallRootInitPriority)));
