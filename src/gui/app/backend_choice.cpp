#include "app/backend_choice.h"

#include "dialer/simulated_dialer.h"

namespace vornik::gui {
namespace {

ChosenDialer Simulated(const ProgramFolder& folder, const Clock& clock) {
    return {std::make_unique<SimulatedDialer>(clock, folder.root / "simulated-phonebook.txt"),
            QStringLiteral("模拟拨号（演示）：不会建立真实连接"),
            {}};
}

}  // namespace

ChosenDialer ChooseDialer(const std::string& requested, const ProgramFolder& folder,
                          const Clock& clock, const BackendCallbacks&) {
    if (requested.empty() || requested == "sim") {
        return Simulated(folder, clock);
    }
    return {nullptr, {}, "unknown dialer back-end \"" + requested + "\" (use sim)"};
}

}  // namespace vornik::gui
