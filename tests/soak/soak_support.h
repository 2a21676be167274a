#pragma once

#include "acquisition/qt_serial_port.h"
#include "app/window/dxf_export_feature.h"
#include "model/trace_model.h"
#include "tracing/tracing_session.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <random>
#include <string>
#include <vector>

namespace digitrace::test {

class PseudoTerminal;

// One record as the tablet sends it, and as the table must then hold it.
struct SentRecord {
    float x;
    float y;
    float code;
};

// The bytes on the line and the records they carry.
struct Capture {
    QByteArray bytes;
    std::vector<SentRecord> records;
};

// `count` records with coordinates across the whole width of their columns and codes that make
// points, lines, polygons and abandoned starts. Every vertex follows a start or a vertex, so every
// record is kept. Each record ends in CR or CR LF at random.
Capture randomRecords(int count, std::mt19937 &random);

// What an export of `records`, taken into an empty table, holds; told from the shapes their codes
// make rather than by the exporter's walk.
struct EntityCounts {
    int points = 0;
    int lines = 0;
    int polygons = 0;
};
EntityCounts predictEntities(const std::vector<SentRecord> &records);

// How the table differs from exactly `records`, in order; empty when it holds just them.
std::string tableMismatch(const TraceStore &store, const std::vector<SentRecord> &records);

// A window following a connection: keeps the problems and refusals it is told of and the state
// of the connect and disconnect buttons.
class RecordingView {
public:
    void watch(TracingSession &session);

    bool connectEnabled = true;
    bool disconnectEnabled = false;
    QStringList problems;
    std::vector<RecordOutcome> refusals;
};

// The save dialog, answered with a fixed name.
class FixedChooser : public FileChooser {
public:
    explicit FixedChooser(QString name) : name_(std::move(name)) {}
    QString chooseSaveFile(const QString &) override { return name_; }

private:
    QString name_;
};

// The receiving end of a live connection: the real port and session, with its journal in a folder
// of its own as the window keeps it, counting the records taken.
class Receiver {
public:
    Receiver(TraceModel &model, RecordingView &view);
    // Connects to the device end of `line`.
    bool connectTo(const PseudoTerminal &line);

    QTemporaryDir journalFolder;
    QtSerialPort port;
    TracingSession session;
    int taken = 0;
    RecordOutcome lastOutcome = RecordOutcome::Kept;
};

// Runs the event loop until `done` holds, checking whenever the loop has nothing left to do;
// false when `timeoutMs` passes first.
bool runUntil(const std::function<bool()> &done, int timeoutMs = 60'000);

// AddressSanitizer holds freed memory back in a quarantine and its bookkeeping grows with every
// allocation, so resident memory there says little about what the program keeps (its leak
// checker answers that instead): bounds on resident memory hold only in builds without it.
#ifdef __SANITIZE_ADDRESS__
inline constexpr bool kResidentMemoryIsMeaningful = false;
#else
inline constexpr bool kResidentMemoryIsMeaningful = true;
#endif

// Resident memory of this process, now and at its peak since resetPeakResident(). Free memory that
// the allocator still holds is handed back before the current figure is taken, so that it follows
// what the program keeps.
qint64 residentKiB();
qint64 peakResidentKiB();
bool resetPeakResident();
// File descriptors this process holds open.
int openDescriptors();

// ezdxf's count of the entities in a DXF file, one "TYPE COUNT" line per entity type in name
// order, then "problems COUNT" for what its recovering reader and audit report. On failure, why.
QString countDxfEntities(const QString &path);

QByteArray ReadFile(const QString &path);

} // namespace digitrace::test
