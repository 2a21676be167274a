#include "app/window/control_descriptions.h"

#include "app/window/trace_controls.h"
#include "display/widget/drawing_area.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace digitrace {
namespace {

// The descriptions are the window's texts and keep its translation context.
class ControlDescriptions {
    Q_DECLARE_TR_FUNCTIONS(digitrace::frmTrace1)
public:
    static void apply(const TraceControls &controls);
};

void ControlDescriptions::apply(const TraceControls &controls) {
    const struct {
        QWidget *control;
        const char *name;
        const char *description;
    } rows[] = {
        {controls.picBar, QT_TR_NOOP("ツールバー"), QT_TR_NOOP("接続・保存・縮尺と計測値")},
        {controls.picDigit, QT_TR_NOOP("描画領域"),
         QT_TR_NOOP("受信した記録の図。ホイールで拡大縮小、ドラッグで移動、Home で全体表示")},
        {controls.Command1, QT_TR_NOOP("接続"),
         QT_TR_NOOP("タブレットに接続して受信を始めます (F5)")},
        {controls.Command2, QT_TR_NOOP("切断"),
         QT_TR_NOOP("受信を終えてポートを閉じます (Shift+F5)")},
        {controls.cmdFile, QT_TR_NOOP("DXF出力"),
         QT_TR_NOOP("記録を DXF ファイルに保存します (Ctrl+E)")},
        {controls.txtScale, QT_TR_NOOP("縮尺の分母"),
         QT_TR_NOOP("地図の縮尺 1/N の N。接続のたびに読み取ります")},
        {controls.lblPoints, QT_TR_NOOP("点の数"), QT_TR_NOOP("記録した単独の点の数")},
        {controls.lblLines, QT_TR_NOOP("線の数"), QT_TR_NOOP("記録した線の数")},
        {controls.lblPoly, QT_TR_NOOP("多角形の数"), QT_TR_NOOP("閉じた多角形の数")},
        {controls.lblLength, QT_TR_NOOP("最新の線分の長さ"),
         QT_TR_NOOP("最後に記録した線分の長さ")},
        {controls.lblLenAll, QT_TR_NOOP("全長または周長"),
         QT_TR_NOOP("現在の線の全長、または最後の多角形の周長")},
        {controls.lblArea, QT_TR_NOOP("面積"), QT_TR_NOOP("最後に閉じた多角形の面積")},
        {controls.cmdClear, QT_TR_NOOP("クリア"),
         QT_TR_NOOP("記録をすべて消して新しく始めます (Ctrl+Delete)")},
        {controls.cmdBack, QT_TR_NOOP("戻る"), QT_TR_NOOP("最後の記録を取り消します (Ctrl+Z)")},
    };
    for (const auto &row : rows) {
        row.control->setAccessibleName(tr(row.name));
        row.control->setAccessibleDescription(tr(row.description));
        row.control->setToolTip(tr(row.description));
    }
}

} // namespace

void describeControls(const TraceControls &ui) {
    ControlDescriptions::apply(ui);
}

} // namespace digitrace
