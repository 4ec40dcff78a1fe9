// Long query results as the reference host reads them: read straight from
// SQLite or through Qt SQL, a record set holds the same values of the same
// kinds, and repeated texts are shared.

#include <QSqlQuery>
#include <QtTest>

#include "DemoSet.h"
#include "sql/RowSet.h"
#include "zx/host/HostError.h"

using zx::host::RecordSetPtr;

namespace {

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
};

QTEST_MAIN(RowSetTest)
#include "test_optlog_rows.moc"
