#include "calibration/curvepage.h"

#include "calibration/capturelevel.h"
#include "calibration/fixedfont.h"
#include "calibration/referenceinput.h"
#include "calibration/sensorfields.h"
#include "calibration/workingcurve.h"
#include "core/blanks.h"
#include "core/langtable.h"
#include "core/messages.h"
#include "core/numformat.h"
#include "sensor/sensorrecord.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

namespace qm {

QString pointLine(double signal, double value, const QString& format) {
    return FormatRight(signal, QStringLiteral("###0.00000")) + QStringLiteral("  ") +
           FormatRight(value, format);
}

namespace {
// The list reports mouse presses and double-clicks after it has handled them,
// so the selection is already the new one.
class CurveList final : public QListWidget {
  public:
    std::function<void()> onPressed;
    std::function<void()> onDoubleClicked;

  protected:
    void mousePressEvent(QMouseEvent* e) override {
        QListWidget::mousePressEvent(e);
        if (onPressed) onPressed();
    }
    void mouseDoubleClickEvent(QMouseEvent* e) override {
        QListWidget::mouseDoubleClickEvent(e);
        if (onDoubleClicked) onDoubleClicked();
    }
};
// Gives the list the focus back when an action ends, so that Enter after a
// dialog or a message presses Next, not the button that opened it.
class ListFocus {
  public:
    explicit ListFocus(QListWidget* list) : m_list(list) {}
    ~ListFocus() {
        if (m_list->isVisible()) m_list->setFocus(Qt::OtherFocusReason);
    }
    ListFocus(const ListFocus&) = delete;
    ListFocus& operator=(const ListFocus&) = delete;

