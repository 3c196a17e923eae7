// Small helpers that lay out the editors' labelled fields.
#pragma once

class QGridLayout;
class QLineEdit;
class QWidget;

namespace vornik::gui {

QLineEdit* NewBox(QWidget* parent, const char* objectName, const char* text);
// The label at (row, column), the field right of it; the label is translated in
// the editors' context, vornik::gui::TableEditor.
void AddLabelled(QGridLayout* layout, int row, int column, const char* label, QWidget* field);

}  // namespace vornik::gui
