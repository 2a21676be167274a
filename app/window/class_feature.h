#pragma once

#include "job/journal_entries.h"
#include "model/rgb.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QWidget>

#include <optional>

class QAction;
class QDockWidget;
class QLabel;
class QShortcut;

namespace digitrace {

class AttributeStrip;
class ClassPanel;
class DrawingArea;
class JobFiles;
class Renderer;
class SelectionMarker;
class TraceModel;
class TracingSession;
class WindowHost;
class WorkList;

// Tracing into classes in the window: ファイル → クラス一覧を開く…, the class panel (the legend,
// keys 1–9), the attribute strip below the drawing area, the selection of a feature by a click,
// the class colours of the picture, the open feature's class in the status line and the work list
// offered before an output. Without a catalogue none of it shows and the window is the designed
// one.
class ClassFeature : public QObject {
    Q_OBJECT
public:
    ClassFeature(WindowHost &host, TracingSession &session, const TraceModel &model,
                 Renderer &renderer, DrawingArea &area, JobFiles &jobFiles);
    ~ClassFeature() override;

    // クラス一覧を開く…
    void openCatalogue();
    // Before an export or a publish: the work list is offered when features lack required
    // values. False when the operator chose to see it or cancelled.
    bool offerWorkList();
    // The feature begun at `slot`, in the strip and marked in the picture.
    void select(int slot);
    std::optional<int> selected() const { return selected_; }
    // Enter in the strip.
    void confirmAttributes();

    ClassPanel &panel() { return *panel_; }
    AttributeStrip &strip() { return *strip_; }
    WorkList &workList() { return *workList_; }
    QLabel &statusPart() { return *status_; }

private:
    void jobChanged(const JournalEntry &entry);
    void recordApplied();
    void refreshAll();
    void refreshCounts();
    void refreshStatus();
    void showCatalogue();
    void showFeatureInStrip(int slot);
    void showPanels(bool shown);
    void growBeside(QDockWidget &panel);
    std::optional<Rgb> colourOf(int firstSlot) const;
    void pickAt(QPointF at);

    WindowHost &host_;
    TracingSession &session_;
    const TraceModel &model_;
    Renderer &renderer_;
    DrawingArea &area_;
    ClassPanel *panel_;
    AttributeStrip *strip_;
    WorkList *workList_;
    SelectionMarker *marker_;
    QLabel *status_;
    QList<QShortcut *> keys_;
    // What the panel shows, so that a record changes one count at most.
    QString catalogueText_;
    QHash<QString, Rgb> colours_;
    QList<int> counts_;
    qsizetype features_ = 0;
    bool lineOpen_ = false;
    int points_ = 0;
    std::optional<int> selected_;
    QPointer<QWidget> focusBeforeStrip_;
};

} // namespace digitrace
