#pragma once
// What the curve page shows beside its list: the curve plot with the live
// signal, a column with each point's deviation from the straight line, the
// spread it was captured with and the device's error as found, and the
// deviation plot with the non-linearity.
#include <QWidget>
#include <optional>

class QLabel;
class QListWidget;

namespace qm {

class CurvePlot;
class DeviationPlot;
class LangTable;
class WorkingCurve;

// One column line: the deviation in % FS ("+0.012", blanks without a line),
// two blanks, the spread with the value's mask ("" when the point was typed),
// two blanks and the device's error as found in % FS when it was read.
QString linearityLine(std::optional<double> deviationPct, double spread, const QString& format,
                      std::optional<double> asFoundPct = {});

class CurveEvidence : public QWidget {
    Q_OBJECT
  public:
    explicit CurveEvidence(QWidget* parent = nullptr);

    // Axis titles and headers in the language; unit is the reference's.
    void setTexts(const LangTable& lang, const QString& unit);
    // Redraws everything from the points in use, in the list's row order.
    void showCurve(const WorkingCurve& curve, const QString& format);
    void setLiveSignal(std::optional<double> mvPerV);

    CurvePlot* curvePlot() const { return m_curvePlot; }
    DeviationPlot* deviationPlot() const { return m_deviationPlot; }
    QListWidget* linearityList() const { return m_linearity; }
    QLabel* nonLinearityLabel() const { return m_nonLinearity; }

  private:
    QString m_nonLinearityCaption;
    QLabel* m_header;
    QListWidget* m_linearity;
    QLabel* m_nonLinearity;
    CurvePlot* m_curvePlot;
    DeviationPlot* m_deviationPlot;
};

} // namespace qm
