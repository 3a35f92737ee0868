#pragma once
// The per-user settings store: application "QM-07R", then section and key.
#include <QMap>
#include <QString>

namespace qm {

class SettingsStore {
  public:
    virtual ~SettingsStore() = default;
    virtual QString value(const QString& section, const QString& key,
                          const QString& fallback = {}) const = 0;
    virtual void setValue(const QString& section, const QString& key, const QString& value) = 0;
};

// QSettings under the application name "QM-07R" (native per-user store).
class QtSettingsStore final : public SettingsStore {
  public:
    QString value(const QString& section, const QString& key,
                  const QString& fallback = {}) const override;
    void setValue(const QString& section, const QString& key, const QString& value) override;
};

// For tests.
class MemorySettingsStore final : public SettingsStore {
  public:
    QString value(const QString& section, const QString& key,
                  const QString& fallback = {}) const override {
        return m_values.value(section + QLatin1Char('/') + key, fallback);
    }
    void setValue(const QString& section, const QString& key, const QString& value) override {
        m_values.insert(section + QLatin1Char('/') + key, value);
    }

  private:
    QMap<QString, QString> m_values;
};

} // namespace qm
