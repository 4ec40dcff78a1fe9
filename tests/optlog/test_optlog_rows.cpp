// Long query results as the reference host reads them: read straight from
// SQLite or through Qt SQL, a record set holds the same values of the same
// kinds, and repeated texts are shared; a long result is read as it is walked,
// its rows and count from one state of the database.

#include <QSqlQuery>
#include <QtTest>

#include "DemoSet.h"
#include "sql/Cursor.h"
#include "sql/RowSet.h"
#include "zx/host/HostError.h"

using zx::host::RecordSetPtr;

namespace {

// `rows` log rows at `time`, each with its own key.
void logRows(refhost::Database& db, int rows, const QString& time) {
    db.nativeExec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n "
                                 "WHERE i < ?) INSERT INTO t_SystemProfile_Log (FOptTime, "
                                 "FCategory, FKey) SELECT ?, 'IC', 'Key' || i FROM n"),
                  {rows - 1, time});
}

// The keys of a walk from the current row to the end.
QStringList keysToEnd(const RecordSetPtr& rs) {
    QStringList out;
    for (; !rs->Eof(); rs->MoveNext()) out << rs->Field("FKey").toString();
    return out;
}

// The keys a full read of the log gives, newest first, of the rows from
// `from` up to `to`.
QStringList fullRead(refhost::Database& db, const QString& from = QStringLiteral("0"),
                     const QString& to = QStringLiteral("9")) {
    auto rs = db.nativeQuery(QStringLiteral("SELECT FKey FROM t_SystemProfile_Log "
                                            "WHERE FOptTime >= ? AND FOptTime < ? "
                                            "ORDER BY FID DESC"),
                             {from, to});
    rs->MoveFirst();
    return keysToEnd(rs);
}

const QString kNewestFirst =
    QStringLiteral("Select FKey From t_SystemProfile_Log Order By FID Desc");

QList<QVariantList> allRows(const RecordSetPtr& rs) {
    QList<QVariantList> out;
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
        QVariantList row;
        for (int i = 0; i < rs->FieldCount(); ++i) row << rs->Field(i);
        out << row;
    }
    return out;
}

}  // namespace

class RowSetTest : public QObject {
    Q_OBJECT

private slots:
    void bothRoadsGiveTheSameValues() {
        DemoSet set(false);
        if (set.db->onServer()) QSKIP("the direct road exists for SQLite account sets only");
        const QString sql = QStringLiteral(
            "SELECT 7 AS FInt, 2.5 AS FReal, NULL AS FNull, 'O''Brien' AS FText, "
            "x'00ff' AS FBlob, '2024-05-01 10:20:30' AS NowTime "
            "UNION ALL SELECT 9, 0.5, NULL, 'O''Brien', x'01', '2024-05-02 00:00:00'");
        const RecordSetPtr direct = refhost::readSqliteRows(set.db->handle(), sql, {5});
        QVERIFY2(direct, "this platform's Qt SQLite driver runs the system SQLite");
        QSqlQuery q(set.db->handle());
        QVERIFY(q.exec(sql));
        const RecordSetPtr viaQt = refhost::readRows(q, {5});

        QCOMPARE(direct->RecordCount(), 2);
        QCOMPARE(allRows(direct), allRows(viaQt));
        for (const RecordSetPtr& rs : {direct, viaQt}) {
            rs->MoveFirst();
            QCOMPARE(rs->Field("fint").typeId(), QMetaType::LongLong);
            QCOMPARE(rs->Field("FReal").typeId(), QMetaType::Double);
            QVERIFY(rs->Field("FNull").isNull());
            QCOMPARE(rs->Field("FBlob").toByteArray(), QByteArray("\x00\xff", 2));
            QCOMPARE(rs->Field("NowTime").toDateTime(),
                     QDateTime(QDate(2024, 5, 1), QTime(10, 20, 30)));
            // One string shared by both rows.
            const QString first = rs->Field("FText").toString();
            rs->MoveNext();
            QCOMPARE(rs->Field("FText").toString(), QStringLiteral("O'Brien"));
            QCOMPARE(rs->Field("FText").toString().constData(), first.constData());
            rs->MoveNext();
            QVERIFY(rs->Eof());
            QVERIFY_THROWS_EXCEPTION(zx::host::HostError, rs->Field(0));
            QVERIFY_THROWS_EXCEPTION(zx::host::HostError, rs->Field("Missing"));
        }
    }

