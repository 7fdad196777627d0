#pragma once
// What every COM object of the in-memory cube library shares: its dual interface answered from
// the type library, error objects for failing calls, class information for the creatable
// classes, and the model object behind it (see model_object.hpp).

#include <memory>
#include <string>
#include <utility>

#include "platform/annalex.h"
#include "platform/call_results.hpp"
#include "platform/class_info.hpp"
#include "platform/com_object.hpp"
#include "platform/dual_dispatch.hpp"
#include "platform/error_info.hpp"
#include "platform/model_object.hpp"

namespace annalex::platform {

template <typename Dual, typename Model>
class ModelObjectBase : public DualDispatch<Dual>,
                        public SupportsErrorInfo,
                        public ProvidesClassInfo,
                        public IModelObject,
                        public ComObjectBase {
  public:
    const ModelRef& STDMETHODCALLTYPE model() override { return model_; }

  protected:
    // clsid: the coclass for a creatable class, null for one a host only receives.
    ModelObjectBase(std::shared_ptr<Model> model, const CLSID* clsid)
        : SupportsErrorInfo(__uuidof(Dual)),
          ProvidesClassInfo(clsid != nullptr ? *clsid : GUID_NULL, nullptr),
          model_(std::move(model)),
          coclass_(clsid != nullptr) {}

    IUnknown* findInterface(REFIID riid) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
            IsEqualIID(riid, __uuidof(Dual))) {
            return static_cast<Dual*>(this);
        }
        if (IsEqualIID(riid, IID_ISupportErrorInfo)) {
            return static_cast<ISupportErrorInfo*>(this);
        }
        if (coclass_ &&
            (IsEqualIID(riid, IID_IProvideClassInfo) || IsEqualIID(riid, IID_IProvideClassInfo2))) {
            return static_cast<IProvideClassInfo2*>(this);
        }
        if (IsEqualIID(riid, IID_IModelObject)) {
            return static_cast<IModelObject*>(this);
        }
        return nullptr;
    }

    Model& object() { return *std::get<std::shared_ptr<Model>>(model_); }

    // Runs a call of the interface (see guarded()).
    template <typename Body>
    HRESULT call(Body&& body) {
        return guarded(__uuidof(Dual), std::forward<Body>(body));
    }

  private:
    ModelRef model_;
    bool coclass_;
};

// The model object of kind Model behind a host's argument: null for Nothing, an error for an
// object of another kind or library.
template <typename Model>
std::shared_ptr<Model> ownArgument(IDispatch* argument, const char* operation, const char* kind) {
    auto model = modelOf<Model>(argument);
    if (argument != nullptr && model == nullptr) {
        throw CallError(E_INVALIDARG, std::string(operation) + ": the " + kind +
                                          " is not an object of the Annalex in-memory cube");
    }
    return model;
}

// Hands a new object of Object over model to the caller; Nothing for a null model.
template <typename Object, typename Model>
void handOut(std::shared_ptr<Model> model, IDispatch** result) {
    IDispatch*& target = out(result);
    target = nullptr;
    if (model != nullptr) {
        auto object = createObject<Object>(std::move(model));
        if (!object) {
            throw std::bad_alloc();
        }
        target = object.Detach();
    }
}

}  // namespace annalex::platform
