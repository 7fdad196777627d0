#include "platform/win32_background_work.hpp"

#include <thread>

namespace annalex::platform {
namespace {

constexpr UINT kWorkDone = WM_APP + 1;
constexpr wchar_t kClassName[] = L"AnnalexBackgroundWork";

struct Job {
    std::function<std::string()> work;
    std::function<void(const std::string&)> done;
    std::weak_ptr<const void> context;
    std::string result;
};

HINSTANCE thisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(&thisModule), &module);
    return module;
}

}  // namespace

Win32BackgroundWork::Win32BackgroundWork() {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &procedure;
    windowClass.hInstance = thisModule();
    windowClass.lpszClassName = kClassName;
    RegisterClassExW(&windowClass);  // fails harmlessly when already registered
    window_ = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              windowClass.hInstance, nullptr);
}

Win32BackgroundWork::~Win32BackgroundWork() {
    if (window_ != nullptr) {
        DestroyWindow(window_);
    }
}

void Win32BackgroundWork::run(std::function<std::string()> work,
                              std::function<void(const std::string&)> done) {
    auto job = std::make_unique<Job>(Job{std::move(work), std::move(done), context_, {}});
    std::thread([job = job.release(), window = window_] {
        job->result = job->work();
        if (window == nullptr ||
            !PostMessageW(window, kWorkDone, 0, reinterpret_cast<LPARAM>(job))) {
            delete job;  // nobody is left to hear of it
        }
    }).detach();
}

LRESULT CALLBACK Win32BackgroundWork::procedure(HWND window, UINT message, WPARAM wParam,
                                                LPARAM lParam) {
    if (message == kWorkDone) {
        const std::unique_ptr<Job> job(reinterpret_cast<Job*>(lParam));
        if (!job->context.expired()) {
            job->done(job->result);
        }
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace annalex::platform
