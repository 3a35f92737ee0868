#include "calibration/sensorpage.h"

#include "calibration/fixedfont.h"
#include "calibration/recordfrompage.h"
#include "calibration/sensorfields.h"
#include "calibration/workingcurve.h"
#include "core/blanks.h"
#include "core/clock.h"
#include "core/langtable.h"
#include "core/messages.h"
#include "sensor/imagecheck.h"
#include "sensor/reader.h"
#include "sensor/recordrules.h"
#include "sensor/sensorrecord.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace qm {

namespace {
template <class W> W* named(W* w, const char* name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}
} // namespace

SensorPage::SensorPage(const CalibrationContext& ctx, QWidget* parent)
    : QGroupBox(QStringLiteral("Snímač (Interní křivka)"), parent), m_ctx(ctx) {
    setObjectName(QStringLiteral("fraSNIMAC"));

    m_sensorCaption = named(
        new QLabel(QStringLiteral("Zadejte parametry připojeného snímače : popis, formát "
                                  "zobrazení, jednotku, maximální signál snímače, průměrování a "
                                  "stiskněte tlačítko /Další/")),
        "lblSnimacPopis");
    m_sensorCaption->setWordWrap(true);
    m_descriptionLabel = named(new QLabel(QStringLiteral("Popis")), "Label2");
    m_descriptionField = named(new QLineEdit, "txtPopis");
    m_formatLabel = named(new QLabel(QStringLiteral("Formát")), "Label6");
    m_formatList = named(new QComboBox, "cmbFormat");
    m_unitLabel = named(new QLabel(QStringLiteral("Jedn.")), "Label112");
    m_unitField = named(new QLineEdit, "txtJednotka");
    m_maxSignalLabel = named(new QLabel(QStringLiteral("Maximální signál snímače")), "Label111");
    m_gainList = named(new QComboBox, "cmbGain");
    m_averagingLabel = named(new QLabel(QStringLiteral("Slide")), "Label110");
    m_averagingList = named(new QComboBox, "cmbSlide");

    // Fields that the layout keeps below the page's visible area: they carry
    // record fields (or nothing) but are never in view.
    m_averagingSpeedLabel = named(new QLabel(QStringLiteral("SlideRychl")), "Label113");
    m_averagingSpeedList = named(new QComboBox, "cmbSlideRychl");
    auto* dateLabel = new QLabel(QStringLiteral("Poslední uložení"));
    m_dateSavedField = named(new QLineEdit, "txtDateOfSave");
    m_rangeLabel = named(new QLabel, "lblRozsahPopis");
    m_rangeField = named(new QLineEdit, "txtRozsah");
    m_negativeRangeLabel = named(new QLabel, "lblRozsahNegPopis");
    m_negativeRangeField = named(new QLineEdit, "txtRozsahNeg");
    m_overloadLabel = named(new QLabel(QStringLiteral("Přetížení [%]")), "Label9");
    m_limitWarning =
        named(new QLabel(QStringLiteral("Překročen limit snímače !!!")), "lblLimitWarning");

    // Fixed-pitch so that the range texts line up.
    m_gainList->setFont(FixedPitchFont());
    m_gainList->addItems(GainEntries());
    m_averagingList->addItems(SlideEntries());
    m_averagingSpeedList->addItems(SlideRychlEntries());

    auto* grid = new QGridLayout;
    int row = 0;
    auto addRow = [&](QWidget* label, QWidget* field) {
        grid->addWidget(label, row, 0);
        grid->addWidget(field, row++, 1);
    };
    addRow(m_descriptionLabel, m_descriptionField);
    addRow(m_formatLabel, m_formatList);
    addRow(m_unitLabel, m_unitField);
    grid->addWidget(m_maxSignalLabel, row++, 0, 1, 2);
    grid->addWidget(m_gainList, row++, 0, 1, 2);
    addRow(m_averagingLabel, m_averagingList);

    auto* fold = new QWidget(this);
    fold->setObjectName(QStringLiteral("belowVisibleArea"));
    auto* foldGrid = new QGridLayout(fold);
    int frow = 0;
    auto addFold = [&](QWidget* label, QWidget* field) {
        foldGrid->addWidget(label, frow, 0);
        foldGrid->addWidget(field, frow++, 1);
    };
    addFold(m_averagingSpeedLabel, m_averagingSpeedList);
    addFold(dateLabel, m_dateSavedField);
    addFold(m_rangeLabel, m_rangeField);
    addFold(m_negativeRangeLabel, m_negativeRangeField);
    addFold(m_overloadLabel, m_limitWarning);
    fold->hide();
    m_averagingSpeedLabel->hide();
    m_averagingSpeedList->hide();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_sensorCaption);
    layout->addLayout(grid);
    layout->addStretch();
    layout->addWidget(fold);

    m_unitField->installEventFilter(this);
}

