#pragma once

// The frame both parameter dialogs share: OK, Save and Close with the
// question before leaving, the changed state, the help key, the read-only
// state with its notice, a short status after a save, and the one place
// where an error of the host is caught and shown.

#include <QDialog>
#include <QHash>
#include <QPointer>
#include <QString>
#include <QVariant>
#include <array>
#include <functional>
#include <limits>
#include <optional>
#include <type_traits>

#include "zx/frame/Controls.h"
#include "zx/host/HostError.h"
#include "zx/rules/Rules.h"

class QLabel;
class QPushButton;
class QVBoxLayout;

namespace zx::frame {

using rules::Refusal;

struct FrameSetup {
    QString objectName;
    QString title;
    QString helpTopic;
    // Captions of OK, Save and Close, and the order the buttons stand in.
    QString ok, save, close;
    bool saveFirst = false;
};

class DialogFrame : public QDialog {
    Q_OBJECT
public:
    DialogFrame(const FrameSetup& setup, QWidget* parent);
    ~DialogFrame() override;

    // The user changed something since the load: a control shows another
    // value than it did then, or a page said so (SetChanged(true)). A change
    // undone by hand is no change.
    bool IsChanged() const { return forced_ || !differing_.isEmpty(); }
    bool Loading() const { return loading_; }
    bool CanModify() const { return canModify_; }
    // Whether the size and place the user leaves the window at are stored:
    // by default not on a platform without a screen. Runs that only look
    // (dumps, screenshots, scripts) set false; a test may set true.
    static void keepGeometry(std::optional<bool> keep);
    static bool geometryKept();
    // The dialog cannot save: the user may only view, or a value could not be read.
    bool readOnly() const { return !readOnlyReason_.isEmpty(); }

    // True marks the dialog changed (ignored while loading or read-only);
    // false takes what the controls show now as the state to compare with.
    void SetChanged(bool changed);
    // The value controls that show another value than at the load.
    const QList<QWidget*>& changedControls() const { return differing_; }

    // Runs a rule that reacts to a change of the `cause` controls. What the
    // rule changes in other controls is remembered; when the cause comes
    // back to what it showed at the load, those controls come back to what
    // they showed before the rule acted.
    void react(const QList<QWidget*>& cause, const std::function<void()>& rule);

    // The completion marker ("OK" once a module start-up was completed).
    QString Tag() const { return tag_; }
    void setTag(const QString& tag) { tag_ = tag; }

    // Runs a handler; a host error reaching it is shown through the host's
    // dialog service and false is returned. The one place errors are caught.
    template <class Work>
    bool attempt(Work&& work) {
        return guarded([&work]() -> bool {
            if constexpr (std::is_void_v<std::invoke_result_t<Work&>>) {
                work();
                return true;
            } else {
                return work();
            }
        });
    }
    bool guarded(const std::function<bool()>& work);
    int guardDepth_ = 0;
    // Shows a refusal (its page, its message, the focus) and returns false.
    bool refuse(const Refusal& refusal);

    const Controls& controls() const { return controls_; }

    // Called once the first activation has loaded the values (scripts, tests).
    static std::function<void(DialogFrame&)> onLoaded;

    // The first activation: loads the values. Public for callers that never
    // show the dialog (tests, automation).
    void Form_Activate();

    void btnOK_Click();
    void btnSave_Click();
    void btnClose_Click();

protected:
    // Fills every value; raises on a host error. Sets canModify through setModifyRight.
    virtual void loadValues() = 0;
    // Validates and writes; a refusal has been shown when it returns false.
    virtual bool saveValues() = 0;
    // After OK or Save, whether or not the save succeeded.
    virtual void afterSave() {}
    // Once, after the first activation has loaded the values.
    virtual void firstLoaded() {}
    // What the last save did beyond storing values ("总账已启用 …"), for the status.
    virtual QString savedNote() { return {}; }
    // Where a page of the main tab set is shown (for refusals).
    virtual void showPage(int) {}
    // The help context of what is in view (0: the dialog's topic as a whole).
    virtual qint32 helpContext() const { return 0; }
    // An error of the load as the user is to read it: a dialog that knows
    // its values names the one that could not be read.
    virtual host::HostError explainLoadError(const host::HostError& e) { return e; }
    // Runs a part of the load; its error reaches the caller explained.
    void explained(const std::function<void()>& work);

    // The modify right: administrator, else the modify right of the
    // parameters (an error of the check means no right).
    void setModifyRight();
    // Locks every value control alike and shows why at the top of the dialog.
    void setReadOnly(const QString& reason);
    // A short note in the button row ("已保存 14:03").
    void showStatus(const QString& text);
    // Opens at the size and place the user left it last, else at `size`;
    // never larger than the screen has room for.
    void restoreGeometryOr(const QSize& size);
    void saveGeometry();
    // Indexes the named controls and marks the dialog changed on any change,
    // except for the controls that `unmarked` lists.
    void finishFace(const QStringList& unmarked = {});
    // Runs the load under the error boundary. A load that stops on an error
    // leaves the dialog read-only: nothing half-loaded can be saved.
    void runLoad();
    bool runSave();
    // A part of the load with an error trap of its own: an error is shown and
    // the load goes on, but the dialog will not save what it loaded.
    void loadPart(const std::function<void()>& work);

    QVBoxLayout* body() const { return body_; }
    QPushButton* okButton() const { return btnOK_; }
    QPushButton* saveButton() const { return btnSave_; }
    void hideDialog();

    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    bool loading_ = false;
    bool canModify_ = false;
    bool firstActivate_ = true;
    // Text boxes handed to the host when they get the focus.
    QStringList focusBoxes_;

private:
    void applyReadOnly();
    void updateButtons();
    void refreshChanged();
    void markChangedPages();
    // Asks before leaving with changes: true when the dialog may go.
    bool confirmLeave();
    QHash<QWidget*, QVariant> valuesNow() const;
    void restoreAfter(QWidget* cause);

    FrameSetup setup_;
    Controls controls_;
    QVBoxLayout* body_ = nullptr;
    QLabel* notice_ = nullptr;
    QLabel* status_ = nullptr;
    QPushButton* btnOK_ = nullptr;
    QPushButton* btnSave_ = nullptr;
    QPushButton* btnClose_ = nullptr;
    QString tag_;
    QString readOnlyReason_;
    QString noRight_;  // why the rights service refused the modify right
    bool forced_ = false;
    QList<QWidget*> marked_;            // the controls whose change marks the dialog
    QHash<QWidget*, QVariant> loaded_;  // what each showed when the load ended
    QList<QWidget*> differing_;
    // Per cause of a rule: the controls the rule changed, with what they
    // showed before, in the order it changed them.
    QHash<QWidget*, QList<std::pair<QPointer<QWidget>, QVariant>>> ruleChanges_;
    int reacting_ = 0;
    bool loadFailed_ = false;
    // The place and size as stored for this user; kNone where none is.
    static constexpr int kNone = std::numeric_limits<int>::min();
    int storedGeometry_[4] = {kNone, kNone, kNone, kNone};
    // The place and size the dialog gave itself when it opened.
    std::array<int, 4> placedGeometry_ = {kNone, kNone, kNone, kNone};
    static std::optional<bool> geometryKept_;
};

// The notices of the read-only state.
QString noRightNotice();
QString loadErrorNotice();

}  // namespace zx::frame
