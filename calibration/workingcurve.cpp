#include "calibration/workingcurve.h"

#include "core/langtable.h"
#include "core/messages.h"
#include "core/numformat.h"
#include "sensor/sensorrecord.h"

#include <algorithm>
#include <utility>

namespace qm {

int WorkingCurve::FindSignal(double s) const {
    for (int i = 1; i <= m_count; ++i)
        if (m_rows[i].signal == s) return i;
    return 0;
}

QString WorkingCurve::DuplicateMessage(const LangTable& lang) const {
    const QString blank = QStringLiteral(" ");
    for (int i = 1; i <= m_count; ++i) {
        const double v = m_rows[i].value;
        const double s = m_rows[i].signal;
        int sameValue = 0;
        int sameSignal = 0;
        for (int j = 1; j <= m_count; ++j) {
            sameValue += m_rows[j].value == v ? 1 : 0;
            sameSignal += m_rows[j].signal == s ? 1 : 0;
        }
        // A value duplicate of point i is reported before its signal duplicate.
        if (sameValue > 1)
            return lang.text(kTextTheReferenceValue) + blank + FormatGeneral(v) + blank +
                   lang.text(kTextOccursTwice);
        if (sameSignal > 1)
            return lang.text(kTextTheSignal) + blank + FormatGeneral(s) + blank +
                   lang.text(kTextOccursTwice);
    }
    return {};
}

bool WorkingCurve::CheckDuplicates(MessageSink& sink, const LangTable& lang) const {
    const QString msg = DuplicateMessage(lang);
    if (msg.isEmpty()) return true;
    sink.critical(msg);
    return false;
}

void WorkingCurve::CountPoints() {
    m_count = static_cast<int>(std::count_if(m_status.begin() + 1, m_status.end(),
                                             [](uint8_t s) { return s != kUnused; }));
}

void WorkingCurve::swapRows(int a, int b) {
    std::swap(m_rows[a], m_rows[b]);
    std::swap(m_status[a], m_status[b]);
}

void WorkingCurve::sortBySignal() {
    for (int pass = 0; pass < kRows; ++pass)
        for (int j = kRows; j >= 2; --j)
            if (m_status[j] == kInUse && m_rows[j].signal < m_rows[j - 1].signal)
                swapRows(j - 1, j);
}

void WorkingCurve::DeletePoint(int i) {
    if (m_count < 1 || i < 1 || i > m_count) return;
    for (int r = i; r < kRows; ++r) {
        m_rows[r] = m_rows[r + 1];
        m_status[r] = m_status[r + 1];
    }
    m_status[kRows] = kUnused;
    --m_count;
}

bool WorkingCurve::Append(float signal, float value, double spread, std::optional<double> indicated,
                          double indicatedSd) {
    if (isFull()) return false;
    ++m_count;
    m_rows[m_count] = {value, signal, spread, indicated, indicatedSd};
    m_status[m_count] = kInUse;
    sortBySignal();
    return true;
}

void WorkingCurve::Edit(int i, float signal, float value) {
    if (i < 1 || i > m_count) return;
    Row edited = m_rows[i].signal == double(signal) ? m_rows[i] : Row{};
    edited.value = value;
    edited.signal = signal;
    m_rows[i] = edited;
    sortBySignal();
}

void WorkingCurve::Clear() {
    m_status.fill(kUnused);
    m_count = 0;
}

void WorkingCurve::Reset() {
    *this = WorkingCurve();
}

void WorkingCurve::FillFromRecord(const SensorRecord& rec) {
    const int n = std::clamp(rec.PointCount, 0, kRows);
    m_status.fill(kUnused);
    m_count = n;
    for (int i = 1; i <= n; ++i) {
        m_rows[i] = Row{};
        m_rows[i].value = rec.Value[i - 1];
        m_rows[i].signal = rec.Signal[i - 1];
        m_status[i] = kInUse;
    }
}

void WorkingCurve::CopyToRecord(SensorRecord& rec) const {
    const int n = std::min(m_count, SensorRecord::kMaxPoints);
    for (int i = 1; i <= n; ++i) {
        rec.Value[i - 1] = static_cast<float>(m_rows[i].value);
        rec.Signal[i - 1] = static_cast<float>(m_rows[i].signal);
    }
    rec.PointCount = n;
}

} // namespace qm
