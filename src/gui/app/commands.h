// Every command of the menus, the command labels and the floating window. One
// command may have several doors; all of them run the same procedure.
#pragma once

namespace vornik::gui {

enum class Command {
    kDial,
    kHangUp,
    kNewEntry,
    kEditEntry,
    kRuleSettings,
    kExportRules,
    kImportRules,
    kSearch,
    kExit,
    kFloatWindow,
    kHideMainWindow,      // the options menu: hide
    kMinimizeMainWindow,  // the tray menu: minimise, which hides
    kRestoreMainWindow,
    kShowHistory,
    kSound,
    kReportByCall,
    kReportByDay,
    kReportByMonth,
    kBackupLog,
    kRestoreLog,
    kExportLog,
    kImportLog,
    kRemoveLog,
    kCompactLog,
    kLogOrder,
    kAbout,
    kHelp,
    kHomePage,
};

// Commands whose procedures come with later work: shown, but disabled.
constexpr bool IsPending(Command command) {
    switch (command) {
        case Command::kSearch:
        case Command::kAbout:
        case Command::kHelp:
        case Command::kHomePage:
            return true;
        default:
            return false;
    }
}

}  // namespace vornik::gui
