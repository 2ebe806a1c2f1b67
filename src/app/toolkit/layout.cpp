#include "app/toolkit/layout.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>

#include "app/toolkit/browser.h"
#include "app/toolkit/clickable_label.h"

namespace lumaru {
namespace {

QWidget* MakeControl(const ControlSpec& spec, QWidget* parent) {
    const QString caption = QString::fromUtf8(spec.caption);
    switch (spec.kind) {
        case ControlKind::Container: {
            auto* frame = new QFrame(parent);
            frame->setAutoFillBackground(true);
            return frame;
        }
        case ControlKind::Button:
            return new QPushButton(caption, parent);
        case ControlKind::Label:
            return new QLabel(caption, parent);
        case ControlKind::TransparentLabel: {
            auto* label = new ClickableLabel(parent);
            label->setText(caption);
            label->setAttribute(Qt::WA_TranslucentBackground);
            label->setProperty("transparent", true);
            return label;
        }
        case ControlKind::Link: {
            auto* link = new ClickableLabel(parent);
            link->setText(caption);
            link->setCursor(Qt::PointingHandCursor);
            link->setProperty("link", true);
            return link;
        }
        case ControlKind::EditBox:
            return new QLineEdit(caption, parent);
        case ControlKind::MultiLineEdit:
            return new QPlainTextEdit(caption, parent);
        case ControlKind::ComboList:
            return new QComboBox(parent);
        case ControlKind::ComboEdit: {
            auto* combo = new QComboBox(parent);
            combo->setEditable(true);
            return combo;
        }
        case ControlKind::CheckBox:
            return new QCheckBox(caption, parent);
        case ControlKind::Picture: {
            auto* picture = new QLabel(parent);
            picture->setScaledContents(true);
            return picture;
        }
        case ControlKind::ReportList: {
            auto* list = new QTreeWidget(parent);
            list->setRootIsDecorated(false);
            list->setUniformRowHeights(true);
            list->header()->setStretchLastSection(false);
            return list;
        }
        case ControlKind::Browser:
            return new Browser(parent);
    }
    return nullptr;
}

}  // namespace

void BuildLayout(QWidget* window, std::span<const ControlSpec> table) {
    for (const ControlSpec& spec : table) {
        QWidget* parent = window;
        if (spec.parent) {
            parent = Control<QWidget>(window, spec.parent);
            Q_ASSERT_X(parent, "BuildLayout", "a container comes before its controls");
        }
        QWidget* control = MakeControl(spec, parent);
        control->setObjectName(QString::fromUtf8(spec.name));
        control->setGeometry(spec.left, spec.top, spec.width, spec.height);
        control->show();
    }
}

}  // namespace lumaru
