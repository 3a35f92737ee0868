#include "service/systemcalibration.h"

#include "core/langtable.h"
#include "core/messages.h"
#include "core/numformat.h"
#include "device/protocol.h"
#include "sensor/sensorrecord.h"
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

// The text that says why a pair of constants cannot be the amplifier's, or
// empty: N is a count of the 24-bit converter, and k must scale counts into
// mV/V, which a single that is 0 or below cannot.
QString implausibility(const LangTable& lang, double N, double k, const QString& nText,
                       const QString& kText) {
    if (!(N >= 0 && N <= 16777215)) return lang.text(kTextZeroCountRange).arg(nText);
    if (!(static_cast<float>(k) > 0)) return lang.text(kTextMultiplierRange).arg(kText);
    return {};
}
} // namespace

SystemCalibrationPanel::SystemCalibrationPanel(SensorSession& session, ServiceActions& actions,
                                               MessageSink& messages, const LangTable& lang,
                                               QWidget* parent)
    : QGroupBox(QStringLiteral("Systemova Kalibrace"), parent), m_session(session),
      m_actions(actions), m_messages(messages), m_lang(lang) {
    setObjectName(QStringLiteral("fraQORSETUP"));

    m_zeroCountField = new QLineEdit(QStringLiteral("8388500"));
    m_zeroCountField->setObjectName(QStringLiteral("txtskN"));
    m_multiplierField = new QLineEdit(QStringLiteral("0,001544225"));
    m_multiplierField->setObjectName(QStringLiteral("txtskK"));
    m_gainCaption = new QLabel(QStringLiteral("G0(128x)"));
    m_gainCaption->setObjectName(QStringLiteral("lblGx"));

    m_setZeroButton = button("cmdSKSetNula", "SetNula");
    m_setGainButton = button("cmdSKSetGain", "Set 2mVV");
    m_loadDefaultsButton = button("cmdLoadDef", "DEF!");
    m_saveConstantsButton = button("cmdSKSave", "Zápis");
    m_resetButton = button("cmdReset", "RESET");

    // Fields on top, buttons below: the narrow column has no room for a
    // whole constant and a button side by side.
    auto* grid = new QGridLayout(this);
    auto* zeroCountCaption = new QLabel(QStringLiteral("Nula [div]"));
    zeroCountCaption->setObjectName(QStringLiteral("lblSKNula"));
    grid->addWidget(zeroCountCaption, 0, 0);
    grid->addWidget(m_zeroCountField, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("k [mVV/div*x]")), 1, 0);
    grid->addWidget(m_multiplierField, 1, 1);
    grid->addWidget(m_gainCaption, 2, 0);
    auto* capture = new QHBoxLayout;
    for (QPushButton* b : {m_setZeroButton, m_setGainButton, m_loadDefaultsButton})
        capture->addWidget(b);
    auto* store = new QHBoxLayout;
    store->addStretch();
    store->addWidget(m_saveConstantsButton);
    store->addWidget(m_resetButton);
    grid->addLayout(capture, 3, 0, 1, 2);
    grid->addLayout(store, 4, 0, 1, 2);
    grid->setRowStretch(5, 1);
    grid->setColumnStretch(1, 1);

    connect(m_setZeroButton, &QPushButton::clicked, this, &SystemCalibrationPanel::setZeroFromLive);
    connect(m_setGainButton, &QPushButton::clicked, this, &SystemCalibrationPanel::setGainFrom2mVV);
    connect(m_loadDefaultsButton, &QPushButton::clicked, this,
            &SystemCalibrationPanel::loadDefaultConstants);
    connect(m_saveConstantsButton, &QPushButton::clicked, this, &SystemCalibrationPanel::Save);
    connect(m_resetButton, &QPushButton::clicked, this, &SystemCalibrationPanel::Reset);
}

void SystemCalibrationPanel::constantsRead() {
    for (QLineEdit* f : {m_zeroCountField, m_multiplierField}) {
        QPalette p = f->palette();
        p.setColor(QPalette::Base, Qt::white);
        f->setPalette(p);
    }
}

void SystemCalibrationPanel::showTexts() {
    m_zeroCountField->setToolTip(m_lang.text(kTextZeroCountTip));
    m_multiplierField->setToolTip(m_lang.text(kTextMultiplierTip));
}

void SystemCalibrationPanel::setZeroFromLive() {
    const double raw = m_actions.liveDiv();
    if (std::isnan(raw)) {
        m_messages.exclamation(m_lang.text(kTextNoCountYet));
        return;
    }
    m_session.N = raw;
    m_zeroCountField->setText(FormatMask(m_session.N, QStringLiteral("####0")));
}

void SystemCalibrationPanel::setGainFrom2mVV() {
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
    m_multiplierField->setText(FormatMask(k, QStringLiteral("0.000000 E-00")));
}

void SystemCalibrationPanel::loadDefaultConstants() {
    m_zeroCountField->setText(QString::number(kDefaultZeroCount, 'f', 0));
    m_multiplierField->setText(FormatMask(kDefaultMultiplier, QStringLiteral("0.00000 E-0")));
}

void SystemCalibrationPanel::Save() {
    // Text that is no number is refused, not written as 0; a value a single
    // cannot hold would land in the device as infinity.
    double values[2] = {};
    QLineEdit* const fields[2] = {m_zeroCountField, m_multiplierField};
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
    const QString refusal =
        implausibility(m_lang, N, k, fields[0]->text().trimmed(), fields[1]->text().trimmed());
    if (!refusal.isEmpty()) {
        m_messages.critical(refusal);
        return;
    }
    if (!m_messages.confirm(
            m_lang.text(kTextAskWriteConstants)
                .arg(m_zeroCountField->text().trimmed(), m_multiplierField->text().trimmed())))
        return;
    QString error;
    const QString backup = m_actions.writeConstants(N, k, error);
    if (backup.isEmpty())
        m_messages.critical(m_lang.text(kTextConstantsNotSaved).arg(error));
    else
        m_messages.information(m_lang.text(kTextConstantsSaved).arg(backup));
}

void SystemCalibrationPanel::Reset() {
    m_actions.resetDevice();
}

} // namespace qm
