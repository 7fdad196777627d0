#include "platform/server_classes.hpp"

#include <array>
#include <new>

#include "platform/annalex_com.hpp"
#include "platform/ctrl_object.hpp"
#include "platform/cube_objects.hpp"

namespace annalex::platform {

namespace {

template <typename Object>
IUnknown* createObject() {
    try {
        return new Object();
    } catch (...) {
        return nullptr;
    }
}

constexpr std::array<ServerClass, 2> kClasses{{
    {&CLSID_AnnalexCtrl, "{ca018ca7-540f-4e50-9b66-4660d6e21743}", "Annalex calendar step control",
     "Annalex.AnnalexCtrl", &createObject<CtrlObject>},
    {&CLSID_AnnalexCube, "{f4c6539c-9e8e-4fcf-8c83-34823e0c9c9b}", "Annalex in-memory cube",
     "Annalex.Cube", &createObject<CubeObject>},
}};

}  // namespace

std::span<const ServerClass> serverClasses() {
    return kClasses;
}

const ServerClass* findServerClass(REFCLSID clsid) {
    for (const auto& serverClass : kClasses) {
        if (IsEqualCLSID(clsid, *serverClass.clsid)) {
            return &serverClass;
        }
    }
    return nullptr;
}

}  // namespace annalex::platform
