#include "app/window/class_feature.h"

#include "app/window/attribute_strip.h"
#include "app/window/class_panel.h"
#include "app/window/class_status.h"
#include "app/window/job_files.h"
#include "app/window/reception_hold.h"
#include "app/window/selection_marker.h"
#include "app/window/window_dialogs.h"
#include "app/window/window_host.h"
#include "app/window/work_list.h"
#include "display/feature_pick.h"
#include "display/renderer.h"
#include "display/widget/drawing_area.h"
#include "tracing/tracing_session.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLayout>
#include <QMainWindow>
#include <QShortcut>
#include <QStatusBar>
#include <QStringDecoder>
#include <QStyle>

namespace digitrace {
namespace {

// A click within this many pixels of a feature's line or point selects it.
constexpr double kPickPixels = 6;
// No hand-written catalogue comes near this; a larger file is no catalogue.
constexpr qint64 kLargestCatalogue = 16 << 20;

} // namespace

ClassFeature::ClassFeature(WindowHost &host, TracingSession &session, const TraceModel &model,
                           Renderer &renderer, DrawingArea &area, JobFiles &jobFiles)
    : QObject(&host.mainWindow()), host_(host), session_(session), model_(model),
      renderer_(renderer), area_(area) {
    QMainWindow &window = host_.mainWindow();
    auto *open = new QAction(tr("クラス一覧を開く…"), this);
    connect(open, &QAction::triggered, this, &ClassFeature::openCatalogue);
    host_.addMenuAction(MenuGroup::FileClasses, open);

    // Beside the form for a table of classes; the strip below it, as wide as the drawing area.
    panel_ = new ClassPanel(&window);
    panel_->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    window.addDockWidget(Qt::RightDockWidgetArea, panel_);
    workList_ = new WorkList(&window);
    workList_->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    window.addDockWidget(Qt::RightDockWidgetArea, workList_);
    window.splitDockWidget(panel_, workList_, Qt::Vertical);
    strip_ = new AttributeStrip(&window);
    strip_->setAllowedAreas(Qt::TopDockWidgetArea | Qt::BottomDockWidgetArea);
    window.addDockWidget(Qt::BottomDockWidgetArea, strip_);
    for (QDockWidget *dock :
         {static_cast<QDockWidget *>(panel_), static_cast<QDockWidget *>(workList_),
          static_cast<QDockWidget *>(strip_)}) {
        dock->hide();
        QAction *shown = dock->toggleViewAction();
        connect(shown, &QAction::triggered, this, [this, dock](bool show) {
            if (!show || dock->isFloating())
                return;
            if (dock == strip_)
                host_.makeRoomFor(*dock);
            else
                growBeside(*dock);
        });
        host_.addMenuAction(MenuGroup::ViewPanels, shown);
    }
    connect(panel_, &ClassPanel::classClicked, this,
            [this](const QString &name) { session_.chooseClass(name); });
    connect(strip_, &AttributeStrip::confirmRequested, this, &ClassFeature::confirmAttributes);
    connect(strip_, &AttributeStrip::classChangeRequested, this, [this](const QString &name) {
        if (const std::optional<int> slot = strip_->slot();
            slot && session_.changeClass(*slot, name)) {
            showFeatureInStrip(*slot);
            // Its colour is its new class's.
            renderer_.Redraw(area_.surface().backColor());
        }
    });
    connect(workList_, &WorkList::featureClicked, this, &ClassFeature::select);

    for (int row = 0; row < 9; ++row) {
        auto *key = new QShortcut(QKeySequence(Qt::Key_1 + row), &window);
        key->setContext(Qt::WindowShortcut);
        key->setEnabled(false);
        connect(key, &QShortcut::activated, this, [this, row] {
            const std::optional<ClassCatalogue> &catalogue = session_.job().classes.catalogue();
            if (catalogue && row < catalogue->classes().size())
                session_.chooseClass(catalogue->classes().at(row).name);
        });
        keys_ << key;
    }

    marker_ = new SelectionMarker(
        area_, [this](QPointF tablet) { return renderer_.viewState().areaPoint(tablet); });
    connect(marker_, &SelectionMarker::areaClicked, this, &ClassFeature::pickAt);
    // Put in the status line only once a catalogue is in use: even hidden, it would change the
    // line's height.
    status_ = new QLabel(&window);
    status_->setObjectName(QStringLiteral("classStatus"));
    status_->setTextFormat(Qt::PlainText);
    status_->hide();

    // Where the keyboard was before an editor of the strip was clicked, to go back there on Enter.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *old, QWidget *now) {
        if (now && strip_->isAncestorOf(now) && !(old && strip_->isAncestorOf(old)))
            focusBeforeStrip_ = old;
    });
    connect(&session_.journal(), &JobJournal::applied, this, &ClassFeature::jobChanged);
    connect(&jobFiles, &JobFiles::jobReplaced, this, [this] { refreshAll(); });
}

ClassFeature::~ClassFeature() {
    // The renderer outlives this feature: it draws in the designed colours again.
    if (!catalogueText_.isNull())
        renderer_.setFeatureColours({});
}

