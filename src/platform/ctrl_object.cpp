#include "platform/ctrl_object.hpp"

#include <olectl.h>

#include "platform/cube_objects.hpp"
#include "report/report_text.hpp"

namespace annalex::platform {

namespace {

constexpr short kLevelEntries = 5;

// Runs a call into the control; a failure that escapes the control's own traps (a refused
// list index, memory exhaustion) becomes a failing HRESULT instead of crossing the interface.
template <typename Body>
HRESULT guarded(Body body) {
    try {
        body();
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

template <typename Interface>
void replaceReference(Interface*& held, Interface* given) {
    if (given != nullptr) {
        given->AddRef();
    }
    if (held != nullptr) {
        held->Release();
    }
    held = given;
}

template <typename Interface>
HRESULT handBack(Interface* held, Interface** out) {
    if (out == nullptr) {
        return E_POINTER;
    }
    if (held != nullptr) {
        held->AddRef();
    }
    *out = held;
    return S_OK;
}

}  // namespace

CtrlObject::CtrlObject()
    : ctrl_(std::make_unique<control::AnnalexCtrl>(static_cast<MessageService&>(*this),
                                                   static_cast<PointerService&>(*this),
                                                   static_cast<errors::FailureReporter&>(*this))) {
    ctrl_->addWizardResultListener([this](bool result) { raiseWizardResult(result); });
}

CtrlObject::~CtrlObject() {
    for (auto& [cookie, sink] : sinks_) {
        sink->Release();
    }
    replaceReference<IAnnalexCube>(cube_, nullptr);
    replaceReference<IAnnalexDimension>(dimension_, nullptr);
}

HRESULT CtrlObject::get_theCube(IAnnalexCube** aCube) {
    return handBack(cube_, aCube);
}

HRESULT CtrlObject::putref_theCube(IAnnalexCube* aCube) {
    CubeObject* object = CubeObject::fromInterface(aCube);
    if (aCube != nullptr && object == nullptr) {
        return E_INVALIDARG;
    }
    return guarded([&] {
        ctrl_->setTheCube(object == nullptr ? nullptr : object->model());
        replaceReference(cube_, aCube);
    });
}

HRESULT CtrlObject::get_theTimeDimension(IAnnalexDimension** aTimeDimension) {
    return handBack(dimension_, aTimeDimension);
}

HRESULT CtrlObject::putref_theTimeDimension(IAnnalexDimension* aTimeDimension) {
    DimensionObject* object = DimensionObject::fromInterface(aTimeDimension);
    if (aTimeDimension != nullptr && object == nullptr) {
        return E_INVALIDARG;
    }
    return guarded([&] {
        ctrl_->setTheTimeDimension(object == nullptr ? nullptr : object->model());
        replaceReference(dimension_, aTimeDimension);
    });
}

control::TextBox* CtrlObject::dateBox(AnnalexDateBox box) {
    auto& page = ctrl_->page();
    switch (box) {
        case AnnalexDateBox::txtStartDay:
            return &page.txtStartDay;
        case AnnalexDateBox::txtStartMonth:
            return &page.txtStartMonth;
        case AnnalexDateBox::txtStartYear:
            return &page.txtStartYear;
        case AnnalexDateBox::txtEndDay:
            return &page.txtEndDay;
        case AnnalexDateBox::txtEndMonth:
            return &page.txtEndMonth;
        case AnnalexDateBox::txtEndYear:
            return &page.txtEndYear;
    }
    return nullptr;
}

control::DropDownList* CtrlObject::formatList(AnnalexFormatList list) {
    auto& page = ctrl_->page();
    switch (list) {
        case AnnalexFormatList::cmbDay:
            return &page.cmbDay;
        case AnnalexFormatList::cmbMonth:
            return &page.cmbMonth;
        case AnnalexFormatList::cmbYear:
            return &page.cmbYear;
    }
    return nullptr;
}

HRESULT CtrlObject::get_DateBox(AnnalexDateBox box, BSTR* text) {
    const auto* found = dateBox(box);
    return found == nullptr ? E_INVALIDARG : putBstr(found->text(), text);
}

HRESULT CtrlObject::put_DateBox(AnnalexDateBox box, BSTR text) {
    auto* found = dateBox(box);
    if (found == nullptr) {
        return E_INVALIDARG;
    }
    return guarded([&] { found->setText(fromBstr(text)); });
}

HRESULT CtrlObject::get_FormatIndex(AnnalexFormatList list, short* index) {
    const auto* found = formatList(list);
    if (found == nullptr) {
        return E_INVALIDARG;
    }
    if (index == nullptr) {
        return E_POINTER;
    }
    *index = found->listIndex();
    return S_OK;
}

HRESULT CtrlObject::put_FormatIndex(AnnalexFormatList list, short index) {
    auto* found = formatList(list);
    if (found == nullptr || index < 0 ||
        static_cast<std::size_t>(index) >= found->entries().size()) {
        return E_INVALIDARG;
    }
    return guarded([&] { found->select(index); });
}

HRESULT CtrlObject::get_LevelTicked(short entry, VARIANT_BOOL* ticked) {
    if (entry < 0 || entry >= kLevelEntries) {
        return E_INVALIDARG;
    }
    if (ticked == nullptr) {
        return E_POINTER;
    }
    *ticked = ctrl_->page().availableList.selected(entry) ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT CtrlObject::put_LevelTicked(short entry, VARIANT_BOOL ticked) {
    if (entry < 0 || entry >= kLevelEntries) {
        return E_INVALIDARG;
    }
    return guarded(
        [&] { ctrl_->page().availableList.setSelected(entry, ticked != VARIANT_FALSE); });
}

HRESULT CtrlObject::ClickCalendarType(short index) {
    if (index < 0 || index > 1) {
        return E_INVALIDARG;
    }
    return guarded([&] { ctrl_->page().calendarType[static_cast<std::size_t>(index)].click(); });
}

HRESULT CtrlObject::ClickOk() {
    return guarded([&] { ctrl_->page().btOk.click(); });
}

HRESULT CtrlObject::ClickCancel() {
    return guarded([&] { ctrl_->page().btCancel.click(); });
}

HRESULT CtrlObject::get_MessageCount(long* count) {
    if (count == nullptr) {
        return E_POINTER;
    }
    *count = static_cast<long>(messages_.size());
    return S_OK;
}

HRESULT CtrlObject::Message(long index, BSTR* title, BSTR* text) {
    if (title == nullptr || text == nullptr) {
        return E_POINTER;
    }
    if (index < 0 || static_cast<std::size_t>(index) >= messages_.size()) {
        return E_INVALIDARG;
    }
    const auto& message = messages_[static_cast<std::size_t>(index)];
    const HRESULT result = putBstr(message.title, title);
    return FAILED(result) ? result : putBstr(message.text, text);
}

HRESULT CtrlObject::Advise(IAnnalexCtrlEvents* sink, DWORD* cookie) {
    if (sink == nullptr || cookie == nullptr) {
        return E_POINTER;
    }
    return guarded([&] {
        sinks_.emplace(nextCookie_, sink);
        sink->AddRef();
        *cookie = nextCookie_++;
    });
}

HRESULT CtrlObject::Unadvise(DWORD cookie) {
    const auto found = sinks_.find(cookie);
    if (found == sinks_.end()) {
        return CONNECT_E_NOCONNECTION;
    }
    found->second->Release();
    sinks_.erase(found);
    return S_OK;
}

void CtrlObject::show(const MessageBoxRequest& request) {
    messages_.push_back({request.title, request.text});
}

void CtrlObject::setPointer(MousePointer) {}

void CtrlObject::report(const errors::FailureReport& report, errors::ContainerAction) {
    messages_.push_back({"Unexpected failure", report::reportFieldLines(report)});
}

void CtrlObject::raiseWizardResult(bool result) {
    // A sink may unadvise itself or others while it is called: call a copy of the list, every
    // sink in it kept alive until all have been called.
    const auto sinks = sinks_;
    for (const auto& [cookie, sink] : sinks) {
        sink->AddRef();
    }
    for (const auto& [cookie, sink] : sinks) {
        sink->wizardResult(result ? VARIANT_TRUE : VARIANT_FALSE);
    }
    for (const auto& [cookie, sink] : sinks) {
        sink->Release();
    }
}

}  // namespace annalex::platform
