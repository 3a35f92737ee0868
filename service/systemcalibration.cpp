#include "service/systemcalibration.h"

#include "core/clock.h"
#include "core/langtable.h"
#include "core/messages.h"
#include "core/numformat.h"
#include "device/protocol.h"
#include "sensor/sensorrecord.h"
#include "service/devicereset.h"
#include "service/serviceactions.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cmath>
#include <limits>
#include <utility>

namespace qm {

namespace {
QPushButton* button(const char* name, const char* text) {
    auto* b = new QPushButton(QString::fromUtf8(text));
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

bool fitsSingle(double v) {
    return std::isfinite(v) && std::fabs(v) <= std::numeric_limits<float>::max();
}
} // namespace

SystemCalibrationPanel::SystemCalibrationPanel(SensorSession& session, ServiceActions& actions,
                                               MessageSink& messages, Clock& clock,
                                               const LangTable& lang, QWidget* parent)
    : QGroupBox(QStringLiteral("Systemova Kalibrace"), parent), m_session(session),
      m_actions(actions), m_messages(messages), m_clock(clock), m_lang(lang) {
    setObjectName(QStringLiteral("fraQORSETUP"));

    m_txtskN = new QLineEdit(QStringLiteral("8388500"));
    m_txtskN->setObjectName(QStringLiteral("txtskN"));
    m_txtskN->setToolTip(QStringLiteral("Počet dílků převodníku odpovídající zkratovanému vstupu"));
    m_txtskK = new QLineEdit(QStringLiteral("0,001544225"));
    m_txtskK->setObjectName(QStringLiteral("txtskK"));
    m_txtskK->setToolTip(QStringLiteral("Násobící konstanta v uživatelských jednotkách/dílek"));
    m_lblGx = new QLabel(QStringLiteral("G0(128x)"));
    m_lblGx->setObjectName(QStringLiteral("lblGx"));

    m_cmdSKSetNula = button("cmdSKSetNula", "SetNula");
    m_cmdSKSetGain = button("cmdSKSetGain", "Set 2mVV");
    m_cmdLoadDef = button("cmdLoadDef", "DEF!");
    m_cmdSKSave = button("cmdSKSave", "Zápis");
    m_cmdReset = button("cmdReset", "RESET");

    // Fields on top, buttons below: the narrow column has no room for a
    // whole constant and a button side by side.
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Nula [div]")), 0, 0);
    grid->addWidget(m_txtskN, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("k [mVV/div*x]")), 1, 0);
    grid->addWidget(m_txtskK, 1, 1);
    grid->addWidget(m_lblGx, 2, 0);
    auto* capture = new QHBoxLayout;
    for (QPushButton* b : {m_cmdSKSetNula, m_cmdSKSetGain, m_cmdLoadDef})
        capture->addWidget(b);
    auto* store = new QHBoxLayout;
    store->addStretch();
    store->addWidget(m_cmdSKSave);
    store->addWidget(m_cmdReset);
    grid->addLayout(capture, 3, 0, 1, 2);
    grid->addLayout(store, 4, 0, 1, 2);
    grid->setRowStretch(5, 1);
    grid->setColumnStretch(1, 1);

    connect(m_cmdSKSetNula, &QPushButton::clicked, this, &SystemCalibrationPanel::SetNula);
    connect(m_cmdSKSetGain, &QPushButton::clicked, this, &SystemCalibrationPanel::Set2mVV);
    connect(m_cmdLoadDef, &QPushButton::clicked, this, &SystemCalibrationPanel::LoadDef);
    connect(m_cmdSKSave, &QPushButton::clicked, this, &SystemCalibrationPanel::Save);
    connect(m_cmdReset, &QPushButton::clicked, this, &SystemCalibrationPanel::Reset);
}

void SystemCalibrationPanel::constantsRead() {
    for (QLineEdit* f : {m_txtskN, m_txtskK}) {
        QPalette p = f->palette();
        p.setColor(QPalette::Base, Qt::white);
        f->setPalette(p);
    }
}

void SystemCalibrationPanel::SetNula() {
    const double raw = m_actions.liveDiv();
    if (std::isnan(raw)) {
        m_messages.exclamation(m_lang.text(kTextNoCountYet));
        return;
    }
    m_session.N = raw;
    m_txtskN->setText(FormatMask(m_session.N, QStringLiteral("####0")));
}

void SystemCalibrationPanel::Set2mVV() {
    const double raw = m_actions.liveDiv();
    if (std::isnan(raw)) {
        m_messages.exclamation(m_lang.text(kTextNoCountYet) + u' ' + m_lang.text(kTextKLeftAlone));
        return;
    }
    const double N = m_session.N;
    const double k = 2.0 / (raw - N);
    if (!std::isfinite(k)) {
        // No quotient: keep the k that stands and say why.
        m_messages.exclamation(m_lang.text(kTextCountEqualsN).arg(FormatGeneral(raw)) + u' ' +
                               m_lang.text(kTextKLeftAlone));
        return;
    }
    m_session.k = k;
    m_txtskK->setText(FormatMask(k, QStringLiteral("0.000000 E-00")));
}

void SystemCalibrationPanel::LoadDef() {
    m_txtskN->setText(QString::number(kDefaultZeroCount, 'f', 0));
    m_txtskK->setText(FormatMask(kDefaultMultiplier, QStringLiteral("0.00000 E-0")));
}

void SystemCalibrationPanel::Save() {
    // Text that is no number is refused, not written as 0; a value a single
    // cannot hold would land in the device as infinity.
    double values[2] = {};
    QLineEdit* const fields[2] = {m_txtskN, m_txtskK};
    for (int i = 0; i < 2; ++i) {
        const QString text = fields[i]->text().trimmed();
        const std::optional<double> v = ReadTypedNumber(text);
        if (!v || !fitsSingle(*v)) {
            m_messages.critical(m_lang.text(v ? kTextOutOfRange : kTextNotANumber).arg(text));
            fields[i]->setFocus();
            return;
        }
        values[i] = *v;
    }
    const auto [N, k] = values;
    if (!m_messages.confirm(m_lang.text(kTextAskWriteConstants)
                                .arg(m_txtskN->text().trimmed(), m_txtskK->text().trimmed())))
        return;
    // Navigation off for the whole of it: a close waits until the device is read back.
    m_actions.disableNavigation();
    QString error;
    const QString backup = m_actions.backUpConstants(error);
    if (backup.isEmpty()) {
        m_actions.enableNavigation();
        m_messages.critical(m_lang.text(kTextConstantsNotSaved).arg(error));
        return;
    }
    m_actions.stopLive();
    m_clock.delay(200);
    m_actions.showStatus(std::nullopt);
    m_actions.writeConstants(N, k); // the read-back below shows what the device holds
    m_clock.delay(100);
    m_actions.hideStatus();
    ResetDevice(m_actions, m_clock, m_lang);
    m_actions.readAll();
    m_actions.startLive();
    m_actions.enableNavigation();
    m_messages.information(m_lang.text(kTextConstantsSaved).arg(backup));
}

void SystemCalibrationPanel::Reset() {
    ResetDevice(m_actions, m_clock, m_lang);
}

} // namespace qm
