#pragma once

#include <QByteArray>
#include <QSettings>

namespace digitrace {

// What the operator leaves behind for the next start. Every setting is read and written here.
class OperatorSettings {
public:
    OperatorSettings();

    QByteArray windowGeometry() const;
    // An empty geometry forgets the one kept.
    void setWindowGeometry(const QByteArray &geometry);
    // The language of the user interface from the next start on; empty when never chosen.
    QString language() const;
    void setLanguage(const QString &language);

private:
    QSettings settings_;
};

} // namespace digitrace
