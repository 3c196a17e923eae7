#include "app/file_chooser.h"

#include <QFile>
#include <QFileDialog>

namespace vornik::gui {

QString DialogFileChooser::SaveFileName(QWidget* parent, const QString& title,
                                        const QString& proposed, const QString& filter) {
    QFileDialog::Options options = QFileDialog::DontUseNativeDialog;
    if (!confirmOverwrite_) {
        options |= QFileDialog::DontConfirmOverwrite;
    }
    return QFileDialog::getSaveFileName(parent, title, proposed, filter, nullptr, options);
}

QString DialogFileChooser::OpenFileName(QWidget* parent, const QString& title,
                                        const QString& folder, const QString& filter) {
    return QFileDialog::getOpenFileName(parent, title, folder, filter, nullptr,
                                        QFileDialog::DontUseNativeDialog);
}

QString QtFilter(const QString& filter) {
    return filter.section(QLatin1Char('|'), 0, 0);
}

std::filesystem::path PathOf(const QString& file) {
    return QFile::encodeName(file).toStdString();
}

}  // namespace vornik::gui
