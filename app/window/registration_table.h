#pragma once

#include "export/map_crs.h"
#include "registration/fit_quality.h"
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

// The values the operator types: MapX is the easting (longitude), MapY the northing (latitude),
// whichever order the CRS shows them in.
enum class RegistrationColumn { Name, TabletX, TabletY, MapX, MapY };

// One point's misfit, when it took part in a fit.
struct RowMisfit {
    double map = 0;                    // map units
    double sheetMm = 0;                // measured back on the sheet
    std::optional<double> leaveOneOut; // map units, from the fit of the other points
};

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
    const MapCrs &crs() const { return crs_; }
    void setCrs(const QString &text);
    // The sheet length of one tablet unit, for the misfits in mm.
    void setTabletUnitMm(double mm);
    // The column a shown map column (0 first, 1 second, in the CRS's axis order) edits.
    RegistrationColumn mapColumnShown(int shown) const;

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
    std::optional<double> residual(int row) const;
    const std::optional<RowMisfit> &misfit(int row) const { return misfits_[std::size_t(row)]; }
    // The fit judged on the sheet; meaningful when the fit is good.
    const FitQuality &quality() const { return quality_; }
    double tabletUnitMm() const { return tabletUnitMm_; }
    // What stands in the way of registering: "" when the rows, the fit and the CRS are good.
    QString problem() const;
    // What the operator should look at before registering, though nothing forbids it.
    const QString &crsWarning() const { return crsFit_.warning; }

    Registration registration() const;
    void load(const Registration &registration);
    // Replaces the rows by a control-point file's, or saves them; "" or the message (after a
    // load, a caution when an old file's easting-first columns meet a northing-first CRS).
    QString loadFile(const QString &path);
    QString saveFile(const QString &path) const;

signals:
    void changed();

private:
    void refit();
    QString incompleteRow() const;

    std::vector<RegistrationRow> rows_;
    std::vector<std::optional<RowMisfit>> misfits_;
    int current_ = -1;
    TransformKind kind_ = TransformKind::Affine;
    QString crsText_;
    MapCrs crs_ = readMapCrs({});
    CrsFitCheck crsFit_;
    double tabletUnitMm_ = 1;
    Fit fit_;
    FitQuality quality_;
};

} // namespace digitrace
