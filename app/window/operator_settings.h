#pragma once

#include "app/window/port_choice.h"
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
    // Toolbars and panels of the main window (QMainWindow::saveState); empty when none is kept.
    QByteArray windowState() const;
    void setWindowState(const QByteArray &state);
    // The tablet's port, its line, unit and record format; the defaults where nothing (or nothing
    // valid) is kept.
    PortChoice portChoice() const;
    void setPortChoice(const PortChoice &choice);

    // The sheet registered last, offered when the next one is registered.
    std::optional<Registration> lastRegistration() const;
    void setLastRegistration(const Registration &registration);
    // The scale box as it read at the last connect; empty when never connected.
    QString lastScale() const;
    // An empty text forgets the one kept.
    void setLastScale(const QString &scaleText);
    // The language of the user interface from the next start on; empty when never chosen.
    QString language() const;
    void setLanguage(const QString &language);
    // The shared database ("PG:<conninfo>"), kept without any password: the server's own means
    // (~/.pgpass, a service file) give it. And the operator named with what is published.
    QString publishConnection() const;
    void setPublishConnection(const QString &connection);
    QString publishOperator() const;
    void setPublishOperator(const QString &name);

private:
    TabletFormat tabletFormat() const;

    QSettings settings_;
};

} // namespace digitrace
