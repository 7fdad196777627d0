#pragma once
// The control IDs of the report form's windows (win32_report_form.hpp), named after the form's
// controls; hosts and tests find the controls by them.

namespace annalex::platform {

enum ReportControl : int {
    kLabel1 = 100,
    kLblWhatDoing,
    kEdtWhatDoing,
    kImage1,
    kChkAttachScreen,
    kChkEmailStore,
    kLblInfo,
    kLblMailStatus,
    kButEMail,
    kButClose,
    kLabel2,
    kImage2,
    kImage3,
};

}  // namespace annalex::platform
