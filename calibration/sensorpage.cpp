#include "calibration/sensorpage.h"

#include "calibration/fixedfont.h"
#include "calibration/recordfrompage.h"
#include "calibration/sensorfields.h"
#include "calibration/workingcurve.h"
#include "core/blanks.h"
#include "core/clock.h"
#include "core/langtable.h"
#include "core/messages.h"
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

    m_lblSnimacPopis = named(
        new QLabel(QStringLiteral("Zadejte parametry připojeného snímače : popis, formát "
                                  "zobrazení, jednotku, maximální signál snímače, průměrování a "
                                  "stiskněte tlačítko /Další/")),
        "lblSnimacPopis");
    m_lblSnimacPopis->setWordWrap(true);
    m_Label2 = named(new QLabel(QStringLiteral("Popis")), "Label2");
    m_txtPopis = named(new QLineEdit, "txtPopis");
    m_Label6 = named(new QLabel(QStringLiteral("Formát")), "Label6");
    m_cmbFormat = named(new QComboBox, "cmbFormat");
    m_Label11[2] = named(new QLabel(QStringLiteral("Jedn.")), "Label112");
    m_txtJednotka = named(new QLineEdit, "txtJednotka");
    m_Label11[1] = named(new QLabel(QStringLiteral("Maximální signál snímače")), "Label111");
    m_cmbGain = named(new QComboBox, "cmbGain");
    m_Label11[0] = named(new QLabel(QStringLiteral("Slide")), "Label110");
    m_cmbSlide = named(new QComboBox, "cmbSlide");

    // Fields that the layout keeps below the page's visible area: they carry
    // record fields (or nothing) but are never in view.
    m_Label11[3] = named(new QLabel(QStringLiteral("SlideRychl")), "Label113");
    m_cmbSlideRychl = named(new QComboBox, "cmbSlideRychl");
    auto* dateLabel = new QLabel(QStringLiteral("Poslední uložení"));
    m_txtDateOfSave = named(new QLineEdit, "txtDateOfSave");
    m_lblRozsahPopis = named(new QLabel, "lblRozsahPopis");
    m_txtRozsah = named(new QLineEdit, "txtRozsah");
    m_lblRozsahNegPopis = named(new QLabel, "lblRozsahNegPopis");
    m_txtRozsahNeg = named(new QLineEdit, "txtRozsahNeg");
    m_Label9 = named(new QLabel(QStringLiteral("Přetížení [%]")), "Label9");
    m_lblLimitWarning =
        named(new QLabel(QStringLiteral("Překročen limit snímače !!!")), "lblLimitWarning");

    // Fixed-pitch so that the range texts line up.
    m_cmbGain->setFont(FixedPitchFont());
    m_cmbGain->addItems(GainEntries());
    m_cmbSlide->addItems(SlideEntries());
    m_cmbSlideRychl->addItems(SlideRychlEntries());

    auto* grid = new QGridLayout;
    int row = 0;
    auto addRow = [&](QWidget* label, QWidget* field) {
        grid->addWidget(label, row, 0);
        grid->addWidget(field, row++, 1);
    };
    addRow(m_Label2, m_txtPopis);
    addRow(m_Label6, m_cmbFormat);
    addRow(m_Label11[2], m_txtJednotka);
    grid->addWidget(m_Label11[1], row++, 0, 1, 2);
    grid->addWidget(m_cmbGain, row++, 0, 1, 2);
    addRow(m_Label11[0], m_cmbSlide);

    auto* fold = new QWidget(this);
    fold->setObjectName(QStringLiteral("belowVisibleArea"));
    auto* foldGrid = new QGridLayout(fold);
    int frow = 0;
    auto addFold = [&](QWidget* label, QWidget* field) {
        foldGrid->addWidget(label, frow, 0);
        foldGrid->addWidget(field, frow++, 1);
    };
    addFold(m_Label11[3], m_cmbSlideRychl);
    addFold(dateLabel, m_txtDateOfSave);
    addFold(m_lblRozsahPopis, m_txtRozsah);
    addFold(m_lblRozsahNegPopis, m_txtRozsahNeg);
    addFold(m_Label9, m_lblLimitWarning);
    fold->hide();
    m_Label11[3]->hide();
    m_cmbSlideRychl->hide();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_lblSnimacPopis);
    layout->addLayout(grid);
    layout->addStretch();
    layout->addWidget(fold);

    m_txtJednotka->installEventFilter(this);
}

