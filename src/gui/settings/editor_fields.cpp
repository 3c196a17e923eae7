#include "settings/editor_fields.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace vornik::gui {

QLineEdit* NewBox(QWidget* parent, const char* objectName, const char* text) {
    auto* box = new QLineEdit(QString::fromUtf8(text), parent);
    box->setObjectName(QString::fromUtf8(objectName));
    return box;
}

void AddLabelled(QGridLayout* layout, int row, int column, const char* label, QWidget* field) {
    auto* caption = new QLabel(QCoreApplication::translate("vornik::gui::TableEditor", label),
                               field->parentWidget());
    caption->setBuddy(field);
    layout->addWidget(caption, row, column);
    layout->addWidget(field, row, column + 1);
}

}  // namespace vornik::gui
