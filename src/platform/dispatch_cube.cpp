#include "platform/dispatch_cube.hpp"

#include <objbase.h>

#include <array>
#include <memory>

#include "common/failure.hpp"
#include "platform/automation_call.hpp"
#include "platform/wide_text.hpp"

namespace annalex::platform {

namespace {

using Microsoft::WRL::ComPtr;

// The kinds of object made by ProgID, in the order of the names below.
enum class Kind { Hierarchy, Level, AttributeDef, Member };
constexpr std::array<const char*, 4> kKindNames = {"Hierarchy", "Level", "AttributeDef", "Member"};

// What the objects reached from one dimension share: the cube library, its classes, and the
// operation names of each class.
class Library {
  public:
    explicit Library(std::string name) : name_(std::move(name)) {}

    const std::string& name() const { return name_; }

    // A new object of that kind from the library's class.
    AutomationObject create(Kind kind) {
        const auto at = static_cast<std::size_t>(kind);
        const std::string progId = name_ + "." + kKindNames[at];
        if (!classes_[at].names) {
            const HRESULT code = CLSIDFromProgID(toWide(progId).c_str(), &classes_[at].clsid);
            if (FAILED(code)) {
                throw Failure(
                    static_cast<std::int32_t>(code),
                    "The cube library has no class " + progId + " (" + describeCode(code) + ")",
                    std::string(kDefaultSource), lastSystemError());
            }
            classes_[at].names = std::make_shared<DispatchNames>();
        }
        ComPtr<IDispatch> object;
        const HRESULT code =
            CoCreateInstance(classes_[at].clsid, nullptr,
                             CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_PPV_ARGS(&object));
        if (FAILED(code)) {
            throw Failure(static_cast<std::int32_t>(code),
                          "Cannot create " + progId + " (" + describeCode(code) + ")",
                          std::string(kDefaultSource), lastSystemError());
        }
        return AutomationObject(std::move(object), classes_[at].names, progId, name_);
    }

    // An object the host handed back, with names of its own.
    AutomationObject received(ComPtr<IDispatch> object, const char* kind) {
        return AutomationObject(std::move(object), std::make_shared<DispatchNames>(), kind, name_);
    }

  private:
    struct Class {
        CLSID clsid{};
        std::shared_ptr<DispatchNames> names;  // null until the class was looked up
    };
    std::string name_;
    std::array<Class, 4> classes_{};
};

// Every object of the adapter keeps its automation object; the adapter's own operations find
// it again behind a reference of the cube model. (Calls change the host's object, not the
// adapter's: const operations of the cube model call it too.)
class Held {
  public:
    explicit Held(AutomationObject object) : object_(std::move(object)) {}
    virtual ~Held() = default;
    AutomationObject& object() const { return object_; }

  protected:
    template <typename... Arguments>
    void call(const wchar_t* name, Arguments&&... arguments) const {
        object_.call(name, std::forward<Arguments>(arguments)...);
    }
    std::string callText(const wchar_t* name) const {
        Variant result = object_.call(name);
        return resultText(result, object_, name);
    }
    std::int32_t callInt32(const wchar_t* name) const {
        Variant result = object_.call(name);
        return resultInt32(result, object_, name);
    }
    template <typename... Arguments>
    ComPtr<IDispatch> callObject(const wchar_t* name, Arguments&&... arguments) const {
        Variant result = object_.call(name, std::forward<Arguments>(arguments)...);
        return resultObject(result, object_, name);
    }

