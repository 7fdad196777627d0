#pragma once
// AnnalexCtrl as a COM object: the control of the core behind the dual interface IAnnalexCtrl,
// its events raised through the connection point of AnnalexCtrlEvents.
//
// theCube and theTimeDimension take any automation object and hand back the very object they
// were given. When the dimension is one of the product's in-memory cube (and the cube is too,
// or unset), the control fills it directly; otherwise it fills it through the cube model
// adapter (dispatch_cube.hpp), creating new objects from the classes of cubeLibrary ("Annalex"
// until set).
//
// It is also an ActiveX control: a container embeds it (ole_object, in_place_object,
// ole_control, view_object, persistence, quick_activation, object_safety; the state they share
// in embedding.hpp) and activates it in place, and the page then shows as Win32 windows
// (win32_page.hpp) bound to the same models the properties work.
//
// The page's message boxes are kept for the host to read, in order (each returns at once, as
// if its OK had been pressed, when the page has no window); while the page has a window they
// are also shown, as real message boxes over the container's window. The hourglass pointer
// shows over the page's window; without one the pointer is not changed. Reports of unexpected
// failures are kept with the messages under the title "Unexpected failure"; while the page is in
// a container they go to the application's error report form as well (win32_error_report.hpp),
// which closes the container's form, and so do later failures while that form is open. A control
// without a window (a script's object) shows no form: it has no form to close, and its host
// reads the failure from the messages.
//
// The page's own properties (date boxes, format lists, levels, calendar and its rules, filled
// attributes) are in ctrl_page_properties.cpp.

#include <memory>
#include <string>
#include <vector>

#include "calendar/calendar_options.hpp"
#include "control/annalex_ctrl.hpp"
#include "errors/failure_reporter.hpp"
#include "platform/annalex.h"
#include "platform/class_info.hpp"
#include "platform/com_object.hpp"
#include "platform/dual_dispatch.hpp"
#include "platform/embedding.hpp"
#include "platform/error_info.hpp"
#include "platform/event_source.hpp"
#include "platform/in_place_object.hpp"
#include "platform/object_safety.hpp"
#include "platform/ole_control.hpp"
#include "platform/ole_object.hpp"
#include "platform/persistence.hpp"
#include "platform/quick_activation.hpp"
#include "platform/view_object.hpp"

