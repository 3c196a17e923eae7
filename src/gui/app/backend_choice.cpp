#include "app/backend_choice.h"

#include <QCoreApplication>
#include <QFileSystemWatcher>

#include "dialer/simulated_dialer.h"
#include "networkmanager/networkmanager_dialer.h"
#include "pppd/pppd_dialer.h"

namespace vornik::gui {
namespace {

ChosenDialer Simulated(const ProgramFolder& folder, const Clock& clock,
                       const BackendCallbacks& callbacks) {
    ChosenDialer chosen;
    auto dialer = std::make_unique<SimulatedDialer>(clock, folder.SimulatedPhoneBookFile());
    // Mistakes in a hand-edited phone book are worth knowing about.
    if (!dialer->PhoneBookProblems().empty() && callbacks.trace) {
        callbacks.trace(dialer->PhoneBookProblems());
    }
    // 属性 opens the phone book in the desktop's editor; whatever is saved there
    // reaches the entry list. Editors that save by replacing the file end the
    // watch on it, so the watch is renewed after every change.
    dialer->SetEditor(callbacks.openInEditor);
    const QString file = QString::fromStdString(dialer->PhoneBook());
    auto watcher = std::make_unique<QFileSystemWatcher>(QStringList{file});
    SimulatedDialer* raw = dialer.get();
    QObject::connect(watcher.get(), &QFileSystemWatcher::fileChanged, watcher.get(),
                     [raw, watch = watcher.get(), file] {
                         raw->ReloadPhoneBook();
                         if (!watch->files().contains(file)) {
                             watch->addPath(file);
                         }
                     });
    chosen.companion = std::move(watcher);
    chosen.dialer = std::move(dialer);
    chosen.note = QCoreApplication::translate("vornik::gui::BackendChoice",
                                              "模拟拨号（演示）：不会建立真实连接");
    return chosen;
}

ChosenDialer NetworkManager(const BackendCallbacks& callbacks) {
    ChosenDialer chosen;
    if (!NetworkManagerDialer::IsAvailable()) {
        chosen.error = "NetworkManager is not on the system bus";
        return chosen;
    }
    auto dialer = std::make_unique<NetworkManagerDialer>(
        NetworkManagerDialer::Options{.notice = callbacks.notice, .trace = callbacks.trace});
    chosen.dialer = std::move(dialer);
    chosen.note = QCoreApplication::translate("vornik::gui::BackendChoice", "NetworkManager 拨号");
    return chosen;
}

ChosenDialer Pppd(const BackendCallbacks& callbacks) {
    PppdOptions options;
    options.notice = callbacks.notice;
    options.trace = callbacks.trace;
    ChosenDialer chosen;
    chosen.dialer = std::make_unique<PppdDialer>(std::move(options));
    chosen.note =
        QCoreApplication::translate("vornik::gui::BackendChoice", "pppd 拨号（/etc/ppp/peers）");
    return chosen;
}

}  // namespace

ChosenDialer ChooseDialer(const std::string& requested, const ProgramFolder& folder,
                          const Clock& clock, const BackendCallbacks& callbacks) {
    if (requested == "sim") {
        return Simulated(folder, clock, callbacks);
    }
    if (requested == "networkmanager") {
        return NetworkManager(callbacks);
    }
    if (requested == "pppd") {
        return Pppd(callbacks);
    }
    if (!requested.empty()) {
        ChosenDialer unknown;
        unknown.error =
            "unknown dialer back-end \"" + requested + "\" (use networkmanager, pppd or sim)";
        return unknown;
    }
    if (NetworkManagerDialer::IsAvailable()) {
        return NetworkManager(callbacks);
    }
    if (PppdDialer::PeersReadable()) {
        return Pppd(callbacks);
    }
    return Simulated(folder, clock, callbacks);
}

}  // namespace vornik::gui
