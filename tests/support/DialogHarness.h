#pragma once

// The parameter dialog on a demo account set, driven as a user would: the
// first activation has run, questions are answered from a queue, and every
// text the host shows is recorded. Link zxsystemsetting and zx_refhost.

#include <QLineEdit>
#include <QMap>
#include <QQueue>
#include <QStringList>
#include <QTest>
#include <functional>
#include <memory>

#include "DemoSet.h"
#include "zx/frame/IntText3D.h"
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

    // Every stored parameter ("Category/Key" -> text), of one category or all.
    QMap<QString, QString> stored(const QString& category = QString()) {
        const QString sql = QStringLiteral("SELECT FCategory, FKey, FValue FROM t_SystemProfile");
        auto rs =
            category.isEmpty()
                ? set.db->nativeQuery(sql)
                : set.db->nativeQuery(sql + QStringLiteral(" WHERE FCategory = ?"), {category});
        QMap<QString, QString> out;
        for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
            out.insert(rs->Field(0).toString() + QLatin1Char('/') + rs->Field(1).toString(),
                       rs->Field(2).toString());
        }
        return out;
    }
    // "Category/Key" of the parameters whose stored text differs between two
    // snapshots (added or removed rows included).
    static QStringList differing(const QMap<QString, QString>& before,
                                 const QMap<QString, QString>& after) {
        QStringList out;
        for (auto it = after.begin(); it != after.end(); ++it) {
            if (!before.contains(it.key()) || before.value(it.key()) != it.value()) out << it.key();
        }
        for (auto it = before.begin(); it != before.end(); ++it) {
            if (!after.contains(it.key())) out << it.key();
        }
        out.sort();
        return out;
    }

    // The read-only state's lock: a value stays readable, but nothing the
    // user does changes it.
    static bool locked(const QWidget* w) {
        if (auto* number = qobject_cast<const zx::frame::IntText3D*>(w)) return number->Locked();
        if (auto* edit = qobject_cast<const QLineEdit*>(w)) return edit->isReadOnly();
        return w->testAttribute(Qt::WA_TransparentForMouseEvents) &&
               w->focusPolicy() == Qt::NoFocus;
    }
    bool locked(const QString& name) { return locked(c<QWidget>(name)); }

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
