#include "platform/ctrl_object.hpp"

#include "cube/memory_model.hpp"
#include "platform/call_results.hpp"
#include "platform/dispatch_cube.hpp"
#include "platform/model_object.hpp"
#include "platform/wide_text.hpp"
#include "platform/win32_error_report.hpp"
#include "platform/win32_message_box.hpp"
#include "report/report_text.hpp"

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
      OleObject(CLSID_AnnalexCtrl, kCtrlMiscStatus),
      Persistence(CLSID_AnnalexCtrl),
      QuickActivation(DIID_AnnalexCtrlEvents, kCtrlMiscStatus),
      ObjectSafety(IID_IAnnalexCtrl),
      ctrl_(std::make_unique<control::AnnalexCtrl>(static_cast<MessageService&>(*this),
                                                   static_cast<PointerService&>(*this),
                                                   static_cast<errors::FailureReporter&>(*this))),
      library_(kLibraryName),
      embedding_(static_cast<IAnnalexCtrl&>(*this), ctrl_->page()) {
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
    // The control in a container.
    if (IsEqualIID(riid, IID_IOleObject)) {
        return static_cast<IOleObject*>(this);
    }
    if (IsEqualIID(riid, IID_IOleWindow) || IsEqualIID(riid, IID_IOleInPlaceObject)) {
        return static_cast<IOleInPlaceObject*>(this);
    }
    if (IsEqualIID(riid, IID_IOleInPlaceActiveObject)) {
        return static_cast<IOleInPlaceActiveObject*>(this);
    }
    if (IsEqualIID(riid, IID_IOleControl)) {
        return static_cast<IOleControl*>(this);
    }
    if (IsEqualIID(riid, IID_IViewObject) || IsEqualIID(riid, IID_IViewObject2)) {
        return static_cast<IViewObject2*>(this);
    }
    if (IsEqualIID(riid, IID_IPersist) || IsEqualIID(riid, IID_IPersistStreamInit)) {
        return static_cast<IPersistStreamInit*>(this);
    }
    if (IsEqualIID(riid, IID_IPersistPropertyBag)) {
        return static_cast<IPersistPropertyBag*>(this);
    }
    if (IsEqualIID(riid, IID_IQuickActivate)) {
        return static_cast<IQuickActivate*>(this);
    }
    if (IsEqualIID(riid, IID_IObjectSafety)) {
        return static_cast<IObjectSafety*>(this);
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

void CtrlObject::show(const MessageBoxRequest& request) {
    messages_.push_back({request.title, request.text});
    if (const HWND owner = embedding_.containerWindow(); owner != nullptr) {
        showMessageBox(owner, request);
    }
}

void CtrlObject::setPointer(MousePointer pointer) {
    embedding_.setBusy(pointer == MousePointer::Hourglass);
}

// Kept for the host to read; in a container, and while the report form is open, shown on the
// report form too.
void CtrlObject::report(const errors::FailureReport& report, errors::ContainerAction container) {
    messages_.push_back({"Unexpected failure", report::reportFieldLines(report)});
    const HWND form = embedding_.containerWindow();
    if (form == nullptr && !reportFormOpen()) {
        return;  // no window: nobody to show a form to, and no form to close
    }
    reportUnexpectedFailure(report, container == errors::ContainerAction::Close ? form : nullptr,
                            embedding_.modelessAllowed());
}

}  // namespace annalex::platform
