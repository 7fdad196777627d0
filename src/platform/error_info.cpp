#include "platform/error_info.hpp"

#include <oleauto.h>
#include <wrl/client.h>

#include "platform/wide_text.hpp"

namespace annalex::platform {

HRESULT failureCode(std::int32_t number) {
    if (number < 0) {
        return static_cast<HRESULT>(number);
    }
    return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, number & 0xFFFF);
}

HRESULT failWith(HRESULT code, REFIID iid, std::string_view source, std::string_view description) {
    Microsoft::WRL::ComPtr<ICreateErrorInfo> created;
    if (FAILED(CreateErrorInfo(&created))) {
        return code;
    }
    created->SetGUID(iid);
    created->SetSource(toWide(source).data());
    created->SetDescription(toWide(description).data());
    Microsoft::WRL::ComPtr<IErrorInfo> error;
    if (SUCCEEDED(created.As(&error))) {
        SetErrorInfo(0, error.Get());
    }
    return code;
}

}  // namespace annalex::platform
