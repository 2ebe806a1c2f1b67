#pragma once

#include <QWidget>
#include <span>

namespace lumaru {

enum class ControlKind {
    Container,         // QFrame
    Button,            // QPushButton
    Label,             // QLabel
    TransparentLabel,  // QLabel without background, reacts to the left button
    Link,              // ClickableLabel drawn as a link
    EditBox,           // QLineEdit
    MultiLineEdit,     // QPlainTextEdit
    ComboList,         // QComboBox, drop-down list without typing
    ComboEdit,         // editable QComboBox
    CheckBox,          // QCheckBox
    Picture,           // QLabel holding a pixmap
    ReportList,        // QTreeWidget with a header and no root decoration
    Browser,           // Browser (a QWebEngineView)
};

// One row of a window's layout table. Positions inside a container are relative to it; the
// control's object name is its name in the table.
struct ControlSpec {
    const char* name;
    ControlKind kind;
    const char* parent;  // nullptr: the window itself
    int left;
    int top;
    int width;
    int height;
    const char* caption = "";
};

// Creates the controls of a layout table on a window, in table order (later rows lie above
// earlier ones).
void BuildLayout(QWidget* window, std::span<const ControlSpec> table);

// The control of the window with that layout name.
template <typename T>
T* Control(const QWidget* window, const char* name) {
    return window->findChild<T*>(QString::fromUtf8(name));
}

}  // namespace lumaru
