// The four standard entry points of the in-process server (exported by name, see annalex.def)
// and its DllMain, which remembers the module so that registration can write its path.

#include <olectl.h>
#include <windows.h>

#include <string>

#include "platform/class_factory.hpp"
#include "platform/registration.hpp"
#include "platform/server_classes.hpp"
#include "platform/server_module.hpp"

using annalex::platform::ClassFactory;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        annalex::platform::setServerModule(instance);
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    const auto* serverClass = annalex::platform::findServerClass(clsid);
    if (serverClass == nullptr) {
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    ClassFactory* factory = nullptr;
    try {
        factory = new ClassFactory(serverClass->create);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    const HRESULT result = factory->QueryInterface(riid, object);
    factory->Release();
    return result;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return annalex::platform::serverUnused() ? S_OK : S_FALSE;
}

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(annalex::platform::serverModule(), path, MAX_PATH);
    if (length == 0 || length == MAX_PATH) {
        return SELFREG_E_CLASS;
    }
    return annalex::platform::registerServer(std::string(path, length));
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
    return annalex::platform::unregisterServer();
}
