#pragma once

#include "job/job_journal.h"
#include "tracing/reception.h"
#include "tracing/snap_index.h"
#include "tracing/tablet_menu.h"

#include <QObject>
#include <QPointF>
#include <QString>

#include <optional>
#include <vector>

namespace digitrace {

class TraceModel;

// One tracing session: the tablet's line read as its format, and the job it feeds, behind typed
// operations. Every change to the job is journalled here, in one fixed order, and applied by the
// one player that a restore and digitrace-replay use; nothing else writes the journal. The window
// and digitrace-replay both drive this object; a raw capture is bytes fed through a memory port.
class TracingSession : public QObject {
    Q_OBJECT
public:
    // Records read but not yet taken, at most: one more than the table holds, so that even after
    // a Clear no record that could still enter the table is dropped, and the one beyond it still
    // brings the notice that the table is full.
    static constexpr qsizetype kQueueLimit = kSlotCount + 1;
    // The code of the record that close-polygon adds: the first of the codes that end a line.
    static constexpr int kClosingCode = 3;

    // `line` and `model` must outlive the session.
    TracingSession(SerialPort &line, TraceModel &model, QObject *parent = nullptr);

    Reception &reception() { return reception_; }
    const Reception &reception() const { return reception_; }
    // The job's journal: its file, restore, job files' content. Changes go through the operations
    // below.
    JobJournal &journal() { return journal_; }
    const JobJournal &journal() const { return journal_; }
    const JobState &job() const { return journal_.job(); }
    bool isConnected() const { return reception_.isOpen(); }

    struct Connection {
        QString scaleText;
        float denominator = 0;
        // A new job (the trace reset once the line is open) or the records going on after those
        // in the table.
        bool newJob = true;
        // Millimetres per tablet unit for a new job; a continued one keeps the one it was traced
        // in, as does a unit that is not a positive number.
        double tabletUnitMm = 0;
    };
    // Opens the tablet's line and journals the connect, the tablet unit and the format. False,
    // with the job untouched and problem() told why, when the line cannot be opened.
    bool connectTablet(const Connection &connection);
    // Closes the line; the disconnect is journalled. A record received only in part is dropped.
    void disconnectTablet() { reception_.close(); }
    // From the next byte on; journalled while connected, since the records that follow are read
    // as it.
    void switchFormat(const TabletFormat &format);

    void back();
    void clear();
    // Takes the last clear back, when it can be.
    void undoClear();
    void exported(const QString &fileName);
    // The journal so far is in the job file `fileName`.
    void jobSaved(const QString &fileName);
    // The sheet's registration in its text form, and its name. What the journal cannot keep
    // (JobJournal::refusal) changes nothing, and the journal tells why.
    void registered(const QString &registrationText);
    void nameSheet(const QString &name);
    void published(int revision);

    // Traces into the classes `catalogueText` describes, from the next feature on; nothing
    // changes when it does not read, and `error` says where and why.
    bool useCatalogue(const QString &catalogueText, ClassCatalogue::Error *error = nullptr);
    // The class the next feature takes; false for one the catalogue does not have.
    bool chooseClass(const QString &name);
    // The next feature of the current class steps its stepped fields up (1), down (-1) or keeps
    // them (0).
    void stepNextFeature(int direction);
    // Values entered for the feature begun by the record at `slot`; false, with nothing changed,
    // when no classed feature begins there, a field is not its class's, or a value does not fit
    // its field or holds a line break.
    bool setAttributes(int slot, const QVariantMap &values);
    // The feature begun by the record at `slot` is of another class from now on, its geometry as
    // it is; false, with nothing changed, when no classed feature begins there or the catalogue
    // has no class `name`.
    bool changeClass(int slot, const QString &name);

