#pragma once

// Automation of the live dialog for the executable: screenshots, a dump of
// every named control, and a line-based script acting as a user would.

#include <QList>
#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class QMessageBox;
class QWidget;

namespace refhost {
class RefHost;
}
namespace zx::profiles {
class frmSystemProfiles;
}

namespace app {

// One JSON object per line: first the window itself, then every named
// control of it. `visible` tells whether a user sees the control once its
// page is shown (a control in a hidden frame does not count); `rect` is its
// place in the window, x y width height, while it is on screen.
QStringList dumpControls(QWidget* window);

// The window as the user would see it with every scroll area of the shown
// pages opened to its whole content: nothing below the fold is lost.
QPixmap grabWhole(QWidget* window);

// Writes one PNG per visible page and inner page of the dialog into dir.
// Returns the files written; raises std::runtime_error when one cannot be.
QStringList takeScreenshots(zx::profiles::frmSystemProfiles& dialog, const QString& dir);

// Runs a script against the live windows. Each line acts in the topmost
// window open at that moment: the dialog, or a window or message box that an
// earlier line opened. Lines:
//   set NAME VALUE      check state 0/1/2, option 1, combo index or entry text,
//                       text, numeric value, date yyyy-MM-dd, tree node text
//   click NAME          a button, check box or option; or a tab page "Stab(3)"
//   history NAME        opens the recorded changes of the parameter the control
//                       shows (frmParamHistory, closed by cmdClose)
//   answer yes|no       answers the open question, else the next one to come
//   dump                prints the window and its controls as JSON lines
//   shot NAME           saves the window as DIR/NAME.png
//   expect-window TEXT  the topmost window has this title (or object name)
//   expect-closed       the dialog must be closed by now
// Blank lines and lines starting with '#' are skipped.
//
// Lines run from a timer, from the runner's construction on: a message
// shown while the dialog opens is acted in like any other window, and the
// lines for the dialog wait until it has loaded. A line that opens a modal
// window lets the next lines run inside it; the opening line ends when that
// window closes. A
// message with only 确定 is confirmed before any line but dump, shot and
// expect-window; an open question must be answered by the next lines. A line that is still at work
// after the time limit fails the script; when the program cannot even get
// back to its event loop, a watchdog ends the process with `failExitCode`.
class ScriptRunner : public QObject {
public:
    using Print = std::function<void(const QString&)>;

    struct Options {
        QString shotDir;  // folder of `shot`
        std::chrono::milliseconds timeout{30000};
        int failExitCode = 3;  // the watchdog's exit code
    };

    ScriptRunner(refhost::RefHost& host, QStringList lines, Print print, Options options);
    ~ScriptRunner() override;

    // Starts running against the dialog once it is shown and loaded.
    void start(zx::profiles::frmSystemProfiles& dialog);
    // Runs whatever is left after the dialog has gone (only expect-closed
    // can pass then) and checks that every prepared answer was used.
    void finish();

    bool failed() const { return failed_; }
    // Whether the dialog opened: false when the user was refused it.
    bool dialogOpened() const { return started_; }
    bool done() const { return next_ >= lines_.size(); }

private:
    struct Running {
        QPointer<QWidget> window;  // the window the line acts in
        int line = 0;
    };

    void tick();
    void endScript(QWidget* top);
    void runLine(int number, const QString& line, QWidget* top);
    void execute(int number, const QString& raw, QWidget* top);
    void answer(int number, const QString& word, QWidget* top);
    void look(int number, const QString& verb, const QString& rest, QWidget* top);
    void act(int number, const QString& verb, const QString& text, QWidget* top);
    void history(int number, const QString& name, QWidget* top);
    bool clickPage(int number, const QString& name, QWidget* top);
    QWidget* reachable(int number, const QString& name, QWidget* top);
    void setValue(int number, QWidget* w, const QString& name, const QString& value);
    enum class Answer { Yes, No, Cancel };
    static QString answerWord(Answer answer);
    void answerBox(QMessageBox* box, Answer answer);
    void fail(int number, const QString& why);
    QWidget* topWindow() const;
    int currentLine() const;

    void progress();
    void watch();
    void stopWatching();

    refhost::RefHost& host_;
    QStringList lines_;
    Print print_;
    Options options_;
    qsizetype next_ = 0;
    QList<Answer> answers_;
    bool failed_ = false;
    QPointer<zx::profiles::frmSystemProfiles> dialog_;
    QList<Running> running_;
    QPointer<QWidget> seen_;  // the topmost window at the last tick
    bool ticking_ = false;

    std::thread watchdog_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::chrono::steady_clock::time_point deadline_;
    bool stopping_ = false;
    std::atomic<int> lineAtWork_{0};
    std::atomic<bool> started_{false};
    std::atomic<bool> failedSeen_{false};
};

}  // namespace app
