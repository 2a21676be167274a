#include "app/unattended_demo.h"

#include "acquisition/simulated_port.h"
#include "app/window/frm_trace1.h"
#include "app/window/notice_bar.h"
#include "app/window/toolbar_fonts.h"
#include "app/window/window_notices.h"
#include "export/file_replacement.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QLabel>
#include <QPixmap>
#include <QTextStream>
#include <QTimer>

#include <climits>

namespace digitrace {
namespace {

QString writePng(const QImage &image, QFileDevice &file) {
    QImageWriter writer(&file, "PNG");
    // The writer says only "Unknown error" when the device refused the bytes.
    return writer.write(image) ? QString() : writer.errorString();
}

} // namespace

IoResult savePicture(const QImage &image, const QString &path) {
    const Replacement done =
        replaceFile(path, [&image](QFileDevice &file) { return writePng(image, file); });
    if (done.ok())
        return {};
    return {done.message(
        QCoreApplication::translate("digitrace::UnattendedDemo", "画像 %1 を保存できませんでした。")
            .arg(QDir::toNativeSeparators(path)))};
}

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

// Not a problem: the demo's own summary on standard output stays as it is.
void UnattendedDialogs::notify(const QString &text) {
    QTextStream(stderr) << text << Qt::endl;
}

UnattendedDemo::UnattendedDemo(frmTrace1 &window, SimulatedPort &port, UnattendedDialogs &dialogs,
                               QString dxfPath, QString pngPath)
    : window_(window), port_(port), dialogs_(dialogs), dxfPath_(std::move(dxfPath)),
      pngPath_(std::move(pngPath)) {
    // The picture shows the window as it first opens, whatever geometry the operator left and
    // however narrow the screen (offscreen, a virtual one) is.
    window_.setWindowState(Qt::WindowNoState);
    window_.resizeInner(initialInnerSize(window_.logicalDpiY(), INT_MAX,
                                         toolbarWidth(window_.controls(), window_.logicalDpiY())));
    // The window's notices (a journal the disk refuses, a full table) are no part of a clean run,
    // those told before the demo began included.
    for (const QString &told : window_.features().notices.bar().notices())
        dialogs_.warn(told);
    connect(&window_, &frmTrace1::noticeShown, this,
            [this](const QString &text) { dialogs_.warn(text); });
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
    bool pngSaved = false;
    if (!pngPath_.isEmpty()) {
        const IoResult picture = savePicture(window_.grab().toImage(), pngPath_);
        pngSaved = picture.ok();
        if (!pngSaved)
            dialogs_.warn(picture.error);
    }

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
