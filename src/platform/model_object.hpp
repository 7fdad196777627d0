#pragma once
// How the server recognises the objects of its own in-memory cube library when a host hands
// them back (as theCube, theTimeDimension, or an argument of a cube operation): each answers
// QueryInterface for a private interface that gives the model object behind it.
//
// The interface is in no type library and has no marshaler, so an object reached through a
// proxy (from another apartment) never passes for one of the server's own: it is then called
// by name, like any host's object.

#include <unknwn.h>

#include <memory>
#include <variant>

#include "cube/memory_model.hpp"
#include "platform/com_object.hpp"

namespace annalex::platform {

// {d1888374-cc6d-4743-ac2c-504eca9bf774}
inline constexpr IID IID_IModelObject = {
    0xd1888374, 0xcc6d, 0x4743, {0xac, 0x2c, 0x50, 0x4e, 0xca, 0x9b, 0xf7, 0x74}};

using ModelRef =
    std::variant<std::shared_ptr<cube::MemoryCube>, std::shared_ptr<cube::MemoryDimension>,
                 std::shared_ptr<cube::MemoryHierarchy>, std::shared_ptr<cube::MemoryLevel>,
                 std::shared_ptr<cube::MemoryAttributeDef>, std::shared_ptr<cube::MemoryMember>>;

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"  // released, never deleted through it
struct IModelObject : public IUnknown {
    virtual const ModelRef& STDMETHODCALLTYPE model() = 0;
};
#pragma GCC diagnostic pop

// The in-memory object of type Model behind object, when object is one of the server's own
// and of that kind; null otherwise (a host's object, a proxy, another kind, or null).
template <typename Model>
std::shared_ptr<Model> modelOf(IUnknown* object) {
    ComPtr<IModelObject> own;
    if (object == nullptr || FAILED(object->QueryInterface(
                                 IID_IModelObject, reinterpret_cast<void**>(own.GetAddressOf())))) {
        return nullptr;
    }
    const auto* found = std::get_if<std::shared_ptr<Model>>(&own->model());
    return found == nullptr ? nullptr : *found;
}

}  // namespace annalex::platform