void ClassFeature::openCatalogue() {
    const ReceptionHold hold(session_);
    const QString path =
        host_.dialogs().chooseOpenFile(tr("クラス一覧(*.txt *.classes);;すべてのファイル(*)"));
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        host_.dialogs().warn(tr("クラス一覧 %1 を開けません: %2").arg(path, file.errorString()));
        return;
    }
    if (file.size() > kLargestCatalogue) {
        host_.dialogs().warn(tr("クラス一覧 %1 は大きすぎます。").arg(path));
        return;
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(file.readAll());
    if (utf8.hasError()) {
        host_.dialogs().warn(tr("クラス一覧 %1 は UTF-8 のテキストではありません。").arg(path));
        return;
    }
    ClassCatalogue::Error error;
    if (!session_.useCatalogue(text, &error) && !error.reason.isEmpty())
        host_.dialogs().warn(
            tr("クラス一覧 %1 を読めません。何も変わっていません。\n%2").arg(path, error.text()));
}

bool ClassFeature::offerWorkList() {
    const QList<UnfinishedFeature> unfinished =
        unfinishedFeatures(session_.job().classes.forOutput());
    if (unfinished.isEmpty())
        return true;
    const ReceptionHold hold(session_);
    const int answer =
        host_.dialogs().ask(tr("必須の属性が空の地物が %1 件あります。作業リストで確かめますか？")
                                .arg(unfinished.size()),
                            {tr("作業リストを見る"), tr("このまま続ける"), tr("キャンセル")});
    if (answer == 1)
        return true;
    if (answer == 0) {
        workList_->showFeatures(unfinished);
        if (!workList_->isVisible()) {
            workList_->show();
            growBeside(*workList_);
        }
        workList_->raise();
    }
    return false;
}

void ClassFeature::select(int slot) {
    const ClassedFeatures &features = session_.job().classes.features();
    if (!features.contains(slot))
        return;
    selected_ = slot;
    showFeatureInStrip(slot);
    marker_->mark(featureOutline(model_.store(), slot));
}

void ClassFeature::confirmAttributes() {
    const std::optional<int> slot = strip_->slot();
    if (!slot)
        return;
    QString bad;
    const std::optional<QVariantMap> values = strip_->values(&bad);
    if (!values) {
        strip_->showRefusal(tr("%1 の値が読めません。").arg(bad));
        return;
    }
    if (!session_.setAttributes(*slot, *values)) {
        strip_->showRefusal(tr("この値は記録できません。"));
        return;
    }
    strip_->markConfirmed();
    // The keyboard goes back where it was, and keys 1–9 choose classes again.
    if (strip_->isAncestorOf(QApplication::focusWidget())) {
        QWidget *back = focusBeforeStrip_ ? focusBeforeStrip_.data() : &area_;
        back->setFocus();
    }
}

void ClassFeature::jobChanged(const JournalEntry &entry) {
    if (is<entry::Record>(entry)) {
        recordApplied();
        return;
    }
    refreshAll();
    // Values journalled by another hand show in the strip, unless the operator is typing.
    if (const auto *values = std::get_if<entry::Attributes>(&entry);
        values && strip_->slot() == values->slot && !strip_->edited())
        showFeatureInStrip(values->slot);
}

void ClassFeature::recordApplied() {
    const FeatureClasses &classes = session_.job().classes;
    if (!classes.catalogue())
        return;
    const TraceStore &store = model_.store();
    const ClassedFeatures &features = classes.features();
    const bool oneMore = features.size() == features_ + 1;
    const bool changed = features.size() != features_;
    if (changed) {
        const int row = features.isEmpty() ? -1 : panel_->rowOf(features.last().className);
        if (oneMore && row >= 0 && row < counts_.size())
            panel_->showCount(row, ++counts_[row]);
        else
            refreshCounts();
        features_ = features.size();
    }
    // A feature is finished when its sequence ends, or when a new line starts after it.
    std::optional<int> finished;
    if (!features.isEmpty() && ((lineOpen_ && !store.SeqOpen) || store.PointCount != points_))
        finished = features.lastKey();
    else if (lineOpen_ && store.SeqOpen && oneMore && features.size() > 1)
        finished = std::prev(features.cend(), 2).key();
    lineOpen_ = store.SeqOpen;
    points_ = store.PointCount;
    if (finished && !strip_->edited()) {
        selected_.reset();
        marker_->mark(std::nullopt);
        showFeatureInStrip(*finished);
    }
    if (changed || finished)
        refreshStatus();
}

void ClassFeature::refreshAll() {
    const FeatureClasses &classes = session_.job().classes;
    const QString text = classes.catalogue() ? classes.catalogue()->text() : QString();
    if (text != catalogueText_ || text.isNull() != catalogueText_.isNull()) {
        catalogueText_ = text;
        showCatalogue();
    }
    if (!classes.catalogue())
        return;
    refreshCounts();
    panel_->showCurrent(classes.current());
    const TraceStore &store = model_.store();
    lineOpen_ = store.SeqOpen;
    points_ = store.PointCount;
    if (const std::optional<int> shown = strip_->slot();
        shown && !classes.features().contains(*shown))
        strip_->showFeature(0, nullptr, {});
    if (selected_ && classes.features().contains(*selected_)) {
        marker_->mark(featureOutline(store, *selected_));
    } else {
        selected_.reset();
        marker_->mark(std::nullopt);
    }
    if (workList_->isVisible())
        workList_->showFeatures(unfinishedFeatures(classes.forOutput()));
    refreshStatus();
}

