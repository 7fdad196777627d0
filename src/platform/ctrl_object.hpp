#pragma once
// AnnalexCtrl as a COM object: the control of the core, its page driven through IAnnalexCtrl
// and its events passed to the sinks hosts advise.
//
// Without a window the page's message boxes are kept for the host (each returns at once, as if
// its OK had been pressed), the mouse pointer is not changed, and the reports of unexpected
// failures are kept with the messages under the title "Unexpected failure".

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/message_service.hpp"
#include "common/pointer_service.hpp"
#include "control/annalex_ctrl.hpp"
#include "errors/failure_reporter.hpp"
#include "platform/annalex_com.hpp"
#include "platform/com_object.hpp"

namespace annalex::platform {

class CtrlObject final : public ComObject<IAnnalexCtrl, IID_IAnnalexCtrl>,
                         private MessageService,
                         private PointerService,
                         private errors::FailureReporter {
  public:
    CtrlObject();

    HRESULT STDMETHODCALLTYPE get_theCube(IAnnalexCube** aCube) override;
    HRESULT STDMETHODCALLTYPE putref_theCube(IAnnalexCube* aCube) override;
    HRESULT STDMETHODCALLTYPE get_theTimeDimension(IAnnalexDimension** aTimeDimension) override;
    HRESULT STDMETHODCALLTYPE putref_theTimeDimension(IAnnalexDimension* aTimeDimension) override;
    HRESULT STDMETHODCALLTYPE get_DateBox(AnnalexDateBox box, BSTR* text) override;
    HRESULT STDMETHODCALLTYPE put_DateBox(AnnalexDateBox box, BSTR text) override;
    HRESULT STDMETHODCALLTYPE get_FormatIndex(AnnalexFormatList list, short* index) override;
    HRESULT STDMETHODCALLTYPE put_FormatIndex(AnnalexFormatList list, short index) override;
    HRESULT STDMETHODCALLTYPE get_LevelTicked(short entry, VARIANT_BOOL* ticked) override;
    HRESULT STDMETHODCALLTYPE put_LevelTicked(short entry, VARIANT_BOOL ticked) override;
    HRESULT STDMETHODCALLTYPE ClickCalendarType(short index) override;
    HRESULT STDMETHODCALLTYPE ClickOk() override;
    HRESULT STDMETHODCALLTYPE ClickCancel() override;
    HRESULT STDMETHODCALLTYPE get_MessageCount(long* count) override;
    HRESULT STDMETHODCALLTYPE Message(long index, BSTR* title, BSTR* text) override;
    HRESULT STDMETHODCALLTYPE Advise(IAnnalexCtrlEvents* sink, DWORD* cookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;

  private:
    ~CtrlObject() override;

    void show(const MessageBoxRequest& request) override;
    void setPointer(MousePointer pointer) override;
    void report(const errors::FailureReport& report, errors::ContainerAction container) override;

    control::TextBox* dateBox(AnnalexDateBox box);
    control::DropDownList* formatList(AnnalexFormatList list);
    void raiseWizardResult(bool result);

    struct ShownMessage {
        std::string title;
        std::string text;
    };
    std::vector<ShownMessage> messages_;
    std::unique_ptr<control::AnnalexCtrl> ctrl_;
    IAnnalexCube* cube_ = nullptr;            // held reference, or null
    IAnnalexDimension* dimension_ = nullptr;  // held reference, or null
    std::map<DWORD, IAnnalexCtrlEvents*> sinks_;
    DWORD nextCookie_ = 1;
};

}  // namespace annalex::platform
