// Levels, attribute definitions and members of the in-memory cube as automation objects.

#include "platform/cube_objects.hpp"

namespace annalex::platform {

namespace {

// What findMembers answers: only its Count is used.
class MembersObject : public DualDispatch<IAnnalexMembers>,
                      public SupportsErrorInfo,
                      public ComObjectBase {
  public:
    explicit MembersObject(LONG count) : SupportsErrorInfo(IID_IAnnalexMembers), count_(count) {}

    HRESULT STDMETHODCALLTYPE get_Count(LONG* count) override {
        if (count == nullptr) {
            return E_POINTER;
        }
        *count = count_;
        return S_OK;
    }

  protected:
    IUnknown* findInterface(REFIID riid) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
            IsEqualIID(riid, IID_IAnnalexMembers)) {
            return static_cast<IAnnalexMembers*>(this);
        }
        return IsEqualIID(riid, IID_ISupportErrorInfo) ? static_cast<ISupportErrorInfo*>(this)
                                                       : nullptr;
    }

  private:
    LONG count_;
};

// An index a host passed, checked against the number of items.
std::size_t checkedIndex(LONG index, std::size_t count, const char* what) {
    if (index < 0 || static_cast<std::size_t>(index) >= count) {
        throw CallError(E_INVALIDARG, std::string(what) + " " + std::to_string(index) +
                                          " does not exist; there are " + std::to_string(count) +
                                          ", from 0");
    }
    return static_cast<std::size_t>(index);
}

}  // namespace

// ---- Level ----

HRESULT LevelObject::putName(BSTR name) {
    return call([&] { object().putName(fromBstr(name)); });
}

HRESULT LevelObject::getName(BSTR* name) {
    return call([&] { handOutText(object().name(), name); });
}

HRESULT LevelObject::putLevelType(LONG code) {
    return call([&] { object().putLevelType(code); });
}

HRESULT LevelObject::getLevelType(LONG* code) {
    return call([&] { out(code) = object().type(); });
}

HRESULT LevelObject::addAttributeDef(IDispatch* definition) {
    return call([&] {
        object().addAttributeDef(ownArgument<cube::MemoryAttributeDef>(
            definition, "addAttributeDef", "attribute definition"));
    });
}

HRESULT LevelObject::findMembers(BSTR name, IDispatch** members) {
    return call([&] {
        IDispatch*& target = out(members);
        auto found = createObject<MembersObject>(object().findMembers(fromBstr(name)).Count());
        if (!found) {
            throw std::bad_alloc();
        }
        target = found.Detach();
    });
}

HRESULT LevelObject::addRootMember(IDispatch* member) {
    return call([&] {
        object().addRootMember(ownArgument<cube::MemoryMember>(member, "addRootMember", "member"));
    });
}

HRESULT LevelObject::attributeDefCount(LONG* count) {
    return call([&] { out(count) = static_cast<LONG>(object().attributeDefs().size()); });
}

HRESULT LevelObject::attributeDef(LONG index, IDispatch** definition) {
    return call([&] {
        const auto& definitions = object().attributeDefs();
        handOut<AttributeDefObject>(
            definitions[checkedIndex(index, definitions.size(), "Attribute definition")],
            definition);
    });
}

// ---- AttributeDef ----

HRESULT AttributeDefObject::putName(BSTR key) {
    return call([&] { object().putName(fromBstr(key)); });
}

HRESULT AttributeDefObject::getName(BSTR* key) {
    return call([&] { handOutText(object().key(), key); });
}

HRESULT AttributeDefObject::putCaption(BSTR caption) {
    return call([&] { object().putCaption(fromBstr(caption)); });
}

HRESULT AttributeDefObject::getCaption(BSTR* caption) {
    return call([&] { handOutText(object().caption(), caption); });
}

// ---- Member ----

const cube::MemberRecord& MemberObject::record() {
    const auto& store = object().placedStore();
    if (store == nullptr) {
        throw CallError(E_FAIL, "The member is not placed in a hierarchy yet");
    }
    return store->member(object().placedId());
}

void MemberObject::handOutMember(std::uint32_t id, IDispatch** result) {
    handOut<MemberObject>(
        id == cube::kNoMember ? nullptr : cube::MemoryMember::placedAt(object().placedStore(), id),
        result);
}

std::uint16_t MemberObject::attributeKeyAt(LONG index) {
    const auto keys = object().placedStore()->attributeKeys(object().placedId());
    return keys[checkedIndex(index, keys.size(), "Attribute value")];
}

HRESULT MemberObject::putName(BSTR name) {
    return call([&] { object().putName(fromBstr(name)); });
}

HRESULT MemberObject::getName(BSTR* name) {
    return call([&] { handOutText(object().getName(), name); });
}

HRESULT MemberObject::putOrder(LONG order) {
    return call([&] { object().putOrder(order); });
}

HRESULT MemberObject::getOrder(LONG* order) {
    return call([&] { out(order) = record().order; });
}

HRESULT MemberObject::putParent(IDispatch* parent) {
    return call([&] {
        object().putParent(ownArgument<cube::MemoryMember>(parent, "putParent", "parent member"));
    });
}

HRESULT MemberObject::setAttribute(BSTR key, BSTR value) {
    return call([&] { object().setAttribute(fromBstr(key), fromBstr(value)); });
}

HRESULT MemberObject::getParent(IDispatch** parent) {
    return call([&] { handOutMember(record().parent, parent); });
}

HRESULT MemberObject::getLevel(IDispatch** level) {
    return call([&] {
        const std::uint16_t position = record().level;
        handOut<LevelObject>(object().placedStore()->level(position), level);
    });
}

HRESULT MemberObject::firstChild(IDispatch** child) {
    return call([&] { handOutMember(record().firstChild, child); });
}

HRESULT MemberObject::nextSibling(IDispatch** sibling) {
    return call([&] { handOutMember(record().nextSibling, sibling); });
}

HRESULT MemberObject::attributeCount(LONG* count) {
    return call([&] {
        out(count) =
            static_cast<LONG>(object().placedStore()->attributeKeys(object().placedId()).size());
    });
}

HRESULT MemberObject::attributeKey(LONG index, BSTR* key) {
    return call([&] {
        const std::uint16_t keyIndex = attributeKeyAt(index);
        const auto& level = *object().placedStore()->level(record().level);
        handOutText(level.attributeDefs()[keyIndex]->key(), key);
    });
}

HRESULT MemberObject::attributeValue(LONG index, BSTR* value) {
    return call([&] {
        const std::uint16_t keyIndex = attributeKeyAt(index);
        handOutText(object().placedStore()->attributeValue(object().placedId(), keyIndex), value);
    });
}

}  // namespace annalex::platform
