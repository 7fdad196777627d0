#include "platform/automation_call.hpp"

#include <oleauto.h>

#include <cstdio>

#include "common/failure.hpp"
#include "platform/wide_text.hpp"

namespace annalex::platform {

namespace {

std::string operationName(const AutomationObject& from, const wchar_t* name) {
    return from.what() + "." + fromWide(name);
}

[[noreturn]] void raiseCallFailure(const AutomationObject& from, const wchar_t* name,
                                   std::int32_t number, std::string_view said,
                                   std::string_view source) {
    throw Failure(number, operationName(from, name) + " failed: " + std::string(said),
                  source.empty() ? from.source() : std::string(source), lastSystemError());
}

std::int32_t numberOf(HRESULT code) {
    return HRESULT_FACILITY(code) == FACILITY_CONTROL && (code & 0x80000000u) != 0
               ? static_cast<std::int32_t>(code & 0xFFFF)
               : static_cast<std::int32_t>(code);
}

// The result converted to type in place; a Failure when it cannot be.
void convert(Variant& result, VARTYPE type, const AutomationObject& from, const wchar_t* name,
             const char* wanted) {
    const HRESULT code = VariantChangeType(result.get(), result.get(), 0, type);
    if (code == DISP_E_OVERFLOW) {
        throw Failure(ErrorNumber::Overflow,
                      operationName(from, name) + " gave a number outside " + wanted,
                      from.source());
    }
    if (FAILED(code)) {
        throw Failure(ErrorNumber::TypeMismatch,
                      operationName(from, name) + " did not give " + wanted, from.source());
    }
}

}  // namespace

Variant Variant::text(std::string_view utf8) {
    Variant result;
    result.value_.vt = VT_BSTR;
    result.value_.bstrVal = toBstr(utf8);
    if (result.value_.bstrVal == nullptr) {
        throw std::bad_alloc();
    }
    return result;
}

Variant Variant::int16(std::int16_t value) {
    Variant result;
    result.value_.vt = VT_I2;
    result.value_.iVal = value;
    return result;
}

Variant Variant::int32(std::int32_t value) {
    Variant result;
    result.value_.vt = VT_I4;
    result.value_.lVal = value;
    return result;
}

Variant Variant::object(IDispatch* object) {
    Variant result;
    result.value_.vt = VT_DISPATCH;
    result.value_.pdispVal = object;
    if (object != nullptr) {
        object->AddRef();
    }
    return result;
}

DISPID DispatchNames::find(IDispatch* object, const wchar_t* name, std::string_view what) {
    for (const auto& [known, id] : found_) {
        if (known == name) {
            return id;
        }
    }
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    const HRESULT code = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(code)) {
        throw Failure(numberOf(code),
                      std::string(what) + " has no operation " + fromWide(name) + " (" +
                          describeCode(code) + ")",
                      std::string(kDefaultSource), lastSystemError());
    }
    found_.emplace_back(name, id);
    return id;
}

AutomationObject::AutomationObject(Microsoft::WRL::ComPtr<IDispatch> object,
                                   std::shared_ptr<DispatchNames> names, std::string what,
                                   std::string source)
    : object_(std::move(object)),
      names_(std::move(names)),
      what_(std::move(what)),
      source_(std::move(source)) {}

Variant AutomationObject::invoke(const wchar_t* name, std::span<VARIANT> reversedArguments) {
    const DISPID id = names_->find(object_.Get(), name, what_);
    DISPPARAMS parameters{reversedArguments.data(), nullptr,
                          static_cast<UINT>(reversedArguments.size()), 0};
    Variant result;
    EXCEPINFO exception{};
    UINT argumentError = 0;
    const HRESULT code =
        object_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                        &parameters, result.get(), &exception, &argumentError);
    if (SUCCEEDED(code)) {
        return result;
    }
    if (code != DISP_E_EXCEPTION) {
        raiseCallFailure(*this, name, numberOf(code), describeCode(code), {});
    }
    if (exception.pfnDeferredFillIn != nullptr) {
        exception.pfnDeferredFillIn(&exception);
    }
    const HRESULT raised = exception.scode != 0
                               ? exception.scode
                               : MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, exception.wCode);
    const std::string description = exception.bstrDescription != nullptr
                                        ? fromBstr(exception.bstrDescription)
                                        : describeCode(raised);
    const std::string source = fromBstr(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrHelpFile);
    raiseCallFailure(*this, name, numberOf(raised), description, source);
}

std::int16_t resultInt16(Variant& result, const AutomationObject& from, const wchar_t* name) {
    convert(result, VT_I2, from, name, "a 16-bit number");
    return result.value().iVal;
}

std::int32_t resultInt32(Variant& result, const AutomationObject& from, const wchar_t* name) {
    convert(result, VT_I4, from, name, "a 32-bit number");
    return result.value().lVal;
}

std::string resultText(Variant& result, const AutomationObject& from, const wchar_t* name) {
    convert(result, VT_BSTR, from, name, "a text");
    return fromBstr(result.value().bstrVal);
}

Microsoft::WRL::ComPtr<IDispatch> resultObject(Variant& result, const AutomationObject& from,
                                               const wchar_t* name) {
    const VARIANT& value = result.value();
    Microsoft::WRL::ComPtr<IDispatch> object;
    switch (value.vt) {
        case VT_EMPTY:
        case VT_NULL:
            return nullptr;
        case VT_DISPATCH:
            return value.pdispVal;
        case VT_DISPATCH | VT_BYREF:
            return *value.ppdispVal;
        case VT_UNKNOWN:
            if (value.punkVal == nullptr ||
                SUCCEEDED(value.punkVal->QueryInterface(IID_PPV_ARGS(&object)))) {
                return object;
            }
            break;
        default:
            break;
    }
    throw Failure(ErrorNumber::TypeMismatch,
                  operationName(from, name) + " did not give an automation object", from.source());
}

std::string describeCode(HRESULT code) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring said(text != nullptr ? text : L"", length);
    LocalFree(text);
    while (!said.empty() && (said.back() == L'\n' || said.back() == L'\r' || said.back() == L' ' ||
                             said.back() == L'.')) {
        said.pop_back();
    }
    char hex[16];
    snprintf(hex, sizeof hex, "0x%08lX", static_cast<unsigned long>(code));
    return said.empty() ? std::string("error ") + hex : fromWide(said) + " (" + hex + ")";
}

}  // namespace annalex::platform
