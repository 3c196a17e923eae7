// Which dialer back-end the program uses: the one asked for with --dialer, or
// NetworkManager when it answers, else pppd when peers files are readable, else
// the simulated dialer.
#pragma once

#include <QObject>
#include <QString>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "app/program_folder.h"
#include "base/clock.h"
#include "dialer/dialer.h"

namespace vornik::gui {

struct BackendCallbacks {
    // Messages for the user that are not dial errors (a missing editor, ...).
    std::function<void(const std::string&)> notice;
    std::function<void(const std::string&)> trace;
    // Opens a file in the desktop's editor (the simulated phone book); none
    // without a desktop.
    std::function<void(const std::filesystem::path&)> openInEditor;
};

struct ChosenDialer {
    std::unique_ptr<Dialer> dialer;
    QString note;       // names the back-end for the user
    std::string error;  // why the requested back-end cannot be used
    // What keeps a back-end company while it runs (the simulated dialer's file
    // watch); it goes with the dialer.
    std::unique_ptr<QObject> companion;
};

ChosenDialer ChooseDialer(const std::string& requested, const ProgramFolder& folder,
                          const Clock& clock, const BackendCallbacks& callbacks);

}  // namespace vornik::gui
