#pragma once

#include "tracing/tablet_menu.h"

#include <QDialog>

#include <optional>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace digitrace {

class ClassCatalogue;

// The tablet menu as the operator writes it (size, grid and cells as text), with its picture, and
// the steps of placing it on the tablet by pressing two of its corners.
class TabletMenuDialog : public QDialog {
    Q_OBJECT
public:
    // `catalogue` (may be null) names the classes' colours in the picture; `tabletUnitMm` checks
    // the pressed corners against the printed size (0: not checked).
    TabletMenuDialog(const TabletMenu &menu, const ClassCatalogue *catalogue, double tabletUnitMm,
                     QWidget *parent);

    // The menu the text describes; none, with the reason shown, when it does not read.
    std::optional<TabletMenu> menu();
    // A press while placing the menu: its first corner, then the opposite one.
    void takeCorner(double x, double y);
    bool placing() const { return placing_; }
    QString statusText() const;

signals:
    void printRequested(const digitrace::TabletMenu &menu);
    // Corners pressed: reception goes to this dialog until placed() or the dialog closes.
    void placingStarted();
    void placed(const digitrace::TabletMenu &menu);
    void dropRequested();

private:
    void showPicture();
    void setStatus(const QString &text);

    const ClassCatalogue *catalogue_;
    double tabletUnitMm_;
    QPlainTextEdit *text_;
    QLabel *error_;
    QLabel *picture_;
    QLabel *status_;
    bool placing_ = false;
    std::optional<QPointF> firstCorner_;
    std::optional<TabletMenu> pending_;
};

} // namespace digitrace
