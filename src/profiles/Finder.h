#pragma once

// The search box above the pages: finds a setting by a part of its caption,
// shows its page (and inner page) and marks it. It holds no parameter.

#include <QObject>
#include <QPointer>
#include <QString>
#include <vector>

class QLabel;
class QLineEdit;
class QTabWidget;
class QWidget;

namespace zx::profiles {

class FoundMark;

class Finder : public QObject {
    Q_OBJECT
public:
    // Builds the search row in `dialog`; it searches the pages of `pages`.
    Finder(QWidget* dialog, QTabWidget* pages);
    ~Finder() override;

    QWidget* bar() const { return bar_; }
    QLineEdit* box() const { return box_; }

    // A caption as the search compares it: without blanks (the full-width
    // padding included), accelerator marks and letter case.
    static QString comparable(const QString& caption);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Hit {
        QPointer<QWidget> target;  // the control found
        QPointer<QWidget> label;   // the label in front of it, if any
        QString caption;
        int page = -1;
        QPointer<QTabWidget> inner;  // the inner tab set it sits in, if any
        int innerPage = -1;
    };

    void search();
    void next(int step);
    void show(int index);
    std::vector<Hit> hits(const QString& wanted) const;
    bool reachable(QWidget* w, int page, Hit& hit) const;

    QTabWidget* pages_;
    QWidget* bar_ = nullptr;
    QLineEdit* box_ = nullptr;
    QLabel* status_ = nullptr;
    QPointer<FoundMark> mark_;
    std::vector<Hit> hits_;
    int current_ = -1;
};

}  // namespace zx::profiles
