#pragma once
// Late-bound calls on a host's automation object by operation name, as a script engine makes
// them: the name's DISPID is asked for once per class of object and kept (DispatchNames), the
// call goes through IDispatch::Invoke as a method or property get, and a failing call becomes
// an annalex::Failure that the calling procedure's trap reports:
//
//  * the number is the object's own error number when it raised one in the FACILITY_CONTROL
//    range (a script class's Err.Raise 5 arrives as 5), otherwise the failing HRESULT;
//  * the description names the object and the operation, then what the object said (or the
//    system's text for the code); the source is the object's, else the cube library's name.

#include <oaidl.h>
#include <wrl/client.h>

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace annalex::platform {

// An owned VARIANT (cleared when it goes).
class Variant {
  public:
    Variant() { VariantInit(&value_); }
    ~Variant() { VariantClear(&value_); }
    Variant(Variant&& other) noexcept : value_(other.value_) { VariantInit(&other.value_); }
    Variant& operator=(Variant&&) = delete;
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;

    static Variant text(std::string_view utf8);
    static Variant int16(std::int16_t value);
    static Variant int32(std::int32_t value);
    // The object with a reference of its own (Nothing for null).
    static Variant object(IDispatch* object);

    VARIANT* get() { return &value_; }
    const VARIANT& value() const { return value_; }

  private:
    VARIANT value_;
};

// The DISPIDs of the operation names asked for on one class of object. Names are the
// adapter's string literals, so they are told apart by address.
class DispatchNames {
  public:
    // The DISPID of name on object; a Failure naming what and name when the object has none.
    DISPID find(IDispatch* object, const wchar_t* name, std::string_view what);

  private:
    std::vector<std::pair<const wchar_t*, DISPID>> found_;
};

// A host's object and the names of its class.
class AutomationObject {
  public:
    // what: the object as failures name it ("Level", "Annalex.Member", ...); source: the
    // failures' source when the object names none.
    AutomationObject(Microsoft::WRL::ComPtr<IDispatch> object, std::shared_ptr<DispatchNames> names,
                     std::string what, std::string source);

    IDispatch* get() const { return object_.Get(); }
    const std::string& what() const { return what_; }
    const std::string& source() const { return source_; }

    // Calls the operation name with the arguments (first first) and hands back its result
    // (empty for none); a Failure when the call fails.
    template <typename... Arguments>
    Variant call(const wchar_t* name, Arguments&&... arguments) {
        std::array<VARIANT, sizeof...(Arguments)> reversed{};
        std::size_t at = sizeof...(Arguments);
        ((reversed[--at] = arguments.value()), ...);
        (void)at;
        return invoke(name, reversed);
    }

  private:
    Variant invoke(const wchar_t* name, std::span<VARIANT> reversedArguments);

    Microsoft::WRL::ComPtr<IDispatch> object_;
    std::shared_ptr<DispatchNames> names_;
    std::string what_;
    std::string source_;
};

// The result of a call as the type the cube model wants; a Failure (type mismatch, overflow)
// naming what and the operation when it cannot be one.
std::int16_t resultInt16(Variant& result, const AutomationObject& from, const wchar_t* name);
std::int32_t resultInt32(Variant& result, const AutomationObject& from, const wchar_t* name);
std::string resultText(Variant& result, const AutomationObject& from, const wchar_t* name);
// An object, or null for Nothing, Empty or Null.
Microsoft::WRL::ComPtr<IDispatch> resultObject(Variant& result, const AutomationObject& from,
                                               const wchar_t* name);

// The system's text for an HRESULT, or its hexadecimal form when the system has none.
std::string describeCode(HRESULT code);

}  // namespace annalex::platform
