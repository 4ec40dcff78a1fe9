// The closing-options dialog: four checks that inventory-costing closing may
// skip, read and written independently of the main parameter dialog.

#include "zx/closing/frmICSystemProfiles.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QVBoxLayout>

#include "zx/frame/Face.h"
#include "zx/frame/ParamHistory.h"
#include "zx/host/Environment.h"
#include "zx/params/Business.h"
#include "zx/params/Declared.h"
#include "zx/session/MNetControl.h"
#include "zx/session/Session.h"
#include "zx/store/Store.h"

using namespace zx::host;

namespace zx::closing {

namespace {

const QString kTopic = QStringLiteral("GLSystemSetting.frmICSystemProfiles");

// The closing options: every parameter declared in their group, in order.
const QList<const params::Param*>& options() {
    static const QList<const params::Param*> list = [] {
        QList<const params::Param*> out;
        for (const params::Declared& d : params::declared()) {
            if (d.group == std::string_view("closing")) out << d.param;
        }
        return out;
    }();
    return list;
}

frame::FrameSetup setup() {
    return {QStringLiteral("frmICSystemProfiles"),
            QStringLiteral("系统参数"),
            kTopic,
            QStringLiteral("确定(&O)"),
            QStringLiteral("保存修改(&S)"),
            QStringLiteral("关闭(&X)"),
            true};
}

}  // namespace

frmICSystemProfiles::frmICSystemProfiles(QWidget* parent) : DialogFrame(setup(), parent) {
    frame::face::Nodes boxes;
    for (const params::Param* p : options()) boxes.push_back(frame::face::place(*p));
    body()->addWidget(frame::face::build(
        frame::face::group(QStringLiteral("framSet"), QStringLiteral("结账检查参数"), boxes),
        this));
    finishFace();
    new frame::HistoryOffer(*this, [] { return options(); });
    attempt([this] {
        RegisterHelpWindow(kTopic, qint32(winId()));
        env().dialogService().PrepareForm(this);
    });
    setTag(QString());
}

frmICSystemProfiles::~frmICSystemProfiles() {
    ResultTag = Tag();
}

void frmICSystemProfiles::resetLedgerObjects() {
    profile_.reset();
    glData_.reset();
    glData_ = createObject<GLData>();
    profile_ = glData_->SystemProfile();
}

void frmICSystemProfiles::loadValues() {
    resetLedgerObjects();
    setModifyRight();
    profile_->Refresh();
    baseline_.clear();
    for (const params::Param* p : options()) {
        const QString stored = profile_->GetSystemProfile(params::categoryName(p->cat),
                                                          params::keyOf(*p), params::defaultOf(*p));
        controls().setState(*p, params::decode(*p, stored));
        baseline_.loaded(*p, stored);
    }
    // This product variant closes without these checks.
    if (GetAppInfo().appType == 1) {
        for (const params::Param* p : options()) {
            auto* box = controls().get<QCheckBox>(p->control);
            box->setVisible(false);
            box->setCheckState(Qt::Unchecked);
        }
    }
    baseline_.settle([this](const params::Param& p) { return controls().state(p); });
}

bool frmICSystemProfiles::saveValues() {
    QCoreApplication::processEvents();
    auto stateOf = [this](const params::Param& p) { return controls().state(p); };
    // What another workstation saved since the load and this user changed
    // too is refused before anything is written.
    auto fresh = createObject<GLSystemProfile>();
    fresh->Refresh();
    const QList<const params::Param*> conflicts =
        baseline_.conflicts(stateOf, [&fresh](const params::Param& p) {
            return fresh->GetSystemProfile(params::categoryName(p.cat), params::keyOf(p),
                                           params::defaultOf(p));
        });
    if (!conflicts.isEmpty()) {
        return refuse({QStringLiteral("参数“%1”已被其他用户修改，请关闭后重新打开。")
                           .arg(params::captionOf(*conflicts.first()))});
    }
    auto writer = createService<BaseSystemProfile>();
    store::WriteUnit unit;  // the four together or none
    for (const params::Param* p : options()) {
        // Only what the user changed: a stored value the box cannot show
        // stays as it is.
        const params::State now = stateOf(*p);
        if (!baseline_.changed(*p, now)) continue;
        store::writeValue(*writer, params::categoryName(p->cat), params::keyOf(*p),
                          params::encode(*p, now, baseline_.storedText(*p)));
    }
    unit.commit();
    resetLedgerObjects();
    SetChanged(false);
    // A save of the main dialog may still hold the function lock: these
    // parameters are stored, so let it go.
    MNetControl::CommitTask(MNetControl::LockHandle());
    return true;
}

void frmICSystemProfiles::done(int result) {
    ResultTag = Tag();
    DialogFrame::done(result);
}

}  // namespace zx::closing
