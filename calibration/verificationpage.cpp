#include "calibration/verificationpage.h"

#include "calibration/referenceinput.h"
#include "calibration/sensorfields.h"
#include "core/langtable.h"
#include "core/messages.h"
#include "core/numformat.h"
#include "sensor/sensorrecord.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace qm {

VerificationPage::VerificationPage(const CalibrationContext& ctx, ReferenceInput& dialog,
                                   LiveSignalSource liveSignal, CaptureWindowSource window,
                                   QWidget* parent)
    : QGroupBox(parent), m_ctx(ctx), m_dialog(dialog), m_liveSignal(std::move(liveSignal)),
      m_window(std::move(window)) {
    setObjectName(QStringLiteral("fraVERIFY"));
    m_table = new QTableWidget(0, 5);
    m_table->setObjectName(QStringLiteral("tblVerify"));
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->verticalHeader()->setVisible(false);
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_reading = new QLabel(QStringLiteral("-----"));
    m_reading->setObjectName(QStringLiteral("lblVerifyReading"));
    m_reading->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QFont big = m_reading->font();
    big.setPointSize(16);
    big.setBold(true);
    m_reading->setFont(big);
    m_verdict = new QLabel;
    m_verdict->setObjectName(QStringLiteral("lblVerdict"));
    m_verdict->setWordWrap(true);
    m_captureButton = new QPushButton;
    m_captureButton->setObjectName(QStringLiteral("cmdVERIFYSCAN"));
    m_captureButton->setAutoDefault(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_reading);
    layout->addWidget(m_table, 1);
    layout->addWidget(m_verdict);
    layout->addWidget(m_captureButton, 0, Qt::AlignRight);
    connect(m_captureButton, &QPushButton::clicked, this, &VerificationPage::capture);
}

void VerificationPage::setTexts(const QString& unit) {
    const LangTable& lang = m_ctx.lang;
    setTitle(lang.text(kTextVerificationTitle));
    m_captureButton->setText(lang.text(kTextCaptureCaption));
    // The unit on a line of its own: a narrow window still shows whole words.
    const auto header = [&unit](const QString& caption) {
        return UnitCaption(caption, unit).replace(QStringLiteral(" ["), QStringLiteral("\n["));
    };
    m_table->setHorizontalHeaderLabels({header(lang.text(kTextReferenceAxis)),
                                        header(lang.text(kTextIndicated)),
                                        header(lang.text(kTextError)), lang.text(kTextErrorFS),
                                        header(lang.text(kTextExpandedU))});
}

void VerificationPage::showPoints(const std::vector<VerificationPoint>& points,
                                  const VerificationSummary& summary,
                                  const VerificationInputs& inputs) {
    const LangTable& lang = m_ctx.lang;
    const QString& format = m_ctx.session.CurrentRecord.Format;
    m_table->setRowCount(int(points.size()));
    for (size_t i = 0; i < points.size() && i < summary.points.size(); ++i) {
        const PointVerdict& v = summary.points[i];
        const QStringList cells{FormatMask(points[i].reference, format).trimmed(),
                                FormatMask(points[i].indicated, format).trimmed(),
                                FormatMask(v.error, format).trimmed(),
                                QString::asprintf("%+.3f", v.errorFS),
                                FormatMask(v.expanded, format).trimmed()};
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_table->setItem(int(i), c, item);
        }
    }
    if (!points.empty()) m_table->scrollToBottom();
    const QString tolerance = QString::number(inputs.tolerancePct, 'g', 6);
    if (points.empty()) {
        m_verdict->setText(lang.text(kTextVerifyHowTo));
        return;
    }
    const QString figures = lang.text(kTextVerifyFigures)
                                .arg(QString::asprintf("%.3f", summary.maxErrorFS),
                                     QString::asprintf("%.3f", summary.hysteresisFS),
                                     QString::asprintf("%.3f", summary.repeatabilityFS),
                                     FormatMask(summary.maxExpanded, format).trimmed());
    m_verdict->setText(figures + u'\n' +
                       lang.text(summary.pass ? kTextVerifyPass : kTextVerifyFail).arg(tolerance));
}

void VerificationPage::showReading(const QString& text) {
    m_reading->setText(text);
}

void VerificationPage::capture() {
    const std::optional<CapturedLevel> level =
        TakeLevel(m_ctx, m_liveSignal ? m_liveSignal() : std::nullopt,
                  m_window ? m_window() : std::nullopt, bool(m_window));
    if (level && level->indicated) {
        m_dialog.signal = static_cast<float>(level->signal);
        m_dialog.reference = 0;
        m_dialog.referenceMask = m_ctx.session.CurrentRecord.Format;
        m_dialog.signalFocus = false;
        m_dialog.showModal();
        if (m_dialog.reference != ReferenceInput::kCancelled)
            emit pointTaken(m_dialog.reference, level->signal, *level->indicated,
                            level->indicatedSd);
    } else if (level) {
        m_ctx.messages.critical(m_ctx.lang.text(kTextNoReading));
    }
    // Enter after the dialog presses Next, not the capture button.
    if (m_table->isVisible()) m_table->setFocus(Qt::OtherFocusReason);
}

} // namespace qm
