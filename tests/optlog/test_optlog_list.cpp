// The change-log viewer's list: the date range, the row order and sequence
// numbers, the texts shown, a long range read as it is shown, a failing
// query, and opening from the parameter dialog.

#include <QDateEdit>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

#include "DialogHarness.h"
#include "ViewerSet.h"

using zx::optlog::frmOptLog;

class OptLogListTest : public QObject {
    Q_OBJECT

private slots:
    void listsTheRowsOfTheRange_data() {
        QTest::addColumn<QDate>("begin");
        QTest::addColumn<QDate>("end");
        QTest::addColumn<QString>("listed");  // letters of the rows, top to bottom
        const QDate d9(2024, 3, 9), d10(2024, 3, 10), d11(2024, 3, 11), d12(2024, 3, 12);
        QTest::newRow("one day, to its last second") << d10 << d10 << "DCB";
        QTest::newRow("two days") << d9 << d10 << "DCBA";
        QTest::newRow("to the next midnight") << d10 << d11 << "EDCB";
        QTest::newRow("begin after end") << d11 << d10 << "";
        QTest::newRow("a day without rows") << d12 << d12 << "";
    }
    void listsTheRowsOfTheRange() {
        QFETCH(QDate, begin);
        QFETCH(QDate, end);
        QFETCH(QString, listed);
        ViewerSet v;
        const qint64 admin = v.userId("administrator");
        const QStringList times = {"2024-03-09 23:59:59", "2024-03-10 00:00:00",
                                   "2024-03-10 12:30:00", "2024-03-10 23:59:59",
                                   "2024-03-11 00:00:00"};
        for (const QString& t : times) v.log(t, admin);

        frmOptLog viewer;
        viewer.setRange(begin, end);
        viewer.QueryLog();
        QStringList expected;
        for (QChar letter : listed) expected << times.at(letter.unicode() - u'A');
        QCOMPARE(columnTexts(viewer, 2), expected);
        QVERIFY(v.shown.isEmpty());
    }

    void newestFirstByRecordIdNumberedDownToOne() {
        ViewerSet v;
        const qint64 admin = v.userId("administrator");
        // Times out of step with the record ids: the ids decide the order.
        QList<qint64> ids;
        for (int i = 0; i < 10; ++i) {
            ids.prepend(v.log(
                QStringLiteral("2024-05-01 10:%1:00").arg((i * 7) % 10, 2, 10, QLatin1Char('0')),
                admin, QStringLiteral("Key%1").arg(i)));
        }
        frmOptLog viewer;
        viewer.setRange(QDate(2024, 5, 1), QDate(2024, 5, 1));
        viewer.QueryLog();

        QCOMPARE(viewer.model()->rowCount(), 10);
        QStringList numbers, fids;
        for (int i = 0; i < 10; ++i) {
            numbers << QString::number(10 - i);
            fids << QString::number(ids.at(i));
        }
        QCOMPARE(columnTexts(viewer, 0), numbers);
        QCOMPARE(columnTexts(viewer, 1), fids);
        QCOMPARE(viewer.model()->text(0, 5), QStringLiteral("Key9"));

        QStringList headers;
        for (int c = 0; c < zx::optlog::OptLogModel::kColumns; ++c) {
            headers << viewer.model()->headerData(c, Qt::Horizontal).toString();
        }
        QCOMPARE(headers,
                 (QStringList{"序号", "记录ID(自增量)", "操作时间", "操作用户", "设置项", "设置键",
                              "设置说明", "修改前的值", "修改后的值", "机器名称", "机器Ip地址"}));
        QTableView* grid = viewer.findChild<QTableView*>("fpList");
        QVERIFY(grid);
        for (int c = 0; c < zx::optlog::OptLogModel::kColumns; ++c) {
            QCOMPARE(grid->isColumnHidden(c), c == 1 || c == 4 || c == 5);
        }
    }