  private:
    QListWidget* m_list;
};
} // namespace

CurvePage::CurvePage(const CalibrationContext& ctx, ReferenceInput& dialog,
                     LiveSignalSource liveSignal, QWidget* parent)
    : QGroupBox(QStringLiteral("Kalibrační křivka"), parent), m_ctx(ctx), m_dialog(dialog),
      m_liveSignal(std::move(liveSignal)) {
    setObjectName(QStringLiteral("fraCURVE"));

    auto* list = new CurveList;
    list->onPressed = [this] { updateDeleteButton(); };
    list->onDoubleClicked = [this] { Edit(); };
    m_pointList = list;
    m_pointList->setObjectName(QStringLiteral("lstKrivka"));
    m_pointList->setFont(FixedPitchFont());
    m_pointList->setSelectionMode(QAbstractItemView::SingleSelection);

    m_signalCaption = new QLabel(QStringLiteral("Signal [mV/V]"));
    m_signalCaption->setObjectName(QStringLiteral("lblCSig"));
    m_referenceCaption = new QLabel(QStringLiteral("Etalon []"));
    m_referenceCaption->setObjectName(QStringLiteral("lblCEth"));

    m_captureButton = new QPushButton(QStringLiteral("Zachytit"));
    m_captureButton->setObjectName(QStringLiteral("cmdSCAN"));
    const char* captions[3] = {"Přidat bod", "Smazat bod", "Smazat bod"};
    for (int i = 0; i < 3; ++i) {
        m_listButtons[i] = new QPushButton(QString::fromUtf8(captions[i]));
        m_listButtons[i]->setObjectName(QStringLiteral("cmdListAction%1").arg(i));
        m_listButtons[i]->setAutoDefault(false);
    }
    m_captureButton->setAutoDefault(false);
    m_bit24Box = new QCheckBox(QStringLiteral("24 bit"));
    m_bit24Box->setObjectName(QStringLiteral("chk24bit"));
    m_bit24Box->hide();
    m_fallingNote = new QLabel;
    m_fallingNote->setObjectName(QStringLiteral("lblCurveFalls"));
    m_fallingNote->setWordWrap(true);
    m_fallingNote->hide();

    connect(m_captureButton, &QPushButton::clicked, this, &CurvePage::capture);
    connect(m_listButtons[0], &QPushButton::clicked, this, &CurvePage::Add);
    connect(m_listButtons[1], &QPushButton::clicked, this, &CurvePage::Delete);
    connect(m_listButtons[2], &QPushButton::clicked, this, &CurvePage::Clear);

    auto* headers = new QHBoxLayout;
    // The value header follows the signal header closely so that a long unit
    // still fits above the narrow list.
    headers->addWidget(m_signalCaption);
    headers->addSpacing(8);
    headers->addWidget(m_referenceCaption, 1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_captureButton);
    for (QPushButton* b : m_listButtons)
        buttons->addWidget(b);
    buttons->addWidget(m_bit24Box);
    buttons->addStretch();

    auto* grid = new QGridLayout(this);
    grid->addLayout(headers, 0, 0, 1, 2);
    grid->addWidget(m_pointList, 1, 0);
    grid->addLayout(buttons, 1, 1);
    grid->addWidget(m_fallingNote, 2, 0, 1, 2);

    fillPointList();
}

void CurvePage::setEthUnit(const QString& unit) {
    m_referenceCaption->setText(UnitCaption(m_ctx.lang.text(kTextReferenceAxis), unit));
}

int CurvePage::selectedLine() const {
    const int row = m_pointList->currentRow();
    const QListWidgetItem* item = m_pointList->item(row);
    return item && item->isSelected() ? row : -1;
}

void CurvePage::updateDeleteButton() {
    m_listButtons[1]->setEnabled(selectedLine() >= 0);
}

void CurvePage::fillPointList() {
    const WorkingCurve& curve = m_ctx.curve;
    const QString& format = m_ctx.session.CurrentRecord.Format;
    m_pointList->clear();
    for (int i = 1; i <= curve.pointCount(); ++i)
        m_pointList->addItem(pointLine(curve.pointAt(i).signal, curve.pointAt(i).value, format));
    updateDeleteButton();
    m_listButtons[2]->setEnabled(curve.pointCount() > 0);
    // Allowed (compression gives such a curve), but said, in case it is a
    // sign typed wrong.
    const int n = curve.pointCount();
    const bool falls = n >= 2 && curve.pointAt(n).value < curve.pointAt(1).value;
    m_fallingNote->setText(falls ? m_ctx.lang.text(kTextCurveFalls) : QString());
    m_fallingNote->setVisible(falls);
    emit curveChanged();
}

bool CurvePage::appendFromDialog(CapturedLevel level) {
    const float captured = m_dialog.signal;
    m_dialog.showModal();
    if (m_dialog.reference == ReferenceInput::kCancelled) return false;
    // A signal typed over the captured one was not captured.
    if (m_dialog.signal != captured) level = {};
    if (!signalInRange(m_dialog.signal)) return false;
    WorkingCurve& curve = m_ctx.curve;
    if (!curve.Append(m_dialog.signal, m_dialog.reference, level.spread, level.indicated,
                      level.indicatedSd)) {
        m_ctx.messages.critical(m_ctx.lang.text(kTextCurveFull));
        return false;
    }
    curve.CheckDuplicates(m_ctx.messages, m_ctx.lang); // reported, the point stays
    fillPointList();
    // The new point's line (the older one when its signal is a duplicate).
    m_pointList->setCurrentRow(curve.FindSignal(m_dialog.signal) - 1);
    return true;
}

bool CurvePage::signalInRange(float signal) {
    const int gain = m_ctx.session.CurrentRecord.GainIndex;
    if (std::fabs(signal) <= InputRange(gain)) return true;
    m_ctx.messages.critical(
        m_ctx.lang.text(kTextSignalOutsideRange)
            .arg(FormatMask(signal, QStringLiteral("###0.0000")).trimmed(), InputRangeText(gain)));
    return false;
}

void CurvePage::capture() {
    const ListFocus focus(m_pointList);
    const std::optional<CapturedLevel> level =
        TakeLevel(m_ctx, m_liveSignal ? m_liveSignal() : std::nullopt,
                  m_window ? m_window() : std::nullopt, bool(m_window));
    if (!level) return;
    m_dialog.signal = static_cast<float>(level->signal);
    m_dialog.reference = 0;
    m_dialog.referenceMask = m_ctx.session.CurrentRecord.Format;
    m_dialog.signalFocus = false;
    if (appendFromDialog(*level)) emit pointCaptured();
}

void CurvePage::Add() {
    const ListFocus focus(m_pointList);
    if (m_ctx.curve.isFull()) {
        m_ctx.messages.critical(m_ctx.lang.text(kTextCurveFull));
        return;
    }
    m_dialog.signal = 0;
    m_dialog.reference = 0;
    m_dialog.referenceMask = m_ctx.session.CurrentRecord.Format;
    m_dialog.signalFocus = true;
    appendFromDialog();
}

void CurvePage::Edit() {
    const ListFocus focus(m_pointList);
    const int line = selectedLine();
    if (line < 0) return;
    const int row = line + 1;
    WorkingCurve& curve = m_ctx.curve;
    m_dialog.signal = static_cast<float>(curve.pointAt(row).signal);
    m_dialog.reference = static_cast<float>(curve.pointAt(row).value);
    m_dialog.referenceMask = m_ctx.session.CurrentRecord.Format;
    m_dialog.showModal();
    if (m_dialog.reference == ReferenceInput::kCancelled || !signalInRange(m_dialog.signal)) return;
    curve.Edit(row, m_dialog.signal, m_dialog.reference);
    curve.CheckDuplicates(m_ctx.messages, m_ctx.lang);
    fillPointList();
}

void CurvePage::Delete() {
    const ListFocus focus(m_pointList);
    const int line = selectedLine();
    if (line < 0) {
        m_ctx.messages.critical(m_ctx.lang.text(kTextSelectPoint));
        return;
    }
    const SensorRecord& rec = m_ctx.session.CurrentRecord;
    const QString question = m_ctx.lang.text(kTextDeletePoint) + QStringLiteral(" ") +
                             FormatMask(m_ctx.curve.pointAt(line + 1).value, rec.Format) +
                             QStringLiteral(" ") + rec.Unit + QStringLiteral(" ?");
    if (!m_ctx.messages.confirm(question)) return;
    m_ctx.curve.DeletePoint(line + 1);
    fillPointList();
}

void CurvePage::Clear() {
    const ListFocus focus(m_pointList);
    if (m_pointList->count() == 0) {
        m_ctx.messages.exclamation(m_ctx.lang.text(kTextCurveEmpty));
        return;
    }
    if (!m_ctx.messages.confirm(m_ctx.lang.text(kTextDeleteWholeCurve))) return;
    m_ctx.curve.Clear();
    fillPointList();
}

} // namespace qm