namespace annalex::platform {

// A new control with one reference (null when memory is exhausted).
IUnknown* createCtrlObject();

// What the control is registered with and tells containers: activate it when it shows, give
// it its client site first, it is active in place while visible, it cannot be linked into,
// and its picture changes with its size.
inline constexpr DWORD kCtrlMiscStatus = OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_SETCLIENTSITEFIRST |
                                         OLEMISC_INSIDEOUT | OLEMISC_CANTLINKINSIDE |
                                         OLEMISC_RECOMPOSEONRESIZE;

class CtrlObject : public DualDispatch<IAnnalexCtrl>,
                   public SupportsErrorInfo,
                   public ProvidesClassInfo,
                   public EventSource,
                   public OleObject,
                   public InPlaceObject,
                   public OleControl,
                   public ViewObject,
                   public Persistence,
                   public QuickActivation,
                   public ObjectSafety,
                   public ComObjectBase,
                   private MessageService,
                   private PointerService,
                   private errors::FailureReporter {
  public:
    CtrlObject();

    // The host's objects.
    HRESULT STDMETHODCALLTYPE get_theCube(IDispatch** aCube) override;
    HRESULT STDMETHODCALLTYPE putref_theCube(IDispatch* aCube) override;
    HRESULT STDMETHODCALLTYPE put_theCube(IDispatch* aCube) override;
    HRESULT STDMETHODCALLTYPE get_theTimeDimension(IDispatch** aTimeDimension) override;
    HRESULT STDMETHODCALLTYPE putref_theTimeDimension(IDispatch* aTimeDimension) override;
    HRESULT STDMETHODCALLTYPE put_theTimeDimension(IDispatch* aTimeDimension) override;
    HRESULT STDMETHODCALLTYPE get_cubeLibrary(BSTR* name) override;
    HRESULT STDMETHODCALLTYPE put_cubeLibrary(BSTR name) override;

    // The page.
    HRESULT STDMETHODCALLTYPE get_txtStartDay(BSTR* text) override;
    HRESULT STDMETHODCALLTYPE put_txtStartDay(BSTR text) override;
    HRESULT STDMETHODCALLTYPE get_txtStartMonth(BSTR* text) override;
    HRESULT STDMETHODCALLTYPE put_txtStartMonth(BSTR text) override;
    HRESULT STDMETHODCALLTYPE get_txtStartYear(BSTR* text) override;
    HRESULT STDMETHODCALLTYPE put_txtStartYear(BSTR text) override;
    HRESULT STDMETHODCALLTYPE get_txtEndDay(BSTR* text) override;
    HRESULT STDMETHODCALLTYPE put_txtEndDay(BSTR text) override;
    HRESULT STDMETHODCALLTYPE get_txtEndMonth(BSTR* text) override;
    HRESULT STDMETHODCALLTYPE put_txtEndMonth(BSTR text) override;
    HRESULT STDMETHODCALLTYPE get_txtEndYear(BSTR* text) override;
    HRESULT STDMETHODCALLTYPE put_txtEndYear(BSTR text) override;
    HRESULT STDMETHODCALLTYPE get_cmbDay(short* index) override;
    HRESULT STDMETHODCALLTYPE put_cmbDay(short index) override;
    HRESULT STDMETHODCALLTYPE get_cmbMonth(short* index) override;
    HRESULT STDMETHODCALLTYPE put_cmbMonth(short index) override;
    HRESULT STDMETHODCALLTYPE get_cmbYear(short* index) override;
    HRESULT STDMETHODCALLTYPE put_cmbYear(short index) override;
    HRESULT STDMETHODCALLTYPE get_lblDateFormat(BSTR* caption) override;
    HRESULT STDMETHODCALLTYPE get_levels(BSTR* names) override;
    HRESULT STDMETHODCALLTYPE put_levels(BSTR names) override;
    HRESULT STDMETHODCALLTYPE get_calendar(BSTR* key) override;
    HRESULT STDMETHODCALLTYPE put_calendar(BSTR key) override;
    HRESULT STDMETHODCALLTYPE get_weekStart(BSTR* day) override;
    HRESULT STDMETHODCALLTYPE put_weekStart(BSTR day) override;
    HRESULT STDMETHODCALLTYPE get_yearEndMonth(short* month) override;
    HRESULT STDMETHODCALLTYPE put_yearEndMonth(short month) override;
    HRESULT STDMETHODCALLTYPE get_yearEndRule(BSTR* rule) override;
    HRESULT STDMETHODCALLTYPE put_yearEndRule(BSTR rule) override;
    HRESULT STDMETHODCALLTYPE get_yearName(BSTR* rule) override;
    HRESULT STDMETHODCALLTYPE put_yearName(BSTR rule) override;
    HRESULT STDMETHODCALLTYPE get_pattern(BSTR* weeks) override;
    HRESULT STDMETHODCALLTYPE put_pattern(BSTR weeks) override;
    HRESULT STDMETHODCALLTYPE get_longQuarter(short* quarter) override;
    HRESULT STDMETHODCALLTYPE put_longQuarter(short quarter) override;
    HRESULT STDMETHODCALLTYPE get_fillAttributes(VARIANT_BOOL* fill) override;
    HRESULT STDMETHODCALLTYPE put_fillAttributes(VARIANT_BOOL fill) override;
    HRESULT STDMETHODCALLTYPE get_holidays(BSTR* setOrFile) override;
    HRESULT STDMETHODCALLTYPE put_holidays(BSTR setOrFile) override;
    HRESULT STDMETHODCALLTYPE get_weekend(BSTR* days) override;
    HRESULT STDMETHODCALLTYPE put_weekend(BSTR days) override;

    HRESULT STDMETHODCALLTYPE clickOk() override;
    HRESULT STDMETHODCALLTYPE clickCancel() override;

    HRESULT STDMETHODCALLTYPE get_messageCount(LONG* count) override;
    HRESULT STDMETHODCALLTYPE get_messageTitle(LONG index, BSTR* title) override;
    HRESULT STDMETHODCALLTYPE get_messageText(LONG index, BSTR* text) override;

  protected:
    IUnknown* findInterface(REFIID riid) override;
    Embedding& embedding() override { return embedding_; }
    void freezeEvents(bool freeze) override { EventSource::freeze(freeze); }

  private:
    void show(const MessageBoxRequest& request) override;
    void setPointer(MousePointer pointer) override;
    void report(const errors::FailureReport& report, errors::ContainerAction container) override;

    template <typename Body>
    HRESULT call(Body&& body) {
        return guarded(IID_IAnnalexCtrl, std::forward<Body>(body));
    }
    // Hands the control the cube model of the host's objects as they now stand.
    void bindCube();
    HRESULT boxText(control::TextBox& box, BSTR* text);
    HRESULT setBoxText(control::TextBox& box, BSTR text);
    HRESULT listIndex(const control::DropDownList& list, short* index);
    HRESULT selectEntry(control::DropDownList& list, short index);
    // Chooses the current calendar again, with the rules as they now stand.
    void applyRules();

    struct ShownMessage {
        std::string title;
        std::string text;
    };
    // The message at index; a CallError naming the property for one that does not exist.
    const ShownMessage& message(LONG index, const char* property) const;

    std::vector<ShownMessage> messages_;
    std::unique_ptr<control::AnnalexCtrl> ctrl_;
    ComPtr<IDispatch> cube_;       // the host's, or null
    ComPtr<IDispatch> dimension_;  // the host's, or null
    std::string library_;
    calendar::CalendarOptions rules_;
    std::string holidays_;
    std::string weekend_ = "sat,sun";
    // After ctrl_: it watches the page's models, and goes before them.
    Embedding embedding_;
};

}  // namespace annalex::platform