    void textsShownAsStoredWithMissingUsersBlank() {
        ViewerSet v;
        v.set.db->nativeExec(QStringLiteral("INSERT INTO t_User (FName) VALUES (?)"),
                             {QStringLiteral("O'Brien")});
        const qint64 quoted = v.userId("O'Brien");
        v.set.db->nativeExec(QStringLiteral("INSERT INTO t_User (FName) VALUES ('gone')"));
        const qint64 gone = v.userId("gone");
        v.log("2024-06-01 09:00:00", quoted, "AlertMO", "说明含'引号", "a'b", "'");
        v.log("2024-06-01 09:05:00", gone);
        v.log("2024-06-01 09:10:00", QVariant());  // written without a user
        v.set.db->nativeExec(QStringLiteral("DELETE FROM t_User WHERE FUserID = ?"), {gone});

        frmOptLog viewer;
        viewer.setRange(QDate(2024, 6, 1), QDate(2024, 6, 1));
        viewer.QueryLog();
        QCOMPARE(columnTexts(viewer, 3), (QStringList{"", "", "O'Brien"}));
        const auto* m = viewer.model();
        QCOMPARE(m->text(2, 6), QStringLiteral("说明含'引号"));
        QCOMPARE(m->text(2, 7), QStringLiteral("a'b"));
        QCOMPARE(m->text(2, 8), QStringLiteral("'"));
        QCOMPARE(m->text(2, 4), QStringLiteral("IC"));
        QCOMPARE(m->text(2, 9), QStringLiteral("WS-01"));
        QCOMPARE(m->text(2, 10), QStringLiteral("192.0.2.7"));
    }

    // A long range lists what a full read of it gives: the same rows in the
    // same order, numbered down from the total, on the first screen and on
    // the last; only the rows shown are read.
    void aLongRangeShowsWhatTheFullReadGives() {
        ViewerSet v;
        v.logMany(300, "2024-06-30 23:59:59");
        v.logMany(2600, "2024-07-01 08:00:00");
        v.log("2024-07-01 09:00:00", QVariant());  // a row without a user
        v.logMany(1400, "2024-07-02 18:30:00");
        v.logMany(200, "2024-07-03 00:00:00");

        auto full = v.set.db->nativeQuery(
            QStringLiteral("SELECT A.FID, A.FOptTime, B.FName, A.FCategory, A.FKey, A.FDesc, "
                           "A.FOrigValue, A.FNewValue, A.FMachineName, A.FIpAddress "
                           "FROM t_SystemProfile_Log A LEFT JOIN t_User B ON A.FUserID = "
                           "B.FUserID WHERE A.FOptTime >= ? AND A.FOptTime < ? "
                           "ORDER BY A.FID DESC"),
            {QStringLiteral("2024-07-01"), QStringLiteral("2024-07-03")});
        const int total = full->RecordCount();
        QCOMPARE(total, 4001);
        QList<QStringList> expected;
        for (full->MoveFirst(); !full->Eof(); full->MoveNext()) {
            QStringList row{QString::number(total - int(expected.size()))};
            for (int f = 0; f < full->FieldCount(); ++f) {
                const QVariant value = full->Field(f);
                row << (value.isNull() ? QString() : value.toString());
            }
            expected << row;
        }

        frmOptLog viewer;
        viewer.setRange(QDate(2024, 7, 1), QDate(2024, 7, 2));
        viewer.QueryLog();
        const auto* m = viewer.model();
        QCOMPARE(m->rowCount(), total);
        QCOMPARE(m->rowsRead(), 0);
        auto shown = [&](int row) {
            QStringList out;
            for (int c = 0; c < zx::optlog::OptLogModel::kColumns; ++c) out << m->text(row, c);
            return out;
        };
        const int screen = 40;
        for (int row = 0; row < screen; ++row) QCOMPARE(shown(row), expected.at(row));
        QCOMPARE(m->rowsRead(), screen);
        for (int row = total - screen; row < total; ++row) QCOMPARE(shown(row), expected.at(row));
        QCOMPARE(m->rowsRead(), total);
        QCOMPARE(m->text(total - 1, 0), QStringLiteral("1"));
        QCOMPARE(m->text(total, 0), QString());  // no row after the last
        QVERIFY(v.shown.isEmpty());

        // And a range with nothing in it lists nothing.
        viewer.setRange(QDate(2024, 7, 4), QDate(2024, 7, 30));
        viewer.QueryLog();
        QCOMPARE(m->rowCount(), 0);
        QCOMPARE(m->text(0, 0), QString());
    }

