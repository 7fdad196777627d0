#include "report/handler_failures.hpp"

#include <exception>

#include "common/failure.hpp"
#include "report/error_report_form.hpp"

namespace annalex::report {

MessageBoxRequest runTimeErrorMessage(std::int32_t number, const std::string& description) {
    return {frmErrorHand::kDefaultTitle,
            "Run-time error '" + std::to_string(number) + "':\n\n" + description, MessageIcon::None,
            MessageModality::Application, true};
}

std::optional<MessageBoxRequest> runTimeErrorOf(const std::function<void()>& work) {
    try {
        work();
    } catch (const Failure& failure) {
        return runTimeErrorMessage(failure.number(), failure.description());
    } catch (const std::exception& other) {
        return runTimeErrorMessage(static_cast<std::int32_t>(ErrorNumber::InvalidProcedureCall),
                                   other.what());
    }
    return std::nullopt;
}

void runFormHandler(frmErrorHand& form, MessageService& messages,
                    const std::function<void()>& handler) {
    if (const auto failed = runTimeErrorOf(handler)) {
        messages.show(*failed);
        // Nothing else handles it: the report ends here, once the person has read why.
        if (!form.unloaded()) {
            form.unloadForm();
        }
    }
}

}  // namespace annalex::report
