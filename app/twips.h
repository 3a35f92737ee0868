#pragma once
// The window layout is measured in twips (1/1440 inch), converted to pixels at
// the screen's logical DPI.
#include <QRect>
#include <QtMath>

namespace qm {

class Twips {
  public:
    explicit Twips(double logicalDpi) : m_dpi(logicalDpi) {}
    int operator()(int twips) const { return qRound(twips * m_dpi / 1440.0); }
    QRect rect(int left, int top, int width, int height) const {
        return {(*this)(left), (*this)(top), (*this)(width), (*this)(height)};
    }
    double dpi() const { return m_dpi; }

  private:
    double m_dpi;
};

} // namespace qm