void SensorPage::setFormatList(int displayDigits) {
    m_formatList->clear();
    m_formatList->addItems(FormatListFor(displayDigits));
}

void SensorPage::setServiceControlsVisible() {
    m_averagingSpeedLabel->setVisible(true);
    m_averagingList->setVisible(true);
    m_averagingSpeedList->setVisible(true);
}

void SensorPage::ShowRecord() {
    const SensorRecord& rec = m_ctx.session.CurrentRecord;
    m_unitField->setText(rec.Unit);
    m_descriptionField->setText(rec.Description);
    const int caption = (m_ctx.session.TagPresent & 1) ? 81 : 80;
    setTitle(m_ctx.lang.text(caption) + QStringLiteral(" [ID:") + rec.SerialNo +
             QStringLiteral("]"));
    if (m_formatList->count() > 0)
        m_formatList->setCurrentIndex(FormatIndex(rec.Format, m_formatList->count()));
    m_gainList->setCurrentIndex(GainListIndex(rec.GainIndex));
    m_dateSavedField->setText(rec.DateSaved);
    m_averagingList->setCurrentIndex(SlideIndex(rec.Averaging));
    m_averagingSpeedList->setCurrentIndex(SlideRychlIndex(rec.AveragingSpeed));
}

SensorPageValues SensorPage::values() const {
    return {m_descriptionField->text(),     m_unitField->text(),
            m_formatList->currentIndex(),   m_gainList->currentIndex(),
            m_averagingList->currentText(), m_averagingSpeedList->currentText()};
}

bool SensorPage::CheckSensorTexts() {
    const auto descriptionLen = TrimBlanks(m_descriptionField->text()).size();
    const auto unitLen = TrimBlanks(m_unitField->text()).size();
    m_faultField = nullptr;
    const auto fault = [this](QLineEdit* field, const QString& message) {
        m_ctx.messages.critical(message);
        if (!m_faultField) m_faultField = field;
    };
    if (descriptionLen < 1 || descriptionLen > 32)
        fault(m_descriptionField, m_ctx.lang.text(kTextDescriptionLength));
    if (unitLen < 1 || unitLen > 3) fault(m_unitField, m_ctx.lang.text(kTextUnitLength));
    // Refused here, where it can be mended, not when the curve is written.
    for (const auto& [field, label] :
         {std::pair{m_descriptionField, m_descriptionLabel}, {m_unitField, m_unitLabel}})
        if (const std::optional<char32_t> c = FirstUnstorable(field->text()))
            fault(field, m_ctx.lang.text(kTextUnstorableCharacter)
                             .arg(label->text(), DescribeCharacter(*c)));
    return m_faultField == nullptr;
}

void SensorPage::UpdateRangeLabels() {
    const QString unit = m_unitField->text();
    m_rangeLabel->setText(UnitCaption(m_ctx.lang.text(kTextPositiveRange), unit));
    m_negativeRangeLabel->setText(UnitCaption(m_ctx.lang.text(kTextNegativeRange), unit));
}

bool SensorPage::eventFilter(QObject* watched, QEvent* e) {
    if (watched == m_unitField && e->type() == QEvent::KeyRelease) UpdateRangeLabels();
    return QGroupBox::eventFilter(watched, e);
}

} // namespace qm
