#pragma once

// Helpers of the save tests: a record of every parameter write, the
// registered name and base currency, typing any text into a box, and taking
// the function lock from outside the dialog.

#include <QLineEdit>
#include <QStringList>
#include <QTest>

#include "DialogHarness.h"
#include "zx/host/Services.h"

// From now on, every insert or update of t_SystemProfile is also recorded.
inline void recordWrites(DialogHarness& h) {
    auto& db = *h.set.db;
    if (db.onServer()) {  // PostgreSQL (ZX_TEST_PG)
        db.nativeExec(
            "CREATE TABLE IF NOT EXISTS t_TestWrites (FNo bigserial PRIMARY KEY, FCategory text, "
            "FKey text, FValue text)");
        db.nativeExec(
            "CREATE OR REPLACE FUNCTION t_TestWrites_record() RETURNS trigger LANGUAGE plpgsql "
            "AS $$ BEGIN INSERT INTO t_TestWrites (FCategory, FKey, FValue) VALUES "
            "(NEW.FCategory, NEW.FKey, NEW.FValue); RETURN NEW; END $$");
        db.nativeExec(
            "CREATE OR REPLACE TRIGGER t_TestWrites AFTER INSERT OR UPDATE ON t_SystemProfile "
            "FOR EACH ROW EXECUTE FUNCTION t_TestWrites_record()");
        return;
    }
    db.nativeExec(
        "CREATE TABLE IF NOT EXISTS t_TestWrites (FNo INTEGER PRIMARY KEY "
        "AUTOINCREMENT, FCategory TEXT, FKey TEXT, FValue TEXT)");
    for (const char* event : {"INSERT", "UPDATE"}) {
        db.nativeExec(QStringLiteral("CREATE TRIGGER IF NOT EXISTS t_TestWrites_%1 AFTER %1 ON "
                                     "t_SystemProfile BEGIN INSERT INTO t_TestWrites (FCategory, "
                                     "FKey, FValue) VALUES (NEW.FCategory, NEW.FKey, NEW.FValue); "
                                     "END")
                          .arg(QLatin1String(event)));
    }
}

// "Category/Key" of each recorded write, in order.
inline QStringList writtenKeys(DialogHarness& h, const QString& category = QString()) {
    // A null text would bind as NULL, which equals nothing.
    auto rs = category.isEmpty()
                  ? h.set.db->nativeQuery("SELECT FCategory, FKey FROM t_TestWrites ORDER BY FNo")
                  : h.set.db->nativeQuery(
                        "SELECT FCategory, FKey FROM t_TestWrites WHERE FCategory = ? ORDER BY FNo",
                        {category});
    QStringList out;
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
        out << rs->Field(0).toString() + u'/' + rs->Field(1).toString();
    }
    return out;
}

// Writes of one parameter fail from now on, as a database refusing them would.
inline void failWritesOf(DialogHarness& h, const QString& key) {
    if (h.set.db->onServer()) {  // PostgreSQL (ZX_TEST_PG)
        h.set.db->nativeExec(
            "CREATE OR REPLACE FUNCTION t_TestFail_raise() RETURNS trigger LANGUAGE plpgsql "
            "AS $$ BEGIN RAISE EXCEPTION 'disk full'; END $$");
        h.set.db->nativeExec(QStringLiteral("CREATE TRIGGER t_TestFail BEFORE INSERT OR UPDATE ON "
                                            "t_SystemProfile FOR EACH ROW WHEN (NEW.FKey = '%1') "
                                            "EXECUTE FUNCTION t_TestFail_raise()")
                                 .arg(key));
        return;
    }
    for (const char* event : {"INSERT", "UPDATE"}) {
        h.set.db->nativeExec(QStringLiteral("CREATE TRIGGER t_TestFail_%1 BEFORE %1 ON "
                                            "t_SystemProfile WHEN NEW.FKey = '%2' BEGIN "
                                            "SELECT RAISE(ABORT, 'disk full'); END")
                                 .arg(QLatin1String(event), key));
    }
}

// The rows named in `expected` ("Category/Key=text ..."), listed alike with
// their stored texts, to compare with `expected` in one go.
inline QString storedAs(DialogHarness& h, const QString& expected) {
    QStringList out;
    for (const QString& row : expected.split(u' ')) {
        const QString key = row.section(u'=', 0, 0);
        out << key + u'=' + h.param(key.section(u'/', 0, 0), key.section(u'/', 1));
    }
    return out.join(u' ');
}

// The company name the account set is registered under.
inline QString registeredName(DialogHarness& h) {
    auto rs = h.set.db->nativeQuery("SELECT FCompanyName FROM t_ad_zxAccount_gl");
    rs->MoveFirst();
    return rs->Field(0).toString();
}

// The base currency as "code|name|scale".
inline QString baseCurrency(DialogHarness& h) {
    auto rs = h.set.db->nativeQuery(
        "SELECT FNumber, FName, FScale FROM t_Currency WHERE FCurrencyID = 1");
    rs->MoveFirst();
    return QStringList{rs->Field(0).toString(), rs->Field(1).toString(), rs->Field(2).toString()}
        .join(u'|');
}

// Replaces the box's text by typing it, character by character.
inline void typeText(QLineEdit* box, const QString& text) {
    box->setFocus();
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    for (QChar c : text) QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), {});
}

// Takes and gives back the ledger save's lock for the period: true when it was free.
inline bool lockIsFree(qint16 year, qint16 period) {
    auto mutex = zx::host::createObject<zx::host::NetMutex>();
    const QString props = zx::GetPropsString();
    const qint32 handle = mutex
                              ->TaskExec(props, 0, QStringLiteral("pu08"), QStringLiteral("TEST"),
                                         3, year, period, std::nullopt)
                              .toInt();
    if (handle < 1) return false;
    mutex->CommitTask(props, handle);
    return true;
}
