#pragma once
// What the in-process server knows about itself: its module handle and how many of its objects
// are alive and how many server locks hosts hold, which DllCanUnloadNow answers from.

#include <windows.h>

namespace annalex::platform {

HMODULE serverModule();
void setServerModule(HMODULE module);

// Every COM object of the server counts itself from construction to destruction.
void objectCreated();
void objectDestroyed();
// IClassFactory::LockServer.
void lockServer(bool lock);
// True when no object is alive and no lock is held.
bool serverUnused();

}  // namespace annalex::platform
