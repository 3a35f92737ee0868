#include "report/certificate.h"

#include "report/certificatefigures.h"
#include "report/curveplot.h"

#include <QFile>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

namespace qm {

namespace {

constexpr int kDpi = 300;
constexpr double kMarginMm = 18;

QString rangeText(int gainIndex) {
    static const char* const ranges[] = {"500",   "250",   "125",  "62.5",
                                         "31.25", "15.63", "7.81", "3.91"};
    if (gainIndex < 0 || gainIndex > 7) return QStringLiteral("?");
    return QStringLiteral("±%1 mV/V (×%2)")
        .arg(QLatin1String(ranges[gainIndex]))
        .arg(1 << gainIndex);
}

// Lays out the page top-down and starts a new page when a block does not fit.
class Page {
  public:
    Page(QPdfWriter& writer, QPainter& painter) : m_writer(writer), m_p(painter) {
        m_width = painter.viewport().width();
        m_height = painter.viewport().height();
    }
    double width() const { return m_width; }
    double y() const { return m_y; }
    double line(double scale = 1.0) const { return QFontMetricsF(m_p.font()).height() * scale; }

    void need(double height) {
        if (m_y + height <= m_height) return;
        m_writer.newPage();
        m_y = 0;
    }
    void skip(double height) { m_y += height; }

    void text(const QString& s, double pt, bool bold = false, Qt::Alignment align = Qt::AlignLeft) {
        setFont(pt, bold);
        need(line());
        m_p.drawText(QRectF(0, m_y, m_width, line()), align | Qt::AlignVCenter, s);
        m_y += line();
    }

    // Label and value pairs in two columns.
    void fields(const std::vector<std::pair<QString, QString>>& pairs) {
        setFont(10, false);
        const double h = line(1.25), half = m_width / 2;
        // Labels as wide as the widest needs (a longer language's too), within reason.
        double labelWidth = half * 0.42;
        for (const auto& pair : pairs)
            labelWidth = std::max(
                labelWidth, QFontMetricsF(m_p.font()).horizontalAdvance(pair.first) + line(0.5));
        labelWidth = std::min(labelWidth, half * 0.7);
        for (size_t i = 0; i < pairs.size(); i += 2) {
            need(h);
            const size_t end = std::min(i + 2, pairs.size());
            for (size_t j = i; j < end; ++j) {
                const double x = (j - i) * half;
                // A pair alone on its line may run to the right edge.
                const double valueWidth = (end - i == 1 ? m_width : half) - labelWidth;
                setFont(10, false);
                m_p.setPen(Qt::darkGray);
                m_p.drawText(QRectF(x, m_y, labelWidth, h), Qt::AlignLeft | Qt::AlignVCenter,
                             pairs[j].first);
                m_p.setPen(Qt::black);
                setFont(10, true);
                m_p.drawText(QRectF(x + labelWidth, m_y, valueWidth, h),
                             Qt::AlignLeft | Qt::AlignVCenter, pairs[j].second);
            }
            m_y += h;
        }
        setFont(10, false);
    }

    // A table with right-aligned numbers; the header is repeated on a new page.
    // Headers wrap at their blanks, in a smaller type where a word would not
    // fit its column, so that no language's header is cut.
    void table(const QStringList& header, const std::vector<QStringList>& rows) {
        setFont(9, false);
        const double h = line(1.4), w = m_width / header.size(), cell = w - line(0.4);
        double headerPt = 9;
        setFont(headerPt, true);
        while (headerPt > 5 && widestWord(header) > cell)
            setFont(headerPt -= 0.5, true);
        double headerHeight = h;
        for (const QString& text : header)
            headerHeight =
                std::max(headerHeight,
                         QFontMetricsF(m_p.font())
                                 .boundingRect(QRectF(0, 0, cell, m_height), Qt::TextWordWrap, text)
                                 .height() +
                             line(0.4));
        auto drawRow = [&](const QStringList& cells, double pt, bool bold, double height) {
            setFont(pt, bold);
            for (int c = 0; c < cells.size(); ++c)
                m_p.drawText(QRectF(c * w, m_y, cell, height),
                             Qt::AlignRight | Qt::AlignVCenter | Qt::TextWordWrap, cells[c]);
            m_y += height;
            m_p.setPen(QPen(Qt::gray, 0));
            m_p.drawLine(QPointF(0, m_y), QPointF(m_width, m_y));
            m_p.setPen(Qt::black);
        };
        need(headerHeight + h);
        drawRow(header, headerPt, true, headerHeight);
        for (const QStringList& r : rows) {
            if (m_y + h > m_height) {
                need(m_height);
                drawRow(header, headerPt, true, headerHeight);
            }
            drawRow(r, 9, false, h);
        }
    }

