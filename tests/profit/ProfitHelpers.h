#pragma once

// Shared by the profit-account tests: account ids of the demo chart, and the
// account selection window answered from a queue.

#include <QQueue>
#include <QStringList>
#include <optional>

#include "DialogHarness.h"
#include "windows/AccountLookup.h"

inline QString accountId(DialogHarness& h, const QString& number) {
    auto rs = h.set.db->nativeQuery(
        QStringLiteral("SELECT FAccountID FROM t_Account WHERE FNumber = ?"), {number});
    if (rs->RecordCount() == 0) return QString();
    rs->MoveFirst();
    return rs->Field(0).toString();
}

inline QString tagOf(DialogHarness& h, const char* box) {
    return h.c<QWidget>(QString::fromLatin1(box))->property("Tag").toString();
}

// Answers every lookup while it lives: the next queued number, or a cancel
// when the queue is empty. Records the text each lookup was opened on.
struct ScriptedLookups {
    ScriptedLookups() {
        refhost::AccountLookup::setAutomation(
            [this](const QString& text) -> std::optional<QString> {
                openedOn << text;
                if (picks.isEmpty()) return std::nullopt;
                return picks.dequeue();
            });
    }
    ~ScriptedLookups() { refhost::AccountLookup::setAutomation({}); }
    ScriptedLookups(const ScriptedLookups&) = delete;
    ScriptedLookups& operator=(const ScriptedLookups&) = delete;

    QQueue<QString> picks;
    QStringList openedOn;
};
