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
    kCompareTariffs,
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
    kCheckBill,
};

}  // namespace vornik::gui
