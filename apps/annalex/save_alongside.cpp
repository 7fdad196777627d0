#include "save_alongside.hpp"

#include <iostream>

#include "common/failure.hpp"

namespace annalex::cli {

SaveAlongside::SaveAlongside(cube::CubeStore* store, const cube::MemoryCube& cube,
                             const std::string& dimension) {
    if (store == nullptr) {
        return;
    }
#ifndef _WIN32
    // Held back before the save's thread starts, which takes this thread's mask: the signal
    // is only ever the printing's.
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    holding_ = pthread_sigmask(SIG_BLOCK, &pipe, &before_) == 0;
#endif
    try {
        saving_ = std::async(std::launch::async,
                             [store, &cube, dimension] { store->save(cube, {dimension}); });
    } catch (...) {
        letSignalsThrough();
        throw;
    }
}

SaveAlongside::~SaveAlongside() {
    if (saving_.valid()) {
        try {
            saving_.get();
        } catch (const Failure& failure) {
            std::cerr << "annalex: " << failure.description() << '\n';
        } catch (const std::exception& failure) {
            std::cerr << "annalex: the store was not saved: " << failure.what() << '\n';
        }
    }
    letSignalsThrough();
}

void SaveAlongside::finish() {
    if (saving_.valid()) {
        saving_.get();
    }
    letSignalsThrough();
}

void SaveAlongside::letSignalsThrough() {
#ifndef _WIN32
    if (holding_) {
        holding_ = false;
        // A SIGPIPE held back meanwhile is delivered here.
        pthread_sigmask(SIG_SETMASK, &before_, nullptr);
    }
#endif
}

}  // namespace annalex::cli