void SensorPage::setFormatList(int displayDigits) {
    m_cmbFormat->clear();
    m_cmbFormat->addItems(FormatListFor(displayDigits));
}

void SensorPage::setServiceControlsVisible() {
    m_Label11[3]->setVisible(true);
    m_cmbSlide->setVisible(true);
    m_cmbSlideRychl->setVisible(true);
}

void SensorPage::ShowRecord() {
    const SensorRecord& rec = m_ctx.session.CurrentRecord;
    m_txtJednotka->setText(rec.Jednotka);
    m_txtPopis->setText(rec.Popis);
    const int caption = (m_ctx.session.TagPresent & 1) ? 81 : 80;
    setTitle(m_ctx.lang.text(caption) + QStringLiteral(" [ID:") + rec.SerialNo +
             QStringLiteral("]"));
    if (m_cmbFormat->count() > 0)
        m_cmbFormat->setCurrentIndex(FormatIndex(rec.Format, m_cmbFormat->count()));
    m_cmbGain->setCurrentIndex(GainListIndex(rec.GainIndex));
    m_txtDateOfSave->setText(rec.DateSaved);
    m_cmbSlide->setCurrentIndex(SlideIndex(rec.Slide));
    m_cmbSlideRychl->setCurrentIndex(SlideRychlIndex(rec.SlideRychl));
}

bool SensorPage::storeInRecord(uint8_t cOptions) {
    WorkingCurve& curve = m_ctx.curve;
    curve.sortBySignal();
    curve.CountPoints();
    const SensorPageValues page{m_txtPopis->text(),          m_txtJednotka->text(),
                                m_cmbFormat->currentIndex(), m_cmbGain->currentIndex(),
                                m_cmbSlide->currentText(),   m_cmbSlideRychl->currentText()};
    const PageRecord result =
        recordFromPage(page, curve, m_ctx.session.CurrentRecord, m_ctx.session.DisplayDigits,
                       cOptions, m_ctx.clock.now());
    for (const QString& message : pageFaultMessages(result.fault, curve, m_ctx.lang))
        m_ctx.messages.critical(message);
    if (result.fault != PageFault::None) return false;
    m_ctx.session.CurrentRecord = result.record;
    return true;
}

bool SensorPage::CheckSensorTexts() {
    const auto popisLen = TrimBlanks(m_txtPopis->text()).size();
    const auto unitLen = TrimBlanks(m_txtJednotka->text()).size();
    bool ok = true;
    if (popisLen < 1 || popisLen > 32) {
        m_ctx.messages.critical(m_ctx.lang.text(60));
        ok = false;
    }
    if (unitLen < 1 || unitLen > 3) {
        m_ctx.messages.critical(m_ctx.lang.text(61));
        ok = false;
    }
    return ok;
}

void SensorPage::UpdateRangeLabels() {
    const QString unit = m_txtJednotka->text();
    m_lblRozsahPopis->setText(UnitCaption(m_ctx.lang.text(66), unit));
    m_lblRozsahNegPopis->setText(UnitCaption(m_ctx.lang.text(69), unit));
}

bool SensorPage::eventFilter(QObject* watched, QEvent* e) {
    if (watched == m_txtJednotka && e->type() == QEvent::KeyRelease) UpdateRangeLabels();
    return QGroupBox::eventFilter(watched, e);
}

} // namespace qm
