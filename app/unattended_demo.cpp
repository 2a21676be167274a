#include "app/unattended_demo.h"

#include "acquisition/simulated_port.h"
#include "display/window/frm_trace1.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPixmap>
#include <QTextStream>
#include <QTimer>

#include <cstdio>

namespace digitrace {

QString UnattendedDialogs::chooseSaveFile(const QString &) {
    return dxfPath_;
}

bool UnattendedDialogs::confirm(const QString &, const QString &) {
    return true;
}

void UnattendedDialogs::warn(const QString &text) {
    ++problems_;
    QTextStream(stderr) << text << Qt::endl;
}

UnattendedDemo::UnattendedDemo(frmTrace1 &window, SimulatedPort &port, UnattendedDialogs &dialogs,
                               QString dxfPath, QString pngPath)
    : window_(window), port_(port), dialogs_(dialogs), dxfPath_(std::move(dxfPath)),
      pngPath_(std::move(pngPath)) {
    // Queued: the session takes the last bytes before the demo ends.
    connect(&port_, &SimulatedPort::playedAll, this, &UnattendedDemo::finish, Qt::QueuedConnection);
}

void UnattendedDemo::start() {
    QTimer::singleShot(0, this, [this] {
        window_.Command1_Click();
        if (!window_.Connected())
            QCoreApplication::exit(1);
    });
}

void UnattendedDemo::finish() {
    window_.Command2_Click();
    const int problemsBefore = dialogs_.problems();
    if (!dxfPath_.isEmpty())
        window_.cmdFile_Click();
    const bool dxfSaved = !dxfPath_.isEmpty() && dialogs_.problems() == problemsBefore;
    const bool pngSaved = !pngPath_.isEmpty() && window_.grab().save(pngPath_, "PNG");
    if (!pngPath_.isEmpty() && !pngSaved)
        dialogs_.warn(QStringLiteral("画像 %1 を保存できませんでした。").arg(pngPath_));

    const TraceControls &ui = window_.controls();
    QTextStream out(stdout);
    out << "Points:\t" << ui.lblPoints->text() << '\n'
        << "Lines:\t" << ui.lblLines->text() << '\n'
        << "Polygons:\t" << ui.lblPoly->text() << '\n'
        << QStringLiteral("長さ:\t") << ui.lblLength->text() << '\t' << ui.lblLenAll->text() << '\n'
        << QStringLiteral("面積:\t") << ui.lblArea->text() << '\n';
    if (dxfSaved)
        out << "DXF:\t" << dxfPath_ << '\n';
    if (pngSaved)
        out << "PNG:\t" << pngPath_ << '\n';
    out.flush();
    QCoreApplication::exit(dialogs_.problems() == 0 ? 0 : 1);
}

} // namespace digitrace
