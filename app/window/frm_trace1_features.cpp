#include "app/window/frm_trace1.h"

#include "app/window/class_feature.h"
#include "app/window/class_store_feature.h"
#include "app/window/dxf_export_feature.h"
#include "app/window/edge_feature.h"
#include "app/window/gis_export_feature.h"
#include "app/window/help_feature.h"
#include "app/window/job_files.h"
#include "app/window/port_feature.h"
#include "app/window/publish_feature.h"
#include "app/window/sheet_registration.h"
#include "app/window/snap_feature.h"
#include "app/window/status_feature.h"
#include "app/window/tablet_cursor.h"
#include "app/window/tablet_menu_feature.h"
#include "app/window/topology_feature.h"
#include "app/window/trace_navigation.h"
#include "app/window/window_menus.h"
#include "app/window/window_notices.h"
#include "app/window/window_placement.h"
#include "display/widget/drawing_area.h"

#include <QMenu>

namespace digitrace {

// The features, in one list. Each is made with what it declares it needs (the session, the
// model, the features it names), so a feature always comes after those it names and goes before
// them; none listens to another until every one exists.
void frmTrace1::createFeatures() {
    WindowHost &host = *this;
    placement_ = std::make_unique<WindowPlacement>(*this);
    menus_ = std::make_unique<WindowMenus>(*this);
    renderer_ = std::make_unique<Renderer>(model_.store(), ui_.picDigit->surface());
    sheet_ = std::make_unique<SheetRegistration>(host, session_, model_);
    dxfExport_ = std::make_unique<DxfExportFeature>(host, session_, model_);
    gisExport_ = std::make_unique<GisExportFeature>(host, session_, *sheet_, model_);
    status_ = std::make_unique<StatusFeature>(*this, session_, *ui_.picDigit,
                                              renderer_->viewState(), *sheet_);
    portFeature_ = std::make_unique<PortFeature>(host, session_, model_, *status_);
    jobFiles_ = std::make_unique<JobFiles>(host, session_, model_, *portFeature_);
    navigation_ = std::make_unique<TraceNavigation>(*ui_.picDigit, *renderer_, model_, this);
    classes_ = std::make_unique<ClassFeature>(host, session_, model_, *renderer_, *ui_.picDigit,
                                              *jobFiles_);
    topology_ = std::make_unique<TopologyFeature>(host, session_, model_, *renderer_, *ui_.picDigit,
                                                  *navigation_, *jobFiles_);
    publish_ = std::make_unique<PublishFeature>(host, session_, *sheet_, model_);
    classStore_ = std::make_unique<ClassStoreFeature>(host, session_, *publish_);
    edges_ =
        std::make_unique<EdgeFeature>(host, session_, model_, *publish_, *renderer_, *ui_.picDigit);
    tabletCursor_ = std::make_unique<TabletCursor>(session_, *ui_.picDigit, renderer_->viewState(),
                                                   *status_, this);
    notices_ = std::make_unique<WindowNotices>(*this, *ui_.form, *placement_, status_->line());
    help_ = std::make_unique<HelpFeature>(host);
    tabletMenu_ = std::make_unique<TabletMenuFeature>(host, session_);
    snap_ = std::make_unique<SnapFeature>(host, session_);
    // Job files and the view's navigation leave their items to the window.
    menus_->add(MenuGroup::FileJob, jobFiles_->actions());
    menus_->add(MenuGroup::FileJob, jobFiles_->recentMenu()->menuAction());
    menus_->add(MenuGroup::ViewNavigation, navigation_->actions());
}

} // namespace digitrace