    void aFailingQueryShowsItsSqlAndLeavesTheGridEmpty() {
        ViewerSet v;
        v.log("2024-02-29 08:00:00", v.userId("administrator"));
        frmOptLog viewer;
        viewer.setRange(QDate(2024, 2, 29), QDate(2024, 12, 31));
        viewer.QueryLog();
        QCOMPARE(viewer.model()->rowCount(), 1);

        v.set.db->nativeExec(
            QStringLiteral("ALTER TABLE t_SystemProfile_Log RENAME TO t_SystemProfile_Log_Away"));
        viewer.QueryLog();
        QCOMPARE(viewer.model()->rowCount(), 0);
        const QStringList messages = v.shownOf("message");
        QCOMPARE(messages.size(), 1);
        const QString sql = QStringLiteral(
            "Select A.FID,A.FOptTime,B.FName As FUser,A.FCategory,A.FKey,A.FDesc,A.FOrigValue,"
            "A.FNewValue,A.FMachineName,A.FIpAddress\r\n"
            "From t_SystemProfile_Log A\r\n"
            "Left Join t_User B On A.FUserID=B.FUserID\r\n"
            "Where A.FOptTime>='2024-02-29' And A.FOptTime<'2025-01-01'\r\n"
            "Order By A.FID Desc");
        QVERIFY2(messages.first().endsWith(QLatin1Char('\n') + sql), qPrintable(messages.first()));
        QVERIFY(messages.first().size() > sql.size() + 1);  // the backend's reason comes first
        // The reason names the query as sent, not the host's ways of reading it.
        for (const char* way : {"EXPLAIN", "NOT INDEXED", "COUNT(", "LIMIT"}) {
            QVERIFY2(!messages.first().contains(QLatin1String(way)), qPrintable(messages.first()));
        }
    }

    // Loading the viewer lets the host prepare it: the host's icon and font.
    void theHostPreparesTheViewerAsItLoads() {
        ViewerSet v;
        frmOptLog viewer;
        QWidget prepared;
        v.set.host->PrepareForm(&prepared);
        QVERIFY(!viewer.windowIcon().isNull());
        QCOMPARE(viewer.windowIcon().pixmap(16).toImage(),
                 prepared.windowIcon().pixmap(16).toImage());
        QCOMPARE(viewer.font().family(), prepared.font().family());
    }

    void theHistoryButtonOpensTheLastThreeMonths() {
        DialogHarness h;
        const QDate today = QDate::currentDate();
        const qint64 admin = 1;
        auto log = [&](const QDate& day, const char* time) {
            h.set.db->nativeExec(
                QStringLiteral("INSERT INTO t_SystemProfile_Log (FOptTime, FUserID, FCategory, "
                               "FKey) VALUES (?, ?, 'IC', 'AlertMO')"),
                {day.toString("yyyy-MM-dd") + QLatin1Char(' ') + QLatin1String(time), admin});
        };
        log(today, "00:00:00");
        log(today.addMonths(-3), "00:00:00");
        log(today.addMonths(-3).addDays(-1), "23:59:59");

        QDate begin, end;
        int rows = -1;
        bool wasModal = false;
        frmOptLog::onShown = [&](frmOptLog& viewer) {
            begin = viewer.findChild<QDateEdit*>("dtpBegin")->date();
            end = viewer.findChild<QDateEdit*>("dtpEnd")->date();
            rows = viewer.model()->rowCount();
            wasModal = viewer.isModal() && !viewer.parentWidget();
            viewer.findChild<QPushButton*>("cmdExit")->click();
        };
        h.c<QPushButton>("cmdOptHistory")->click();
        frmOptLog::onShown = nullptr;

        QCOMPARE(end, today);
        QCOMPARE(begin, today.addMonths(-3));
        QCOMPARE(rows, 2);
        QVERIFY(wasModal);
        QVERIFY2(h.shown.isEmpty(), qPrintable(h.shown.join('\n')));
        // Closing the viewer stored its layout for the user.
        auto saved = h.set.db->nativeQuery(
            QStringLiteral("SELECT COUNT(*) FROM t_UserProfile WHERE FForm = 'frmOptLog' AND "
                           "FKey IN ('GridColWidth', 'FormWidth', 'FormHeight')"));
        QCOMPARE(saved->Field(0).toInt(), 3);
    }
};

QTEST_MAIN(OptLogListTest)
#include "test_optlog_list.moc"
