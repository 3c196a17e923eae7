#include "app/exit_hook.h"

#include <atomic>
#include <cstdlib>
#include <mutex>

namespace vornik::gui {
namespace {

std::atomic<std::function<void()>*> armed{nullptr};

// Taken, not read: a second exit() from inside the hook (a nested failure)
// finds nothing left to run.
void RunArmedHook() {
    if (std::function<void()>* run = armed.exchange(nullptr)) {
        (*run)();
    }
}

}  // namespace

ExitHook::ExitHook(std::function<void()> run) : run_(std::move(run)) {
    static std::once_flag registered;
    std::call_once(registered, [] {
        std::atexit(RunArmedHook);
        std::at_quick_exit(RunArmedHook);
    });
    armed.store(&run_);
}

ExitHook::~ExitHook() {
    std::function<void()>* mine = &run_;
    armed.compare_exchange_strong(mine, nullptr);
}

}  // namespace vornik::gui
