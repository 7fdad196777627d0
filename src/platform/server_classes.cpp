#include "platform/server_classes.hpp"

#include <array>

#include "platform/annalex.h"
#include "platform/ctrl_object.hpp"
#include "platform/cube_objects.hpp"

namespace annalex::platform {

namespace {

// The names are those of the coclasses in annalex.idl, the readable names their helpstrings.
const std::array<ServerClass, 6> kClasses{{
    {&CLSID_AnnalexCtrl, L"AnnalexCtrl", L"Annalex calendar step control", kCtrlMiscStatus,
     &createCtrlObject},
    {&CLSID_Cube, L"Cube", L"Annalex in-memory cube", 0, &createCubeObject},
    {&CLSID_Hierarchy, L"Hierarchy", L"Annalex in-memory hierarchy", 0, &createHierarchyObject},
    {&CLSID_Level, L"Level", L"Annalex in-memory level", 0, &createLevelObject},
    {&CLSID_AttributeDef, L"AttributeDef", L"Annalex in-memory attribute definition", 0,
     &createAttributeDefObject},
    {&CLSID_Member, L"Member", L"Annalex in-memory member", 0, &createMemberObject},
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
