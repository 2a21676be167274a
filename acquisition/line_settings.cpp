#include "acquisition/line_settings.h"

#include <QList>

namespace digitrace {

std::optional<LineSettings> LineSettings::fromText(QStringView text) {
    const QList<QStringView> fields = text.split(u',');
    if (fields.size() < 4 || fields.size() > 5 || fields[1].trimmed().size() != 1)
        return std::nullopt;
    if (fields.size() == 5 && fields[4].trimmed().size() != 1)
        return std::nullopt;
    bool baudOk = false, dataOk = false, stopOk = false;
    LineSettings s;
    s.baudRate = fields[0].trimmed().toInt(&baudOk);
    s.parity = fields[1].trimmed().front().toLower().toLatin1();
    s.dataBits = fields[2].trimmed().toInt(&dataOk);
    s.stopBits = fields[3].trimmed().toInt(&stopOk);
    if (fields.size() == 5)
        s.flowControl = fields[4].trimmed().front().toLower().toLatin1();
    if (!baudOk || !dataOk || !stopOk || !s.isValid())
        return std::nullopt;
    return s;
}

QString LineSettings::toText() const {
    const QString text = QStringLiteral("%1,%2,%3,%4")
                             .arg(baudRate)
                             .arg(QLatin1Char(parity))
                             .arg(dataBits)
                             .arg(stopBits);
    return flowControl == 'n' ? text : text + u',' + QLatin1Char(flowControl);
}

bool LineSettings::isValid() const {
    return baudRate > 0 && QByteArrayView("neoms").contains(parity) && dataBits >= 5 &&
           dataBits <= 8 && (stopBits == 1 || stopBits == 2) &&
           QByteArrayView("nhs").contains(flowControl);
}

QString defaultPortName() {
#ifdef Q_OS_WIN
    return QStringLiteral("COM1");
#else
    return QStringLiteral("/dev/ttyS0");
#endif
}

} // namespace digitrace
