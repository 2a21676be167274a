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
    emit recordArriving(record.text);
    emit recordTaken(journal_.apply(entry::Record{record.text, record.fields}));
}

void TracingSession::back() {
    journal_.apply(entry::Back{});
}

void TracingSession::clear() {
    journal_.apply(entry::Clear{});
}

void TracingSession::undoClear() {
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

ReplayResult TracingSession::openJob(QIODevice &journal, const QString &jobFile,
                                     double tabletUnitMm, const EntryObserver &observe) {
    model_.setTabletUnitMm(tabletUnitMm);
    return journal_.load(journal, jobFile, observe);
}

ReplayResult TracingSession::reopenRecent(const QString &path, double tabletUnitMm) {
    model_.setTabletUnitMm(tabletUnitMm);
    return journal_.reopenRecent(path);
}

} // namespace digitrace
