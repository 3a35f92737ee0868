#pragma once
// SensorPage: the sensor parameters page. Shows CurrentRecord and converts the
// page and the working curve back into it (storeInRecord).
#include "calibration/calibrationcontext.h"

#include <QGroupBox>
#include <cstdint>

class QComboBox;
class QLabel;
class QLineEdit;

namespace qm {

class SensorPage : public QGroupBox {
    Q_OBJECT
  public:
    explicit SensorPage(const CalibrationContext& ctx, QWidget* parent = nullptr);

    QLineEdit* descriptionField() const { return m_txtPopis; }
    QComboBox* cmbFormat() const { return m_cmbFormat; }
    QLineEdit* unitField() const { return m_txtJednotka; }
    QComboBox* cmbGain() const { return m_cmbGain; }
    QComboBox* cmbSlide() const { return m_cmbSlide; }
    QComboBox* cmbSlideRychl() const { return m_cmbSlideRychl; }
    QLineEdit* txtDateOfSave() const { return m_txtDateOfSave; }
    QLineEdit* rangeField() const { return m_txtRozsah; }
    QLineEdit* negativeRangeField() const { return m_txtRozsahNeg; }
    // "Popis"; the window watches it for the Ctrl+right-click gesture.
    QLabel* descriptionLabel() const { return m_Label2; }
    QLabel* formatLabel() const { return m_Label6; }
    QLabel* averagingLabel() const { return m_Label11[0]; }
    QLabel* overloadLabel() const { return m_Label9; }
    QLabel* lblLimitWarning() const { return m_lblLimitWarning; }
    QLabel* lblSnimacPopis() const { return m_lblSnimacPopis; }
    QLabel* rangeLabel() const { return m_lblRozsahPopis; }
    QLabel* negativeRangeLabel() const { return m_lblRozsahNegPopis; }

    // Refills cmbFormat for the display's digit count.
    void setFormatList(int displayDigits);
    // Service mode: the fast averaging label, cmbSlide and cmbSlideRychl set visible. The
    // SlideRychl pair lies below the page's visible area, so it stays out of sight.
    void setServiceControlsVisible();

    // CurrentRecord onto the page's fields and caption (the page's part of
    // UpdateCalibration).
    void ShowRecord();
    // Page and working curve into CurrentRecord; false after a message, the
    // record unchanged. Flags := cOptions.
    bool storeInRecord(uint8_t cOptions);
    // Description 1..32 and unit 1..3 characters (blanks at the ends ignored).
    bool CheckSensorTexts();
    // The two range labels from the unit typed in unitField.
    void UpdateRangeLabels();

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    CalibrationContext m_ctx;
    QLineEdit* m_txtPopis;
    QComboBox* m_cmbFormat;
    QLineEdit* m_txtJednotka;
    QComboBox* m_cmbGain;
    QComboBox* m_cmbSlide;
    QComboBox* m_cmbSlideRychl;
    QLineEdit* m_txtDateOfSave;
    QLineEdit* m_txtRozsah;
    QLineEdit* m_txtRozsahNeg;
    QLabel* m_Label2;
    QLabel* m_Label6;
    QLabel* m_Label11[4];
    QLabel* m_Label9;
    QLabel* m_lblLimitWarning;
    QLabel* m_lblSnimacPopis;
    QLabel* m_lblRozsahPopis;
    QLabel* m_lblRozsahNegPopis;
};

} // namespace qm
