#include "tracing/tracing_session.h"

#include "model/trace_model.h"
#include "tracing/format_entry.h"

#include <cmath>

namespace digitrace {

TracingSession::TracingSession(SerialPort &line, TraceModel &model, QObject *parent)
    : QObject(parent), model_(model), reception_(line, kQueueLimit), journal_(model) {
    reception_.setSink([this](const TabletRecord &record) { take(record); });
    connect(&reception_, &Reception::closed, this, [this] {
        journal_.apply(entry::Disconnect{});
        emit connectionEnded();
    });
}

bool TracingSession::connectTablet(const Connection &connection) {
    if (isConnected())
        return true;
    if (!reception_.open())
        return false;
    const double chosen = connection.tabletUnitMm;
    const double unit = connection.newJob && chosen > 0 && std::isfinite(chosen)
                            ? chosen
                            : model_.store().tabletUnitMm;
    journal_.apply(entry::Connect{connection.newJob, connection.denominator, connection.scaleText});
    journal_.apply(entry::TabletUnit{unit});
    journal_.apply(entry::TabletFormat{formatEntryText(reception_.format())});
    emit connected(connection.newJob);
    return true;
}

void TracingSession::switchFormat(const TabletFormat &format) {
    reception_.setFormat(format);
    if (isConnected())
        journal_.apply(entry::TabletFormat{formatEntryText(format)});
}

void TracingSession::take(const TabletRecord &record) {
    if (record.command) {
        perform(*record.command);
        return;
    }
    const std::optional<TabletMenu> &menu = tabletMenu();
    const std::optional<ClassCatalogue> &catalogue = job().classes.catalogue();
    if (!menu && !catalogue && !movesPresses()) {
        takeRecord(record);
        return;
    }
    const RecordFields at = record.fields ? *record.fields : readRecordFields(record.text);
    // A code the catalogue gives a class chooses it, as a button named in the table would.
    if (const FeatureClass *chosen = catalogue && at.code == std::floor(at.code)
                                         ? catalogue->forButton(int(at.code))
                                         : nullptr) {
        perform(TabletCommand{CommandKind::ChooseClass, chosen->name});
        return;
    }
    if (menu) {
        if (const std::optional<int> cell = menu->cellAt(at.x, at.y)) {
            // A press on the menu is never a record, an empty cell's neither.
            if (const std::optional<TabletCommand> &command = menu->cells.value(*cell))
                perform(*command);
            return;
        }
    }
    // Read once: the model takes the fields its text reads.
    place(TabletRecord{record.text, at, std::nullopt});
}

void TracingSession::takeRecord(const TabletRecord &record) {
    emit recordArriving(record.text);
    emit recordTaken(journal_.apply(entry::Record{record.text, record.fields}));
}

// A follow's anchor is a record of the table: whatever takes records back ends the follow.
void TracingSession::back() {
    follow_ = FollowStage::Off;
    journal_.apply(entry::Back{});
}

void TracingSession::clear() {
    follow_ = FollowStage::Off;
    journal_.apply(entry::Clear{});
}

void TracingSession::undoClear() {
    follow_ = FollowStage::Off;
    journal_.undoClear();
}

void TracingSession::exported(const QString &fileName) {
    journal_.apply(entry::Exported{fileName});
}

void TracingSession::jobSaved(const QString &fileName) {
    journal_.apply(entry::JobSaved{fileName});
}

void TracingSession::registered(const QString &registrationText) {
    journal_.apply(entry::Registered{registrationText});
}

void TracingSession::nameSheet(const QString &name) {
    journal_.apply(entry::Sheet{name});
}

void TracingSession::published(int revision) {
    journal_.apply(entry::Published{revision});
}

bool TracingSession::useCatalogue(const QString &catalogueText, ClassCatalogue::Error *error) {
    if (!ClassCatalogue::read(catalogueText, error))
        return false;
    journal_.apply(entry::Catalogue{catalogueText});
    // The journal refuses, and tells of, a catalogue too long for one of its lines.
    return job().classes.catalogue() && job().classes.catalogue()->text() == catalogueText;
}

bool TracingSession::chooseClass(const QString &name) {
    const std::optional<ClassCatalogue> &catalogue = job().classes.catalogue();
    if (!catalogue || !catalogue->find(name))
        return false;
    journal_.apply(entry::ClassChosen{name});
    return true;
}

void TracingSession::stepNextFeature(int direction) {
    journal_.apply(entry::Step{direction});
}

bool TracingSession::setAttributes(int slot, const QVariantMap &values) {
    const FeatureClasses &classes = job().classes;
    const auto feature = classes.features().constFind(slot);
    if (feature == classes.features().cend())
        return false;
    const FeatureClass *featureClass = classes.catalogue()->find(feature->className);
    // The values as the journal keeps them must read back as they were given.
    const QString text = valuesText(values);
    if (!featureClass || text.count(u'\n') != values.size() ||
        valuesFromText(*featureClass, text) != values)
        return false;
    journal_.apply(entry::Attributes{slot, text});
    return true;
}

bool TracingSession::useTabletMenu(const TabletMenu &menu) {
    if (!menu.area)
        return false;
    journal_.apply(entry::Menu{menu.text()});
    return true;
}

void TracingSession::dropTabletMenu() {
    if (!job().tabletMenu.isEmpty())
        journal_.apply(entry::Menu{});
}

const std::optional<TabletMenu> &TracingSession::tabletMenu() const {
    if (menuText_ != job().tabletMenu) {
        menuText_ = job().tabletMenu;
        menu_ = TabletMenu::read(menuText_);
    }
    return menu_;
}

QString TracingSession::refusal(const TabletCommand &command) const {
    const std::optional<ClassCatalogue> &catalogue = job().classes.catalogue();
    const TraceStore &store = model_.store();
    switch (command.kind) {
    case CommandKind::NextClass:
    case CommandKind::Up:
    case CommandKind::Down:
    case CommandKind::Same:
        return catalogue ? QString() : tr("クラス一覧が読み込まれていません");
    case CommandKind::ChooseClass:
        if (!catalogue)
            return tr("クラス一覧が読み込まれていません");
        return catalogue->find(command.className)
                   ? QString()
                   : tr("クラス一覧にクラス「%1」はありません").arg(command.className);
    case CommandKind::Back:
        return store.PtCount > 0 ? QString() : tr("戻す記録がありません");
    case CommandKind::ClearUndo:
        return job().save.clearUndoable() ? QString() : tr("取り消せるクリアがありません");
    case CommandKind::ClosePolygon:
        return store.SeqOpen && store.SeqVertices >= 3 && !closingRecord().isEmpty()
                   ? QString()
                   : tr("閉じる線がありません (3 点以上の線が要ります)");
    case CommandKind::Follow:
        return store.PtCount > 0 ? QString() : tr("なぞる地物がありません");
    }
    return {};
}

bool TracingSession::perform(const TabletCommand &command) {
    const QString why = refusal(command);
    if (why.isEmpty()) {
        switch (command.kind) {
        case CommandKind::NextClass:
            journal_.apply(
                entry::ClassChosen{job().classes.catalogue()->next(job().classes.current()).name});
            break;
        case CommandKind::ChooseClass:
            journal_.apply(entry::ClassChosen{command.className});
            break;
        case CommandKind::Up:
            stepNextFeature(1);
            break;
        case CommandKind::Down:
            stepNextFeature(-1);
            break;
        case CommandKind::Same:
            stepNextFeature(0);
            break;
        case CommandKind::Back:
            back();
            break;
        case CommandKind::ClearUndo:
            undoClear();
            break;
        case CommandKind::ClosePolygon:
            closePolygon();
            break;
        case CommandKind::Follow:
            follow_ = FollowStage::FirstAnchor;
            break;
        }
    }
    emit commandPerformed(command, why);
    return why.isEmpty();
}

// An end record at the line's last vertex: the closing record is drawn nowhere, and placed there
// it leaves the view's fit as it was. Empty when that vertex does not fit a record's columns.
QString TracingSession::closingRecord() const {
    const TraceStore &store = model_.store();
    const int last = store.PtCount - 1;
    return recordAt({store.Pt.X[last], store.Pt.Y[last]}, kClosingCode);
}

void TracingSession::closePolygon() {
    // Read back from its text, so that a replay of the journal takes the same fields.
    const QString text = closingRecord();
    takeRecord(TabletRecord{text, readRecordFields(text), std::nullopt});
}

bool TracingSession::changeClass(int slot, const QString &name) {
    const FeatureClasses &classes = job().classes;
    const auto feature = classes.features().constFind(slot);
    if (feature == classes.features().cend() || !classes.catalogue()->find(name))
        return false;
    if (feature->className != name)
        journal_.apply(entry::ClassChanged{slot, name});
    return true;
}

ReplayResult TracingSession::openJob(QIODevice &journal, const QString &jobFile,
                                     double tabletUnitMm, const EntryObserver &observe) {
    follow_ = FollowStage::Off;
    model_.setTabletUnitMm(tabletUnitMm);
    return journal_.load(journal, jobFile, observe);
}

ReplayResult TracingSession::reopenRecent(const QString &path, double tabletUnitMm) {
    follow_ = FollowStage::Off;
    model_.setTabletUnitMm(tabletUnitMm);
    return journal_.reopenRecent(path);
}

} // namespace digitrace
