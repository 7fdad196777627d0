#pragma once
// The cube model over a host's own automation objects: what the control calls on theCube and
// theTimeDimension when they are not the product's in-memory cube.
//
// Every operation of the cube model is called by its name through IDispatch (hierarchyCount,
// hierarchy, addHierarchy, putName, levelAt, levelNamed, addLevel, removeLevel, clear,
// putLevelType, addAttributeDef, findMembers(...).Count, addRootMember, getName, putOrder,
// putParent, setAttribute; getLevelType and getCaption for completeness). New hierarchies,
// levels, attribute definitions and members are created from the cube library's classes by
// ProgID: "<library>.Hierarchy", "<library>.Level", "<library>.AttributeDef",
// "<library>.Member".
//
// DISPIDs are asked for once per class created by ProgID (objects of one class share their
// type information), and once per object for the objects the host hands back (levelAt,
// levelNamed, hierarchy). A failing call is an annalex::Failure (see automation_call.hpp).

#include <oaidl.h>
#include <wrl/client.h>

#include <string>

#include "cube/cube_model.hpp"

namespace annalex::platform {

// The host's cube: only held, as the control does with any cube.
cube::CubeRef dispatchCube(Microsoft::WRL::ComPtr<IDispatch> cube);

// The host's dimension; library names the cube library whose classes make the new objects.
cube::DimensionRef dispatchDimension(Microsoft::WRL::ComPtr<IDispatch> dimension,
                                     std::string library);

}  // namespace annalex::platform
