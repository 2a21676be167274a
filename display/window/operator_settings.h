#pragma once

#include "registration/registration.h"

#include <QByteArray>
#include <QSettings>

#include <optional>

namespace digitrace {

// What the operator leaves behind for the next start. Every setting is read and written here.
class OperatorSettings {
public:
    OperatorSettings();

    QByteArray windowGeometry() const;
    // An empty geometry forgets the one kept.
    void setWindowGeometry(const QByteArray &geometry);

    // The sheet registered last, offered when the next one is registered.
    std::optional<Registration> lastRegistration() const;
    void setLastRegistration(const Registration &registration);

private:
    QSettings settings_;
};

} // namespace digitrace
