#pragma once

// The parameter dialog on a demo account set, driven as a user would: the
// first activation has run, questions are answered from a queue, and every
// text the host shows is recorded. Link zxsystemsetting and zx_refhost.

#include <QQueue>
#include <QStringList>
#include <QTest>
#include <functional>
#include <memory>

#include "DemoSet.h"
#include "zx/host/Environment.h"
#include "zx/profiles/frmSystemProfiles.h"
#include "zx/session/Session.h"

struct DialogHarness {
    using Prepare = std::function<void(DialogHarness&)>;

    // `prepare` runs on the account set before the dialog opens.
    explicit DialogHarness(const QString& user = QStringLiteral("administrator"),
                           const Prepare& prepare = {})
        : set(true, user) {
        zx::ResetSessionCaches();
        set.host->setMessageSink([this](const QString& kind, const QString& text) {
            if (kind != QLatin1String("answer")) shown << kind + QLatin1Char(':') + text;
        });
        set.host->setAnswerHook([this](const QString& text, zx::host::MsgButtons buttons,
                                       zx::host::MsgIcon) -> std::optional<zx::host::MsgResult> {
            if (buttons == zx::host::MsgButtons::Ok) return zx::host::MsgResult::Ok;
            if (answers.isEmpty()) {
                unanswered << text;
                return zx::host::MsgResult::No;
            }
            return answers.dequeue();
        });
        if (prepare) prepare(*this);
        open();
    }

    ~DialogHarness() {
        dialog.reset();
        zx::ResetSessionCaches();
    }

    // A new dialog, loaded as at its first activation.
    void open() {
        dialog = std::make_unique<zx::profiles::frmSystemProfiles>();
        dialog->Form_Activate();
    }

    template <class T>
    T* c(const QString& name) {
        T* w = dialog->findChild<T*>(name);
        if (!w) qFatal("no control %s", qPrintable(name));
        return w;
    }

    // Parameters straight in the account set.
    void setParam(const QString& category, const QString& key, const QString& value) {
        set.db->nativeExec(QStringLiteral("INSERT INTO t_SystemProfile(FCategory, FKey, FValue) "
                                          "VALUES (?, ?, ?) ON CONFLICT (FCategory, FKey) DO "
                                          "UPDATE SET FValue = excluded.FValue"),
                           {category, key, value});
    }
    void removeParam(const QString& category, const QString& key) {
        set.db->nativeExec(
            QStringLiteral("DELETE FROM t_SystemProfile WHERE FCategory = ? AND FKey = ?"),
            {category, key});
    }
    // The stored text, or a null QString when the parameter does not exist.
    QString param(const QString& category, const QString& key) {
        auto rs = set.db->nativeQuery(
            QStringLiteral("SELECT FValue FROM t_SystemProfile WHERE FCategory = ? AND FKey = ?"),
            {category, key});
        if (rs->RecordCount() == 0) return QString();
        rs->MoveFirst();
        return rs->Field(0).toString();
    }

    void answer(zx::host::MsgResult result) { answers.enqueue(result); }
    void answerYes() { answer(zx::host::MsgResult::Yes); }
    void answerNo() { answer(zx::host::MsgResult::No); }
    // Texts shown of one kind ("message", "error", "question").
    QStringList shownOf(const QString& kind) const {
        QStringList out;
        for (const QString& s : shown) {
            if (s.startsWith(kind + QLatin1Char(':'))) out << s.mid(kind.size() + 1);
        }
        return out;
    }

    DemoSet set;
    std::unique_ptr<zx::profiles::frmSystemProfiles> dialog;
    QStringList shown;
    QQueue<zx::host::MsgResult> answers;
    QStringList unanswered;
};
