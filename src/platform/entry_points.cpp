// The four standard entry points of the in-process server (exported by name, see annalex.def)
// and its DllMain, which remembers the module so that registration can write its path.

#include <olectl.h>
#include <windows.h>

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
    auto factory = annalex::platform::createObject<ClassFactory>(serverClass->create);
    return factory ? factory->QueryInterface(riid, object) : E_OUTOFMEMORY;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return annalex::platform::serverUnused() ? S_OK : S_FALSE;
}

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
    const std::wstring path = annalex::platform::serverModulePath();
    return path.empty() ? SELFREG_E_CLASS : annalex::platform::registerServer(path);
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
    return annalex::platform::unregisterServer();
}
