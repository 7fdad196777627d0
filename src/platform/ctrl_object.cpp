#include "platform/ctrl_object.hpp"

#include "cube/memory_model.hpp"
#include "errors/report_text.hpp"
#include "platform/call_results.hpp"
#include "platform/dispatch_cube.hpp"
#include "platform/model_object.hpp"
#include "platform/wide_text.hpp"

namespace annalex::platform {

namespace {

// The DISPIDs of AnnalexCtrlEvents in annalex.idl.
constexpr DISPID kWizardResult = 1;
constexpr DISPID kStepDescription = 2;

HRESULT handBack(const ComPtr<IDispatch>& held, IDispatch** out) {
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = held.Get();
    if (held) {
        held->AddRef();
    }
    return S_OK;
}

}  // namespace

IUnknown* createCtrlObject() {
    auto object = createObject<CtrlObject>();
    return object ? static_cast<IAnnalexCtrl*>(object.Detach()) : nullptr;
}

CtrlObject::CtrlObject()
    : SupportsErrorInfo(IID_IAnnalexCtrl),
      ProvidesClassInfo(CLSID_AnnalexCtrl, &DIID_AnnalexCtrlEvents),
      EventSource(DIID_AnnalexCtrlEvents),
      ctrl_(std::make_unique<control::AnnalexCtrl>(static_cast<control::MessageService&>(*this),
                                                   static_cast<control::PointerService&>(*this),
                                                   static_cast<errors::FailureReporter&>(*this))),
      library_(kLibraryName) {
    ctrl_->addWizardResultListener([this](bool result) {
        VARIANT argument;
        argument.vt = VT_BOOL;
        argument.boolVal = result ? VARIANT_TRUE : VARIANT_FALSE;
        fire(kWizardResult, {&argument, 1});
    });
    ctrl_->addStepDescriptionListener([this](std::string_view description, std::int16_t step) {
        BSTR text = toBstr(description);
        VARIANT arguments[2];
        arguments[0].vt = VT_BSTR;
        arguments[0].bstrVal = text;
        arguments[1].vt = VT_I2;
        arguments[1].iVal = step;
        fire(kStepDescription, arguments);
        SysFreeString(text);
    });
}

IUnknown* CtrlObject::findInterface(REFIID riid) {
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
        IsEqualIID(riid, IID_IAnnalexCtrl)) {
        return static_cast<IAnnalexCtrl*>(this);
    }
    if (IsEqualIID(riid, IID_ISupportErrorInfo)) {
        return static_cast<ISupportErrorInfo*>(this);
    }
    if (IsEqualIID(riid, IID_IProvideClassInfo) || IsEqualIID(riid, IID_IProvideClassInfo2)) {
        return static_cast<IProvideClassInfo2*>(this);
    }
    if (IsEqualIID(riid, IID_IConnectionPointContainer)) {
        return static_cast<IConnectionPointContainer*>(this);
    }
    return nullptr;
}

// ---- the host's objects ----

void CtrlObject::bindCube() {
    const auto ownCube = modelOf<cube::MemoryCube>(cube_.Get());
    const auto ownDimension = modelOf<cube::MemoryDimension>(dimension_.Get());
    if (ownCube) {
        ctrl_->setTheCube(ownCube);
    } else {
        ctrl_->setTheCube(cube_ ? dispatchCube(cube_) : nullptr);
    }
    if (!dimension_) {
        ctrl_->setTheTimeDimension(nullptr);
    } else if (ownDimension && (!cube_ || ownCube)) {
        ctrl_->setTheTimeDimension(ownDimension);  // the fast path: the model itself
    } else {
        ctrl_->setTheTimeDimension(dispatchDimension(dimension_, library_));
    }
}

HRESULT CtrlObject::get_theCube(IDispatch** aCube) {
    return handBack(cube_, aCube);
}

HRESULT CtrlObject::putref_theCube(IDispatch* aCube) {
    return call([&] {
        cube_ = aCube;
        bindCube();
    });
}

HRESULT CtrlObject::put_theCube(IDispatch* aCube) {
    return putref_theCube(aCube);
}

HRESULT CtrlObject::get_theTimeDimension(IDispatch** aTimeDimension) {
    return handBack(dimension_, aTimeDimension);
}

HRESULT CtrlObject::putref_theTimeDimension(IDispatch* aTimeDimension) {
    return call([&] {
        dimension_ = aTimeDimension;
        bindCube();
    });
}

HRESULT CtrlObject::put_theTimeDimension(IDispatch* aTimeDimension) {
    return putref_theTimeDimension(aTimeDimension);
}

HRESULT CtrlObject::get_cubeLibrary(BSTR* name) {
    return putBstr(library_, name);
}

HRESULT CtrlObject::put_cubeLibrary(BSTR name) {
    return call([&] {
        std::string library = fromBstr(name);
        if (library.empty() || library.find_first_of(". \\") != std::string::npos) {
            throw CallError(E_INVALIDARG, "cubeLibrary: '" + library +
                                              "' is not a ProgID prefix (a name without dots "
                                              "or blanks, such as Annalex)");
        }
        library_ = std::move(library);
        bindCube();
    });
}

// ---- OK, Cancel, messages ----

HRESULT CtrlObject::clickOk() {
    return call([&] { ctrl_->page().btOk.click(); });
}

HRESULT CtrlObject::clickCancel() {
    return call([&] { ctrl_->page().btCancel.click(); });
}

HRESULT CtrlObject::get_messageCount(LONG* count) {
    if (count == nullptr) {
        return E_POINTER;
    }
    *count = static_cast<LONG>(messages_.size());
    return S_OK;
}

HRESULT CtrlObject::get_messageTitle(LONG index, BSTR* title) {
    return call([&] { handOutText(message(index, "messageTitle").title, title); });
}

HRESULT CtrlObject::get_messageText(LONG index, BSTR* text) {
    return call([&] { handOutText(message(index, "messageText").text, text); });
}

const CtrlObject::ShownMessage& CtrlObject::message(LONG index, const char* property) const {
    if (index < 0 || static_cast<std::size_t>(index) >= messages_.size()) {
        throw CallError(E_INVALIDARG, std::string(property) + ": there is no message " +
                                          std::to_string(index) + " (messageCount is " +
                                          std::to_string(messages_.size()) + ")");
    }
    return messages_[static_cast<std::size_t>(index)];
}

void CtrlObject::show(const control::MessageBoxRequest& request) {
    messages_.push_back({request.title, request.text});
}

void CtrlObject::setPointer(control::MousePointer) {}

void CtrlObject::report(const errors::FailureReport& report, errors::ContainerAction) {
    messages_.push_back({"Unexpected failure", errors::reportFieldLines(report)});
}

}  // namespace annalex::platform
