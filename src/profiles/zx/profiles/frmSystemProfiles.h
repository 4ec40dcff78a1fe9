#pragma once

// The system parameter dialog. For now a placeholder that carries the
// completion marker the entry class reads; the pages come later.

#include <QDialog>
#include <QString>
#include <functional>

namespace zx::profiles {

class frmSystemProfiles : public QDialog {
    Q_OBJECT

public:
    // Receives the tag text when the dialog unloads, so a marker set before
    // the dialog closed itself is not lost.
    QString ResultTag;

    explicit frmSystemProfiles(QWidget* parent = nullptr);
    ~frmSystemProfiles() override;

    // The completion marker ("OK" once a module start-up was completed).
    QString Tag() const { return tag_; }
    void setTag(const QString& tag) { tag_ = tag; }

    // Called once the dialog is on screen, inside its modal loop; lets a
    // test act on a dialog it cannot reach otherwise.
    static std::function<void(frmSystemProfiles&)> onShown;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Unload();

    QString tag_;
    bool shownOnce_ = false;
};

}  // namespace zx::profiles