    // Presses inside the menu's registered area are its cells' commands from the next record on.
    // False, with nothing changed, for a menu not yet placed on the tablet.
    bool useTabletMenu(const TabletMenu &menu);
    void dropTabletMenu();
    // The job's menu; none when it has none.
    const std::optional<TabletMenu> &tabletMenu() const;
    // Does what a puck button or a menu cell names, as the journal's own entries (a class chosen,
    // a step, a record taken back, a clear undone, a closing record). False when it cannot be done
    // now; commandPerformed says why.
    bool perform(const TabletCommand &command);

    // Presses snap within `mm` on the sheet from the next record on; 0 switches snapping off.
    // Journalled; false, with nothing changed, for a tolerance the journal does not take.
    bool setSnapping(double mm);
    // Where a press at `tabletPos` (tablet units) would be taken, when snapping or follow moves
    // it; none when it would be taken where it is.
    std::optional<QPointF> snapPreview(QPointF tabletPos) const;

    // Replaces the job by the entries that read of a journal (JobJournal::load); a journal that
    // names no tablet unit, one written before units were journalled, is measured in
    // `tabletUnitMm`.
    ReplayResult openJob(QIODevice &journal, const QString &jobFile, double tabletUnitMm,
                         const EntryObserver &observe = {});
    // The same for a recent job (JobJournal::reopenRecent).
    ReplayResult reopenRecent(const QString &path, double tabletUnitMm);

signals:
    // Once the line is open and the connect, unit and format are journalled.
    void connected(bool newJob);
    // A record as its format gave it, before the job takes it.
    void recordArriving(const QString &record);
    // After the job took the record; a refused one too, with why it was refused.
    void recordTaken(digitrace::RecordOutcome outcome);
    // By disconnectTablet() or by the loss of the line, once the disconnect is journalled.
    void connectionEnded();
    // A command from a button, a menu cell or the window; `refusal` is why it was not done, ""
    // when it was.
    void commandPerformed(const digitrace::TabletCommand &command, const QString &refusal);

private:
    void take(const TabletRecord &record);
    void takeRecord(const TabletRecord &record);
    // Why `command` cannot be done now; "" when it can.
    QString refusal(const TabletCommand &command) const;
    QString closingRecord() const;
    void closePolygon();
    // The designed record at `at` rounded to whole tablet units, without its line end; empty when
    // it does not fit a record's columns.
    static QString recordAt(QPointF at, int code);
    // The record at a vertex of the table: its position as it is, where the columns can hold it.
    static QString vertexRecordAt(QPointF at, int code);
    // Snapping and follow: where a press is taken.
    bool movesPresses() const;
    void place(const TabletRecord &record);
    void followPress(const TabletRecord &record, QPointF pressed);
    void endFollow(const QString &refusal);
    // The index brought up to the trace, its cells fit for the job's tolerance.
    const SnapIndex &snapIndex() const;
    double snapUnits() const;
    double followUnits() const;
    std::optional<SnapTarget> snapTarget(QPointF pressed) const;
    std::optional<SnapTarget> followAnchor(QPointF pressed) const;
    // The record to take for a press moved to `target`; the press itself when it stays where it
    // is. A moved press journals the tablet's own record first.
    TabletRecord moved(const TabletRecord &record, const std::optional<SnapTarget> &target);
    // The vertices of the followed feature strictly between its two anchors, the shorter way
    // round a polygon.
    std::vector<std::int16_t> followedVertices(std::int16_t to) const;

    enum class FollowStage { Off, FirstAnchor, SecondAnchor };

    TraceModel &model_;
    Reception reception_;
    JobJournal journal_;
    // The job's menu as last read, and the text it was read from.
    mutable QString menuText_;
    mutable std::optional<TabletMenu> menu_;
    mutable SnapIndex snapIndex_;
    FollowStage follow_ = FollowStage::Off;
    // The followed feature's first slot, its first anchor, and the slot the first anchor's own
    // record took: the feature's vertices are those before it.
    std::int16_t followFeature_ = -1;
    std::int16_t followAnchor_ = -1;
    std::int16_t followTaken_ = 0;
};

} // namespace digitrace