void ClassFeature::refreshCounts() {
    const ClassedFeatures &features = session_.job().classes.features();
    for (int &count : counts_)
        count = 0;
    for (const ClassedFeature &f : features)
        if (const int row = panel_->rowOf(f.className); row >= 0 && row < counts_.size())
            ++counts_[row];
    for (int row = 0; row < counts_.size(); ++row)
        panel_->showCount(row, counts_.at(row));
    features_ = features.size();
}

void ClassFeature::showCatalogue() {
    const std::optional<ClassCatalogue> &catalogue = session_.job().classes.catalogue();
    // The strip's class belonged to the catalogue that went.
    strip_->showFeature(0, nullptr, {});
    selected_.reset();
    marker_->mark(std::nullopt);
    panel_->showClasses(catalogue ? &*catalogue : nullptr);
    QStringList names;
    if (catalogue)
        for (const FeatureClass &c : catalogue->classes())
            names << c.name;
    strip_->setClassNames(names);
    counts_ = QList<int>(catalogue ? catalogue->classes().size() : 0, 0);
    colours_.clear();
    if (catalogue)
        for (const FeatureClass &c : catalogue->classes())
            if (!c.colour.isEmpty()) {
                const QColor colour = classColour(c.colour);
                colours_.insert(c.name, {std::uint8_t(colour.red()), std::uint8_t(colour.green()),
                                         std::uint8_t(colour.blue())});
            }
    for (QShortcut *key : keys_)
        key->setEnabled(catalogue.has_value());
    if (catalogue)
        renderer_.setFeatureColours([this](int firstSlot) { return colourOf(firstSlot); });
    else
        renderer_.setFeatureColours({});
    renderer_.Redraw(area_.surface().backColor());
    if (catalogue && status_->parentWidget() != host_.mainWindow().statusBar())
        host_.mainWindow().statusBar()->addPermanentWidget(status_);
    status_->setVisible(catalogue.has_value());
    showPanels(catalogue.has_value());
}

void ClassFeature::showFeatureInStrip(int slot) {
    const FeatureClasses &classes = session_.job().classes;
    const auto feature = classes.features().constFind(slot);
    if (feature == classes.features().cend() || !classes.catalogue())
        return;
    strip_->showFeature(slot, classes.catalogue()->find(feature->className), feature->values);
}

void ClassFeature::showPanels(bool shown) {
    if (!shown) {
        for (QDockWidget *dock :
             {static_cast<QDockWidget *>(panel_), static_cast<QDockWidget *>(workList_),
              static_cast<QDockWidget *>(strip_)})
            dock->hide();
        return;
    }
    if (!panel_->isVisible()) {
        panel_->show();
        growBeside(*panel_);
    }
    if (!strip_->isVisible()) {
        strip_->show();
        host_.makeRoomFor(*strip_);
    }
}

void ClassFeature::growBeside(QDockWidget &panel) {
    // The form keeps its width, so that the toolbar strip shows every control.
    QMainWindow &window = host_.mainWindow();
    if (panel.isFloating() || window.isMaximized() || window.isFullScreen())
        return;
    const int extra =
        panel.sizeHint().width() +
        window.style()->pixelMetric(QStyle::PM_DockWidgetSeparatorExtent, nullptr, &window);
    window.resize(window.width() + extra, window.height());
}

void ClassFeature::refreshStatus() {
    const FeatureClasses &classes = session_.job().classes;
    if (!classes.catalogue())
        return;
    status_->setText(classStatusText(classes, model_.store()));
    // Room for it now, so that a picture taken before the next turn of the event loop shows it
    // whole.
    if (status_->isVisible() && status_->sizeHint().width() > status_->width())
        if (QLayout *layout = status_->parentWidget()->layout())
            layout->activate();
}

std::optional<Rgb> ClassFeature::colourOf(int firstSlot) const {
    const ClassedFeatures &features = session_.job().classes.features();
    const auto feature = features.constFind(firstSlot);
    if (feature == features.cend())
        return std::nullopt;
    const auto colour = colours_.constFind(feature->className);
    return colour == colours_.cend() ? std::nullopt : std::optional<Rgb>(*colour);
}

void ClassFeature::pickAt(QPointF at) {
    if (!session_.job().classes.catalogue())
        return;
    const std::optional<int> slot =
        pickFeature(model_.store(), renderer_.viewState(), at, kPickPixels);
    if (slot && session_.job().classes.features().contains(*slot)) {
        select(*slot);
        return;
    }
    selected_.reset();
    marker_->mark(std::nullopt);
}

} // namespace digitrace
