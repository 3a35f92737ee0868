#include "calibration/referencedialog.h"

#include "core/langtable.h"
#include "core/messages.h"
#include "core/numformat.h"

#include <QEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <limits>

namespace qm {

FieldNumber ReadFloatField(const QString& text, float& out) {
    const std::optional<double> v = ReadTypedNumber(text);
    if (!v) return FieldNumber::NotANumber;
    if (!std::isfinite(*v) || std::fabs(*v) > std::numeric_limits<float>::max())
        return FieldNumber::OutOfRange;
    out = static_cast<float>(*v);
    return FieldNumber::Ok;
}

std::optional<QString> ChangedBySingle(const QString& text) {
    const std::optional<double> v = ReadTypedNumber(text);
    if (!v || !std::isfinite(*v)) return std::nullopt;
    // The digits typed before any exponent, leading zeros not counted.
    QString mantissa = text.trimmed().section(QRegularExpression(QStringLiteral("[eE]")), 0, 0);
    mantissa.remove(QRegularExpression(QStringLiteral("[^0-9]")));
    mantissa.remove(QRegularExpression(QStringLiteral("^0+")));
    const int digits = std::clamp(static_cast<int>(mantissa.size()), 1, 17);
    const QString typed = QString::number(*v, 'g', digits);
    const QString held = QString::number(static_cast<double>(static_cast<float>(*v)), 'g', digits);
    return typed == held ? std::nullopt : std::optional<QString>(held);
}

ReferenceDialog::ReferenceDialog(MessageSink& messages, const LangTable& lang, QWidget* parent)
    : QDialog(parent), m_messages(messages), m_lang(lang) {
    setObjectName(QStringLiteral("frmQORCalibInputBox"));
    setWindowTitle(QStringLiteral("Edit"));
    setModal(true);

    auto* grid = new QGridLayout;
    const char* labels[2] = {"Signal", "Etalon"};
    for (int i = 0; i < 2; ++i) {
        m_labels[i] = new QLabel(QString::fromLatin1(labels[i]), this);
        m_labels[i]->setObjectName(QStringLiteral("lblSigEth%1").arg(i));
        m_fields[i] = new QLineEdit(this);
        m_fields[i]->setObjectName(QStringLiteral("txtCalBod%1").arg(i));
        m_fields[i]->setAlignment(Qt::AlignRight);
        m_fields[i]->installEventFilter(this);
        grid->addWidget(m_labels[i], i, 0);
        grid->addWidget(m_fields[i], i, 1);
    }

    m_buttons[0] = new QPushButton(QStringLiteral("&OK"), this);
    m_buttons[1] = new QPushButton(QStringLiteral("&Storno"), this);
    m_buttons[0]->setObjectName(QStringLiteral("cmdOK0"));
    m_buttons[1]->setObjectName(QStringLiteral("cmdOK1"));
    m_buttons[0]->setDefault(true);
    connect(m_buttons[0], &QPushButton::clicked, this, &ReferenceDialog::accept);
    connect(m_buttons[1], &QPushButton::clicked, this, &ReferenceDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_buttons[0]);
    buttons->addWidget(m_buttons[1]);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    adjustSize();
    if (const QScreen* s = QGuiApplication::primaryScreen()) {
        const QRect r = s->availableGeometry();
        move(r.x() + (r.width() - width()) / 2, r.y() + (r.height() - height()) / 2);
    }
    signalFocus = true;
}

QLineEdit* ReferenceDialog::pointField(int i) const {
    return m_fields[i == 0 ? 0 : 1];
}
QPushButton* ReferenceDialog::cmdOK(int i) const {
    return m_buttons[i == 0 ? 0 : 1];
}
QLabel* ReferenceDialog::lblSigEth(int i) const {
    return m_labels[i == 0 ? 0 : 1];
}

void ReferenceDialog::showValues() {
    m_fields[0]->setText(FormatRight(signal, kSignalMask));
    m_fields[1]->setText(FormatRight(reference, referenceMask));
    m_shown[0] = m_fields[0]->text();
    m_shown[1] = m_fields[1]->text();
    QLineEdit* f = signalFocus ? m_fields[0] : m_fields[1];
    f->setFocus(Qt::OtherFocusReason);
    f->selectAll();
}

void ReferenceDialog::showModal() {
    exec();
}

void ReferenceDialog::accept() {
    // A field left as shown keeps its number bit for bit: the shown text is
    // rounded to the mask. Both are checked before either is taken.
    float eth = reference;
    float sig = signal;
    for (int i : {1, 0}) {
        const QString text = m_fields[i]->text();
        if (text == m_shown[i]) continue;
        const FieldNumber r = ReadFloatField(text, i == 1 ? eth : sig);
        bool taken = r == FieldNumber::Ok;
        if (!taken) {
            const int n = r == FieldNumber::NotANumber ? kTextNotANumber : kTextOutOfRange;
            m_messages.critical(m_lang.text(n).arg(text.trimmed()));
        } else if (const std::optional<QString> held = ChangedBySingle(text)) {
            // The sensor keeps singles: a value they change is shown as it will be kept.
            taken = m_messages.confirm(m_lang.text(kTextStoredAs).arg(text.trimmed(), *held));
        }
        if (!taken) {
            m_fields[i]->setFocus(Qt::OtherFocusReason);
            m_fields[i]->selectAll();
            return;
        }
    }
    reference = eth;
    signal = sig;
    QDialog::accept();
}

void ReferenceDialog::reject() {
    reference = kCancelled;
    QDialog::reject();
}

// Filled on every show. A repaint alone does not refill: Qt repaints the dialog
// for its own fields too, and refilling then would throw away what is typed.
void ReferenceDialog::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    showValues();
}

void ReferenceDialog::mouseDoubleClickEvent(QMouseEvent* e) {
    QDialog::mouseDoubleClickEvent(e);
    showValues();
}

bool ReferenceDialog::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::FocusIn) {
        // Queued: a mouse click would otherwise place the cursor after the selection.
        if (auto* f = qobject_cast<QLineEdit*>(watched))
            QTimer::singleShot(0, f, &QLineEdit::selectAll);
    }
    return QDialog::eventFilter(watched, e);
}

} // namespace qm