  private:
    mutable AutomationObject object_;
};

// The host's object behind a reference the adapter made (Nothing for none).
template <typename T>
Variant argument(const std::shared_ptr<T>& reference) {
    if (!reference) {
        return Variant::object(nullptr);
    }
    auto* held = dynamic_cast<Held*>(reference.get());
    if (held == nullptr) {
        raise(ErrorNumber::InvalidProcedureCall,
              "An object of another cube model cannot be passed to the host's cube",
              kDefaultSource);
    }
    return Variant::object(held->object().get());
}

class DispatchCube final : public cube::Cube, public Held {
  public:
    using Held::Held;
};

class DispatchAttributeDef final : public cube::AttributeDef, public Held {
  public:
    using Held::Held;
    void putName(std::string_view key) override { call(L"putName", Variant::text(key)); }
    std::string getName() const override { return callText(L"getName"); }
    void putCaption(std::string_view caption) override {
        call(L"putCaption", Variant::text(caption));
    }
    std::string getCaption() const override { return callText(L"getCaption"); }
};

class DispatchMember final : public cube::Member, public Held {
  public:
    using Held::Held;
    void putName(std::string_view name) override { call(L"putName", Variant::text(name)); }
    std::string getName() const override { return callText(L"getName"); }
    void putOrder(std::int32_t order) override { call(L"putOrder", Variant::int32(order)); }
    void putParent(const cube::MemberRef& parent) override { call(L"putParent", argument(parent)); }
    void setAttribute(std::string_view key, std::string_view value) override {
        call(L"setAttribute", Variant::text(key), Variant::text(value));
    }
};

class DispatchLevel final : public cube::Level, public Held {
  public:
    using Held::Held;
    void putName(std::string_view name) override { call(L"putName", Variant::text(name)); }
    std::string getName() const override { return callText(L"getName"); }
    void putLevelType(std::int32_t code) override { call(L"putLevelType", Variant::int32(code)); }
    std::int32_t getLevelType() const override { return callInt32(L"getLevelType"); }
    void addAttributeDef(const cube::AttributeDefRef& definition) override {
        call(L"addAttributeDef", argument(definition));
    }
    cube::MemberCollection findMembers(std::string_view name) const override {
        ComPtr<IDispatch> collection = callObject(L"findMembers", Variant::text(name));
        if (!collection) {
            throw Failure(ErrorNumber::ObjectNotSet,
                          object().what() + ".findMembers gave Nothing, not a collection",
                          object().source());
        }
        AutomationObject members(collection, std::make_shared<DispatchNames>(),
                                 object().what() + ".findMembers()", object().source());
        Variant count = members.call(L"Count");
        return cube::MemberCollection(resultInt32(count, members, L"Count"));
    }
    void addRootMember(const cube::MemberRef& member) override {
        call(L"addRootMember", argument(member));
    }
};

class DispatchHierarchy final : public cube::Hierarchy, public Held {
  public:
    DispatchHierarchy(AutomationObject object, std::shared_ptr<Library> library)
        : Held(std::move(object)), library_(std::move(library)) {}

    void putName(std::string_view name) override { call(L"putName", Variant::text(name)); }
    std::string getName() const override { return callText(L"getName"); }
    cube::LevelRef levelAt(std::int32_t index) const override {
        return level(callObject(L"levelAt", Variant::int32(index)));
    }
    cube::LevelRef levelNamed(std::string_view name) const override {
        return level(callObject(L"levelNamed", Variant::text(name)));
    }
    void addLevel(const cube::LevelRef& level) override { call(L"addLevel", argument(level)); }
    void removeLevel(const cube::LevelRef& level) override {
        call(L"removeLevel", argument(level));
    }
    void clear() override { call(L"clear"); }

  private:
    cube::LevelRef level(ComPtr<IDispatch> found) const {
        if (!found) {
            return nullptr;
        }
        return std::make_shared<DispatchLevel>(library_->received(std::move(found), "Level"));
    }

    std::shared_ptr<Library> library_;
};

class DispatchFactory final : public cube::ObjectFactory {
  public:
    explicit DispatchFactory(std::shared_ptr<Library> library) : library_(std::move(library)) {}

    cube::HierarchyRef newHierarchy() override {
        return std::make_shared<DispatchHierarchy>(library_->create(Kind::Hierarchy), library_);
    }
    cube::LevelRef newLevel() override {
        return std::make_shared<DispatchLevel>(library_->create(Kind::Level));
    }
    cube::AttributeDefRef newAttributeDef() override {
        return std::make_shared<DispatchAttributeDef>(library_->create(Kind::AttributeDef));
    }
    cube::MemberRef newMember() override {
        return std::make_shared<DispatchMember>(library_->create(Kind::Member));
    }

  private:
    std::shared_ptr<Library> library_;
};

class DispatchDimension final : public cube::Dimension, public Held {
  public:
    DispatchDimension(AutomationObject object, std::shared_ptr<Library> library)
        : Held(std::move(object)), library_(library), factory_(std::move(library)) {}

    std::int16_t hierarchyCount() const override {
        Variant result = object().call(L"hierarchyCount");
        return resultInt16(result, object(), L"hierarchyCount");
    }
    cube::HierarchyRef hierarchy(std::int16_t index) const override {
        ComPtr<IDispatch> found = callObject(L"hierarchy", Variant::int16(index));
        if (!found) {
            return nullptr;
        }
        return std::make_shared<DispatchHierarchy>(
            library_->received(std::move(found), "Hierarchy"), library_);
    }
    void addHierarchy(const cube::HierarchyRef& hierarchy) override {
        call(L"addHierarchy", argument(hierarchy));
    }
    cube::ObjectFactory& objects() override { return factory_; }

  private:
    std::shared_ptr<Library> library_;
    DispatchFactory factory_;
};

}  // namespace

cube::CubeRef dispatchCube(ComPtr<IDispatch> cube) {
    return std::make_shared<DispatchCube>(
        AutomationObject(std::move(cube), std::make_shared<DispatchNames>(), "Cube", "Cube"));
}

cube::DimensionRef dispatchDimension(ComPtr<IDispatch> dimension, std::string library) {
    auto shared = std::make_shared<Library>(std::move(library));
    return std::make_shared<DispatchDimension>(shared->received(std::move(dimension), "Dimension"),
                                               shared);
}

}  // namespace annalex::platform