    // Walked to its end, a long result gives what the full read gives; a
    // workstation that writes meanwhile changes neither its rows nor its
    // count, and MoveFirst reads it anew.
    void aLongResultIsReadAsItIsWalked() {
        DemoSet set(false);
        logRows(*set.db, 2500, "2024-05-01 10:00:00");
        const QStringList before = fullRead(*set.db);

        const RecordSetPtr rs = set.db->query(kNewestFirst);
        QVERIFY(std::dynamic_pointer_cast<refhost::CursorRowSet>(rs));
        QCOMPARE(rs->RecordCount(), 2500);
        QStringList walked;
        for (int i = 0; i < 1500; ++i, rs->MoveNext()) walked << rs->Field("fkey").toString();
        {
            auto other = refhost::Database::open(set.location());
            logRows(*other, 10, "2024-05-02 10:00:00");
        }
        walked << keysToEnd(rs);
        QCOMPARE(walked, before);
        QCOMPARE(rs->RecordCount(), 2500);
        QVERIFY_THROWS_EXCEPTION(zx::host::HostError, rs->Field(0));

        rs->MoveFirst();
        QCOMPARE(rs->RecordCount(), 2510);
        QCOMPARE(keysToEnd(rs), fullRead(*set.db));
    }

    // A result of a few rows is read whole: nothing stays open on the
    // database behind it.
    void aShortResultHoldsNothingOpen() {
        DemoSet set(false);
        logRows(*set.db, refhost::Cursors::kFirstRows, "2024-05-01 10:00:00");
        if (set.db->onServer()) set.db->nativeExec(QStringLiteral("SET lock_timeout = '5s'"));
        const RecordSetPtr rs = set.db->query(kNewestFirst);
        QVERIFY(!std::dynamic_pointer_cast<refhost::CursorRowSet>(rs));
        QCOMPARE(rs->RecordCount(), refhost::Cursors::kFirstRows);
        set.db->nativeExec(QStringLiteral("ALTER TABLE t_SystemProfile_Log RENAME TO t_Away"));
        QCOMPARE(keysToEnd(rs).size(), refhost::Cursors::kFirstRows);
    }

    // SQLite sorts a long result before its first row; walking the table in
    // key order instead pays when the rows picked are the newest, and gives
    // way to the sort when they lie far in. Either way the rows are those of
    // the full read.
    void bothWaysToALongOrderedRangeGiveTheFullRead() {
        DemoSet set(false);
        if (set.db->onServer()) QSKIP("a server plans a cursor for its first rows itself");
        logRows(*set.db, 2500, "2024-01-15 08:00:00");
        logRows(*set.db, 40000, "2024-02-15 08:00:00");
        const QString sql = QStringLiteral(
            "Select FID, FKey From t_SystemProfile_Log Where FOptTime>='%1' And "
            "FOptTime<'%2' Order By FID Desc");
        for (const auto& [from, to, count] :
             {std::tuple{QStringLiteral("2024-02-01"), QStringLiteral("2024-03-01"), 40000},
              std::tuple{QStringLiteral("2024-01-01"), QStringLiteral("2024-02-01"), 2500}}) {
            // The first range holds the newest rows and is walked; the second
            // lies behind all of them and is sorted.
            const RecordSetPtr rs = set.db->query(sql.arg(from, to));
            QCOMPARE(rs->RecordCount(), count);
            QCOMPARE(keysToEnd(rs), fullRead(*set.db, from, to));
        }
    }

    // A record set that outlives its account set ends where the rows it
    // holds end, and cannot be read again.
    void aRecordSetOutlivingItsAccountSetEnds() {
        RecordSetPtr rs;
        QStringList walked;
        {
            DemoSet set(false);
            logRows(*set.db, 2500, "2024-05-01 10:00:00");
            rs = set.db->query(kNewestFirst);
            QCOMPARE(rs->RecordCount(), 2500);
            for (int i = 0; i < 500; ++i, rs->MoveNext()) walked << rs->Field("FKey").toString();
        }
        walked << keysToEnd(rs);
        QVERIFY(walked.size() > 500 && walked.size() < 2500);
        QCOMPARE(walked.first(), QStringLiteral("Key2499"));
        QCOMPARE(walked.last(), QStringLiteral("Key%1").arg(2500 - walked.size()));
        QVERIFY_THROWS_EXCEPTION(zx::host::HostError, rs->MoveFirst());
    }
};

QTEST_MAIN(RowSetTest)
#include "test_optlog_rows.moc"
