#pragma once
// What the in-process server knows about itself: its module and its path, and how many of its
// objects are alive and how many server locks hosts hold, which DllCanUnloadNow answers from.

#include <windows.h>

#include <string>

namespace annalex::platform {

HMODULE serverModule();
void setServerModule(HMODULE module);
// The full path of annalex.dll as the system loaded it, in wide characters (any length, any
// characters); empty when the system cannot tell.
std::wstring serverModulePath();

// Every COM object of the server counts itself from construction to destruction.
void objectCreated();
void objectDestroyed();
// IClassFactory::LockServer.
void lockServer(bool lock);
// True when no object is alive and no lock is held.
bool serverUnused();

}  // namespace annalex::platform
