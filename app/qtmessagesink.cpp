#include "app/qtmessagesink.h"

#include <QMessageBox>
#include <QPushButton>

namespace qm {

namespace {

QMessageBox::Icon iconOf(MsgIcon icon) {
    switch (icon) {
    case MsgIcon::Critical:
        return QMessageBox::Critical;
    case MsgIcon::Exclamation:
        return QMessageBox::Warning;
    case MsgIcon::Question:
        return QMessageBox::Question;
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

constexpr struct {
    MsgButton ours;
    QMessageBox::StandardButton qt;
    int text; // language text of the caption; 0: Qt's own
} kButtons[] = {{MsgOk, QMessageBox::Ok, 0},
                {MsgYes, QMessageBox::Yes, kTextYes},
                {MsgNo, QMessageBox::No, kTextNo},
                {MsgCancel, QMessageBox::Cancel, kTextCancel},
                {MsgRetry, QMessageBox::Retry, kTextRetry}};

} // namespace

MsgButton QtMessageSink::show(const Message& m) {
    QMessageBox box(iconOf(m.icon), kAppTitle, m.text, QMessageBox::NoButton, m_parent);
    for (const auto& b : kButtons) {
        if (m.buttons & b.ours) {
            QPushButton* added = box.addButton(b.qt);
            if (m_lang && b.text) added->setText(m_lang->text(b.text));
        }
        if (m.defaultButton == b.ours) box.setDefaultButton(b.qt);
    }
    // Esc and the close box answer with the button that means "no".
    if (m.buttons & MsgCancel)
        box.setEscapeButton(QMessageBox::Cancel);
    else if (m.buttons & MsgNo)
        box.setEscapeButton(QMessageBox::No);
    const int pressed = box.exec();
    for (const auto& b : kButtons)
        if (pressed == b.qt) return b.ours;
    return (m.buttons & MsgCancel) ? MsgCancel : (m.buttons & MsgNo) ? MsgNo : MsgOk;
}

} // namespace qm
