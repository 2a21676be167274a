#pragma once

#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace digitrace::test {

// Never the operator's own settings or data, and settings of this process alone: test programs
// run side by side (and one program under several platforms), and one's first start must not wipe
// what another just left. Made before the application object, kept until the tests end.
class PrivateSettings {
public:
    PrivateSettings() {
        QStandardPaths::setTestModeEnabled(true);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir_.path());
    }

private:
    QTemporaryDir dir_;
};

} // namespace digitrace::test