    double widestWord(const QStringList& texts) const {
        double widest = 0;
        for (const QString& text : texts)
            for (const QString& word : text.split(u' ', Qt::SkipEmptyParts))
                widest = std::max(widest, QFontMetricsF(m_p.font()).horizontalAdvance(word));
        return widest;
    }

    void setFont(double pt, bool bold) {
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setPointSizeF(pt);
        f.setBold(bold);
        m_p.setFont(f);
    }
    QPainter& painter() { return m_p; }

  private:
    QPdfWriter& m_writer;
    QPainter& m_p;
    double m_width = 0, m_height = 0, m_y = 0;
};

QString optionalText(const std::optional<double>& v, const std::function<QString(double)>& text,
                     const QString& absent = QStringLiteral("–")) {
    return v ? text(*v) : absent;
}

bool finish(QPainter& painter, const QString& path, QString* error) {
    if (painter.end()) return true;
    if (error) *error = QStringLiteral("cannot write %1").arg(path);
    return false;
}

// A blank name is said to be missing, never printed as nothing.
QString given(const QString& s, const CertificateTexts& t) {
    return s.trimmed().isEmpty() ? t.notGiven : s.trimmed();
}

// A standard's uncertainty of 0 is one nobody typed (the setting's default).
std::optional<double> givenUncertainty(const std::optional<double>& u) {
    return u && *u > 0 ? u : std::nullopt;
}

// Reference, indication, error and its expanded uncertainty per point.
void verificationTable(Page& page, const CertificateTexts& t, const VerificationTable& v,
                       int decimals, const QString& inUnit) {
    std::vector<QStringList> rows;
    const auto value = [&](double x) { return ValueText(x, decimals); };
    for (size_t i = 0; i < v.series.size(); ++i) {
        const VerificationPoint& p = v.series[i];
        const PointVerdict& r = v.summary.points[i];
        rows.push_back({value(p.reference), value(p.indicated), value(r.error),
                        PercentText(r.errorFS), value(r.expanded)});
    }
    page.table({t.reference + inUnit, t.indicated + inUnit, t.error + inUnit, t.errorFS,
                t.expanded + inUnit},
               rows);
}

// The as-left figures and the verdict they give.
void verificationSummary(Page& page, const CertificateTexts& t, const VerificationTable& v,
                         const CalibrationRecord& verification, int decimals, const QString& unit) {
    const VerificationSummary& s = v.summary;
    page.skip(page.line(0.5));
    page.fields(
        {{t.hysteresis, PercentText(s.hysteresisFS)},
         {t.repeatability, PercentText(s.repeatabilityFS)},
         {t.maxExpanded, QStringLiteral("%1 %2").arg(ValueText(s.maxExpanded, decimals), unit)},
         {t.tolerance, PercentText(v.tolerance)},
         {t.referenceU, optionalText(givenUncertainty(verification.referenceUncertainty),
                                     PercentText, t.notGiven)},
         {t.verdict, s.pass ? t.pass : t.fail}});
}

// Lines for the operator's and the approver's signatures.
void signatures(Page& page, QPainter& painter, const CertificateTexts& t,
                const CalibrationRecord& rec) {
    page.skip(page.line(3));
    page.need(page.line(3));
    const double lineWidth = page.width() * 0.4;
    painter.setPen(QPen(Qt::black, 0));
    page.setFont(9, false);
    const std::pair<double, QString> lines[] = {
        {0, QStringLiteral("%1: %2").arg(t.operatorName, given(rec.operatorName, t))},
        {page.width() - lineWidth, t.approver}};
    for (const auto& [x, label] : lines) {
        painter.drawLine(QPointF(x, page.y()), QPointF(x + lineWidth, page.y()));
        painter.drawText(QRectF(x, page.y(), lineWidth, page.line()),
                         Qt::AlignHCenter | Qt::AlignTop, label);
    }
}

} // namespace

bool WriteCertificate(const CalibrationRecord& rec, const CertificateTexts& t, const QString& path,
                      QString* error, const CalibrationRecord* asLeft) {
    const bool verificationOnly = rec.kind == RecordKind::Verification;
    const CertificateFigures f = FiguresOf(rec);
    {
        QFile probe(path); // QPdfWriter says nothing about a file it cannot create
        if (!probe.open(QIODevice::WriteOnly)) {
            if (error)
                *error = QStringLiteral("cannot write %1: %2").arg(path, probe.errorString());
            return false;
        }
    }
    QPdfWriter writer(path);
    writer.setResolution(kDpi);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm),
                                     QPageLayout::Millimeter));
    writer.setTitle(QStringLiteral("%1 %2").arg(t.title, rec.certificateNo));
    writer.setCreator(QStringLiteral("QM-07 Calibrator"));
    QPainter painter;
    if (!painter.begin(&writer)) {
        if (error) *error = QStringLiteral("cannot write %1").arg(path);
        return false;
    }
    Page page(writer, painter);

    page.text(verificationOnly ? t.verificationTitle : t.title, 20, true, Qt::AlignHCenter);
    page.text(verificationOnly ? QStringLiteral("%1 %2").arg(t.record).arg(rec.id)
                               : QStringLiteral("%1 %2").arg(t.certificateNo, rec.certificateNo),
              12, false, Qt::AlignHCenter);
    page.skip(page.line());

    const SensorRecord& s = f.stored;
    const QString unit = f.storedDecoded ? s.Unit.trimmed() : QString();
    page.text(t.sensor, 12, true);
    page.fields(
        {{t.description, f.storedDecoded ? s.Description.trimmed() : QString()},
         {t.serialNo, rec.serialNo},
         {t.unit, unit},
         {t.format, f.storedDecoded ? s.Format.trimmed() : QString()},
         {t.range, f.storedDecoded ? rangeText(s.GainIndex) : QString()},
         {t.fullScale, QStringLiteral("%1 %2").arg(ValueText(f.fullScale, f.decimals), unit)}});
    page.skip(page.line(0.5));
    std::vector<std::pair<QString, QString>> made{
        {t.date, rec.timeUtc.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm 'UTC'"))},
        {t.device, rec.device},
        {t.operatorName, given(rec.operatorName, t)},
        {t.bench, rec.bench}};
    // A verification writes nothing, so it has no write to report.
    if (!verificationOnly)
        made.push_back(
            {t.result, rec.result == 1
                           ? t.done
                           : QStringLiteral("%1 [%2]").arg(rec.resultText).arg(rec.result)});
    page.fields(made);
    // The standard's expanded uncertainty beside its name: the record's own, else
    // that of the verification that checks it against the same standard.
    std::optional<double> referenceU = givenUncertainty(rec.referenceUncertainty);
    if (!referenceU && asLeft &&
        asLeft->referenceStandard.trimmed() == rec.referenceStandard.trimmed())
        referenceU = givenUncertainty(asLeft->referenceUncertainty);
    const QString standard = given(rec.referenceStandard, t);
    page.fields(
        {{t.referenceStandard,
          referenceU
              ? QStringLiteral("%1, %2 = %3 %").arg(standard, t.expanded, PercentText(*referenceU))
              : standard}});
    page.skip(page.line());
    const QString inUnit = unit.isEmpty() ? QString() : QStringLiteral(" [%1]").arg(unit);
    if (verificationOnly) {
        const VerificationTable v = VerificationOf(rec, f.fullScale, f.digit);
        verificationTable(page, t, v, f.decimals, inUnit);
        verificationSummary(page, t, v, rec, f.decimals, unit);
        signatures(page, painter, t, rec);
        return finish(painter, path, error);
    }

    page.text(t.points, 12, true);
    std::vector<QStringList> rows;
    bool unsettled = false;
    for (const CertificateRow& r : f.rows) {
        auto value = [&](double v) { return ValueText(v, f.decimals); };
        rows.push_back({SignalText(r.signal), value(r.reference), optionalText(r.curveValue, value),
                        optionalText(r.deviation, PercentText),
                        optionalText(r.spread, value) + (r.unsettled ? QStringLiteral(" *") : "")});
        unsettled = unsettled || r.unsettled;
    }
    page.table(
        {t.signal, t.reference + inUnit, t.curveValue + inUnit, t.deviation, t.spread + inUnit},
        rows);
    if (unsettled)
        page.text(
            t.unsettled.arg(
                QStringLiteral("%1 %2").arg(ValueText(f.spreadLimit, f.decimals), unit).trimmed()),
            8);
    page.skip(page.line(0.5));
    page.fields({{t.nonLinearity, optionalText(rec.nonLinearity, PercentText, t.notKnown)}});
    page.skip(page.line());

    if (const VerificationTable found = VerificationOf(rec, f.fullScale, f.digit);
        !found.series.empty()) {
        page.text(t.asFound, 12, true);
        verificationTable(page, t, found, f.decimals, inUnit);
        page.skip(page.line());
    }
    page.text(t.asLeft, 12, true);
    // A verification that was skipped is recorded without points.
    if (asLeft && !asLeft->points.empty()) {
        const VerificationTable left = VerificationOf(*asLeft, f.fullScale, f.digit);
        verificationTable(page, t, left, f.decimals, inUnit);
        verificationSummary(page, t, left, *asLeft, f.decimals, unit);
    } else {
        page.fields({{t.verdict, t.notVerified}});
    }
    page.skip(page.line());

    const double plotHeight = page.width() * 0.55;
    page.text(t.curve, 12, true);
    page.need(plotHeight);
    page.setFont(8, false);
    DrawCurvePlot(painter, QRectF(0, page.y(), page.width(), plotHeight), f, t.reference + inUnit,
                  t.signal);
    page.skip(plotHeight);
    signatures(page, painter, t, rec);
    return finish(painter, path, error);
}

} // namespace qm
