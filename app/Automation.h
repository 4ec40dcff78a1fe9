#pragma once

// Automation of the live dialog for the executable: screenshots, a dump of
// every named control, and a line-based script acting as a user would.

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace refhost {
class RefHost;
}
namespace zx::profiles {
class frmSystemProfiles;
}

namespace app {

// One JSON object per named control of `root`, one per line.
QStringList dumpControls(QWidget* root);

// Writes one PNG per visible page and inner page of the dialog into dir.
// Returns the files written; raises std::runtime_error when one cannot be.
QStringList takeScreenshots(zx::profiles::frmSystemProfiles& dialog, const QString& dir);

// Runs a script against the live dialog. Lines:
//   set NAME VALUE    check state 0/1/2, option 1, combo index or entry text,
//                     text, numeric value, date yyyy-MM-dd, tree node text
//   click NAME        a button, check box or option; or a tab page "Stab(3)"
//   answer yes|no     queues the answer to the next question or confirmation
//   dump              prints the controls as JSON lines
//   expect-closed     the dialog must be closed by now
// Blank lines and lines starting with '#' are skipped. Lines run one after
// another from the event loop, so a line may act in a modal window that an
// earlier line opened; a name is looked up in the active modal window first.
class ScriptRunner {
public:
    using Print = std::function<void(const QString&)>;

    ScriptRunner(refhost::RefHost& host, QStringList lines, Print print);

    // Starts running against the dialog once it is shown and loaded.
    void start(zx::profiles::frmSystemProfiles& dialog);
    // Runs whatever is left after the dialog has gone (only expect-closed
    // and dump can pass then).
    void finish();

    bool failed() const { return failed_; }
    bool done() const { return next_ >= lines_.size(); }

private:
    void step();
    void runLine(const QString& line);
    void fail(const QString& why);
    QWidget* find(const QString& name) const;

    refhost::RefHost& host_;
    QStringList lines_;
    Print print_;
    qsizetype next_ = 0;
    QList<bool> answers_;
    bool failed_ = false;
    zx::profiles::frmSystemProfiles* dialog_ = nullptr;
};

}  // namespace app
