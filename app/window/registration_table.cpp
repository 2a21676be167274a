#include "app/window/registration_table.h"

#include "model/numeric_value.h"
#include "registration/control_points_file.h"

#include <algorithm>
#include <cmath>

namespace digitrace {

namespace {

constexpr qsizetype kFieldWidth = 9;

// A coordinate field as the trace stores it: rounded half to even at one decimal, then to single
// precision, so that a control point sits exactly where a traced record at it would.
std::optional<double> tabletCoordinate(QStringView field) {
    const std::optional<float> value = toSingle(std::nearbyint(numericValue(field) * 10.0) / 10.0);
    return value ? std::optional<double>(*value) : std::nullopt;
}

} // namespace

std::optional<ControlPoint> RegistrationRow::point() const {
    for (const std::optional<double> &v : values)
        if (!v)
            return std::nullopt;
    return ControlPoint{name, *values[0], *values[1], *values[2], *values[3], used};
}

RegistrationTable::RegistrationTable(QObject *parent) : QObject(parent) {
    refit();
}

void RegistrationTable::setCurrent(int row) {
    current_ = row >= 0 && row < int(rows_.size()) ? row : -1;
}

void RegistrationTable::setKind(TransformKind kind) {
    kind_ = kind;
    refit();
}

void RegistrationTable::setCrs(const QString &text) {
    crsText_ = text;
    crs_ = readMapCrs(text);
    refit();
}

void RegistrationTable::setTabletUnitMm(double mm) {
    if (mm > 0 && std::isfinite(mm))
        tabletUnitMm_ = mm;
    refit();
}

RegistrationColumn RegistrationTable::mapColumnShown(int shown) const {
    const bool northFirst = crs_.order == AxisOrder::NorthEast;
    return (shown == 0) != northFirst ? RegistrationColumn::MapX : RegistrationColumn::MapY;
}

std::optional<double> RegistrationTable::residual(int row) const {
    const std::optional<RowMisfit> &m = misfits_[std::size_t(row)];
    return m ? std::optional<double>(m->map) : std::nullopt;
}

void RegistrationTable::addRow() {
    // A name no row has yet: P1, P2, ...
    QString name;
    for (int n = int(rows_.size()) + 1;; ++n) {
        name = QStringLiteral("P%1").arg(n);
        if (std::none_of(rows_.begin(), rows_.end(),
                         [&name](const RegistrationRow &r) { return r.name == name; }))
            break;
    }
    rows_.push_back({name, {}, true});
    current_ = int(rows_.size()) - 1;
    refit();
}

void RegistrationTable::removeRow(int row) {
    if (row < 0 || row >= int(rows_.size()))
        return;
    rows_.erase(rows_.begin() + row);
    if (current_ == row)
        current_ = -1;
    else if (current_ > row)
        --current_;
    refit();
}

void RegistrationTable::takeRecord(QStringView record) {
    const std::optional<double> x = tabletCoordinate(record.mid(0, kFieldWidth));
    const std::optional<double> y = tabletCoordinate(record.mid(kFieldWidth, kFieldWidth));
    if (!x || !y)
        return;
    if (current_ < 0)
        addRow();
    RegistrationRow &row = rows_[std::size_t(current_)];
    row.values[0] = x;
    row.values[1] = y;
    const int filled = current_;
    current_ = -1;
    for (int r = filled + 1; r < int(rows_.size()); ++r)
        if (!rows_[std::size_t(r)].values[0] || !rows_[std::size_t(r)].values[1]) {
            current_ = r;
            break;
        }
    refit();
}

QString RegistrationTable::setCell(int row, RegistrationColumn column, const QString &text) {
    if (row < 0 || row >= int(rows_.size()))
        return {};
    RegistrationRow &r = rows_[std::size_t(row)];
    if (column == RegistrationColumn::Name) {
        // The name travels in the journal and in control-point files, whose lines are bounded.
        if (text.trimmed().size() > kLongestPointName)
            return tr("基準点の名前は%1文字までです。").arg(kLongestPointName);
        r.name = text.trimmed();
    } else {
        std::optional<double> value;
        if (!text.trimmed().isEmpty()) {
            bool ok = false;
            // '.' is the decimal point whatever the locale, as in the control-point files.
            const double v = text.trimmed().toDouble(&ok);
            if (!ok || !std::isfinite(v))
                return tr("「%1」は数値として読めません。小数点には「.」を使ってください。")
                    .arg(text);
            value = v;
        }
        r.values[std::size_t(column) - 1] = value;
    }
    refit();
    return {};
}

void RegistrationTable::setUsed(int row, bool used) {
    if (row < 0 || row >= int(rows_.size()))
        return;
    rows_[std::size_t(row)].used = used;
    refit();
}

void RegistrationTable::refit() {
    std::vector<ControlPoint> points;
    std::vector<std::size_t> at;
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (const std::optional<ControlPoint> p = rows_[i].point()) {
            points.push_back(*p);
            at.push_back(i);
        }
    fit_ = fitTransform(points, kind_);
    misfits_.assign(rows_.size(), std::nullopt);
    quality_ = {};
    if (fit_.ok()) {
        quality_ = assessFit(points, kind_, fit_, tabletUnitMm_);
        for (std::size_t k = 0; k < at.size(); ++k)
            misfits_[at[k]] =
                RowMisfit{fit_.residuals[k], quality_.sheetMm[k], quality_.leaveOneOut[k]};
    }
    crsFit_ = checkCrsAgainstPoints(crs_, points, fit_, tabletUnitMm_);
    emit changed();
}

QString RegistrationTable::incompleteRow() const {
    for (const RegistrationRow &r : rows_)
        if (!r.point())
            return tr("基準点 %1 の座標がそろっていません。入力するか、点を削除してください。")
                .arg(r.name);
    return {};
}

QString RegistrationTable::problem() const {
    if (!crs_.ok())
        return crs_.error;
    // No points and no CRS: the sheet goes back to unregistered.
    if (rows_.empty())
        return crsText_.trimmed().isEmpty()
                   ? QString()
                   : tr("地図座標系は基準点で登録した地図座標にだけ付けられます。");
    if (const QString incomplete = incompleteRow(); !incomplete.isEmpty())
        return incomplete;
    return fit_.ok() ? crsFit_.error : fit_.error;
}

Registration RegistrationTable::registration() const {
    Registration r;
    for (const RegistrationRow &row : rows_)
        if (const std::optional<ControlPoint> p = row.point())
            r.points.push_back(*p);
    r.kind = kind_;
    r.crs = crsText_.trimmed();
    return r;
}

void RegistrationTable::load(const Registration &registration) {
    rows_.clear();
    for (const ControlPoint &p : registration.points)
        rows_.push_back({p.name, {p.tabletX, p.tabletY, p.mapX, p.mapY}, p.used});
    current_ = -1;
    kind_ = registration.kind;
    crsText_ = registration.crs;
    crs_ = readMapCrs(crsText_);
    refit();
}

QString RegistrationTable::loadFile(const QString &path) {
    const ControlPointsRead read = loadControlPoints(path);
    if (!read.ok())
        return read.error;
    load({read.points, kind_, crsText_});
    if (read.columns == MapColumns::XY && crs_.order == AxisOrder::NorthEast)
        return tr("このファイルの map_x, map_y は東、北の順として読みました。%1 の軸は北、東の順"
                  "です。逆なら列の値を確かめてください。")
            .arg(crs_.name);
    return {};
}

QString RegistrationTable::saveFile(const QString &path) const {
    if (const QString incomplete = incompleteRow(); !incomplete.isEmpty())
        return incomplete;
    // The file says which map column comes first, so that it reads back the same anywhere.
    const MapColumns columns = crs_.wkt.isEmpty()                   ? MapColumns::XY
                               : crs_.order == AxisOrder::NorthEast ? MapColumns::NorthEast
                                                                    : MapColumns::EastNorth;
    return saveControlPoints(registration().points, path, columns);
}

} // namespace digitrace
