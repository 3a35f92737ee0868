#pragma once
// SensorPage: the sensor parameters page. Shows CurrentRecord and hands back
// what its fields hold (values()); the session turns them into the record.
#include "calibration/calibrationcontext.h"
#include "calibration/recordfrompage.h"

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

    QLineEdit* descriptionField() const { return m_descriptionField; }
    QComboBox* formatList() const { return m_formatList; }
    QLineEdit* unitField() const { return m_unitField; }
    QComboBox* gainList() const { return m_gainList; }
    QComboBox* averagingList() const { return m_averagingList; }
    QComboBox* averagingSpeedList() const { return m_averagingSpeedList; }
    QLineEdit* dateSavedField() const { return m_dateSavedField; }
    QLineEdit* rangeField() const { return m_rangeField; }
    QLineEdit* negativeRangeField() const { return m_negativeRangeField; }
    // "Description"; the window watches it for the Ctrl+right-click gesture.
    QLabel* descriptionLabel() const { return m_descriptionLabel; }
    QLabel* formatLabel() const { return m_formatLabel; }
    QLabel* averagingLabel() const { return m_averagingLabel; }
    QLabel* overloadLabel() const { return m_overloadLabel; }
    QLabel* limitWarning() const { return m_limitWarning; }
    QLabel* sensorCaption() const { return m_sensorCaption; }
    QLabel* rangeLabel() const { return m_rangeLabel; }
    QLabel* negativeRangeLabel() const { return m_negativeRangeLabel; }

    // Refills cmbFormat for the display's digit count.
    void setFormatList(int displayDigits);
    // Service mode: the fast averaging label, cmbSlide and cmbSlideRychl set visible. The
    // AveragingSpeed pair lies below the page's visible area, so it stays out of sight.
    void setServiceControlsVisible();

    // CurrentRecord onto the page's fields and caption (the page's part of
    // showRecordOnPages).
    void ShowRecord();
    // What the fields hold.
    SensorPageValues values() const;
    // Description 1..32 and unit 1..3 characters (blanks at the ends ignored),
    // each character one the sensor's memory can store.
    bool CheckSensorTexts();
    // The field the last CheckSensorTexts found wanting; nullptr when none.
    QLineEdit* faultField() const { return m_faultField; }
    // The two range labels from the unit typed in unitField.
    void UpdateRangeLabels();

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    CalibrationContext m_ctx;
    QLineEdit* m_descriptionField;
    QComboBox* m_formatList;
    QLineEdit* m_unitField;
    QComboBox* m_gainList;
    QComboBox* m_averagingList;
    QComboBox* m_averagingSpeedList;
    QLineEdit* m_dateSavedField;
    QLineEdit* m_rangeField;
    QLineEdit* m_negativeRangeField;
    QLabel* m_descriptionLabel;
    QLabel* m_formatLabel;
    QLabel* m_averagingLabel;
    QLabel* m_maxSignalLabel;
    QLabel* m_unitLabel;
    QLabel* m_averagingSpeedLabel;
    QLabel* m_overloadLabel;
    QLabel* m_limitWarning;
    QLabel* m_sensorCaption;
    QLabel* m_rangeLabel;
    QLabel* m_negativeRangeLabel;
    QLineEdit* m_faultField = nullptr;
};

} // namespace qm
