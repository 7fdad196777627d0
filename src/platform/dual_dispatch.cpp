#include "platform/dual_dispatch.hpp"

#include <oleauto.h>
#include <wrl/client.h>

#include "platform/type_library.hpp"

namespace annalex::platform {

namespace {

// The codes the dispatch machinery itself answers with (unknown member, wrong arguments):
// they say how the call was made, not how the method fared.
bool dispatchMachineryCode(HRESULT code) {
    return HRESULT_FACILITY(code) == FACILITY_DISPATCH;
}

}  // namespace

HRESULT typeInfoOfDual(REFIID iid, UINT index, ITypeInfo** info) {
    if (info == nullptr) {
        return E_POINTER;
    }
    *info = nullptr;
    return index != 0 ? DISP_E_BADINDEX : serverTypeInfo(iid, info);
}

HRESULT namesOfDual(REFIID iid, REFIID riid, LPOLESTR* names, UINT count, DISPID* ids) {
    if (!IsEqualIID(riid, IID_NULL)) {
        return DISP_E_UNKNOWNINTERFACE;
    }
    Microsoft::WRL::ComPtr<ITypeInfo> info;
    const HRESULT result = serverTypeInfo(iid, &info);
    return FAILED(result) ? result : info->GetIDsOfNames(names, count, ids);
}

HRESULT invokeDual(void* instance, REFIID iid, DISPID member, REFIID riid, WORD flags,
                   DISPPARAMS* parameters, VARIANT* result, EXCEPINFO* exception,
                   UINT* argumentError) {
    if (!IsEqualIID(riid, IID_NULL)) {
        return DISP_E_UNKNOWNINTERFACE;
    }
    Microsoft::WRL::ComPtr<ITypeInfo> info;
    HRESULT code = serverTypeInfo(iid, &info);
    if (FAILED(code)) {
        return code;
    }
    UINT ignoredArgument = 0;
    SetErrorInfo(0, nullptr);  // an error object left from an earlier call is not this call's
    code = info->Invoke(instance, member, flags, parameters, result, exception,
                        argumentError != nullptr ? argumentError : &ignoredArgument);
    if (SUCCEEDED(code) || code == DISP_E_EXCEPTION || exception == nullptr ||
        dispatchMachineryCode(code)) {
        return code;
    }
    Microsoft::WRL::ComPtr<IErrorInfo> error;
    if (GetErrorInfo(0, &error) != S_OK || !error) {
        return code;
    }
    *exception = EXCEPINFO{};
    error->GetSource(&exception->bstrSource);
    error->GetDescription(&exception->bstrDescription);
    error->GetHelpFile(&exception->bstrHelpFile);
    error->GetHelpContext(&exception->dwHelpContext);
    exception->scode = code;
    return DISP_E_EXCEPTION;
}

}  // namespace annalex::platform
