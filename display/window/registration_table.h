#pragma once

#include "export/gis_export.h"
#include "registration/registration.h"

#include <QObject>
#include <QString>
#include <QStringView>

#include <array>
#include <optional>
#include <vector>

namespace digitrace {

// One control point as the operator builds it: each coordinate is missing until digitized or
// typed, and only a point with all four takes part in the fit.
struct RegistrationRow {
    QString name;
    std::array<std::optional<double>, 4> values; // tablet X, tablet Y, map X, map Y
    bool used = true;
    std::optional<ControlPoint> point() const;
};

// The columns the operator types into, in the order the dialog shows them.
enum class RegistrationColumn { Name, TabletX, TabletY, MapX, MapY };

// What the registration dialog edits, without the dialog: the control points, the transform kind
// and the map's coordinate system, with the fit redone after every change. Records from the
// tablet fill the tablet position of the current point.
class RegistrationTable : public QObject {
    Q_OBJECT
public:
    explicit RegistrationTable(QObject *parent = nullptr);

    const std::vector<RegistrationRow> &rows() const { return rows_; }
    // The row the next record fills; -1 when it goes to a new row.
    int current() const { return current_; }
    void setCurrent(int row);

    TransformKind kind() const { return kind_; }
    void setKind(TransformKind kind);
    const QString &crsText() const { return crsText_; }
    const CrsCheck &crs() const { return crs_; }
    void setCrs(const QString &text);

    void addRow();
    void removeRow(int row);
    // A record from the tablet: its position, read as the trace reads it, goes to the current
    // row, and the next row without a tablet position becomes current. The button code is not
    // looked at.
    void takeRecord(QStringView record);
    // A value typed into a cell; "" clears a coordinate. Returns why the text was not taken.
    QString setCell(int row, RegistrationColumn column, const QString &text);
    void setUsed(int row, bool used);

    // The fit of the complete rows, and each row's residual in map units when it took part.
    const Fit &fit() const { return fit_; }
    std::optional<double> residual(int row) const { return residuals_[std::size_t(row)]; }
    // What stands in the way of registering: "" when the rows, the fit and the CRS are good.
    QString problem() const;

    Registration registration() const;
    void load(const Registration &registration);
    // Replaces the rows by a control-point file's, or saves them; "" or the message.
    QString loadFile(const QString &path);
    QString saveFile(const QString &path) const;

signals:
    void changed();

private:
    void refit();
    QString incompleteRow() const;

    std::vector<RegistrationRow> rows_;
    std::vector<std::optional<double>> residuals_;
    int current_ = -1;
    TransformKind kind_ = TransformKind::Affine;
    QString crsText_;
    CrsCheck crs_;
    Fit fit_;
};

} // namespace digitrace
