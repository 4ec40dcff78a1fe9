// The change-log viewer: the rows of a date range as a full read gives them,
// a long range read as it is shown, a failing query, opening from the
// parameter dialog; and its remembered layout: column widths, report font
// size, window size, what a close stores, the layout on resize.

#include <QDateEdit>
#include <QHeaderView>
#include <QPushButton>
#include <QRegularExpression>
#include <QStringList>
#include <QTableView>
#include <QtTest>
#include <cmath>

#include "DemoSet.h"
#include "DialogHarness.h"
#include "zx/optlog/OptLogModel.h"
#include "zx/optlog/frmOptLog.h"
#include "zx/session/Session.h"

using zx::optlog::frmOptLog;
using zx::optlog::OptLogModel;

namespace {

// A demo account set under the reference host, the log rows and per-user
// values written straight into it, and every text the host shows recorded.
struct ViewerSet {
    explicit ViewerSet(const QString& user = QStringLiteral("administrator")) : set(true, user) {
        zx::ResetSessionCaches();
        set.host->setMessageSink([this](const QString& kind, const QString& text) {
            if (kind != QLatin1String("answer")) shown << kind + QLatin1Char(':') + text;
        });
    }
    ~ViewerSet() { zx::ResetSessionCaches(); }

    // A new host on the same account set, as after a restart of the program.
    void restart(const QString& user) {
        zx::ResetSessionCaches();
        set.host.reset();
        set.host = std::make_unique<refhost::RefHost>(set.db, set.installDir);
        refhost::installStandardServices(*set.host);
        set.host->login(user);
    }

    qint64 userId(const QString& name) {
        return set.db
            ->nativeQuery(QStringLiteral("SELECT FUserID FROM t_User WHERE FName = ?"), {name})
            ->Field(0)
            .toLongLong();
    }

    // One log row.
    void log(const QString& time, const QVariant& user, const QString& key = "MoCheckQty",
             const QString& desc = "说明", const QString& orig = "不启用",
             const QString& now = "启用") {
        set.db->nativeExec(
            QStringLiteral("INSERT INTO t_SystemProfile_Log (FOptTime, FUserID, FCategory, FKey, "
                           "FDesc, FOrigValue, FNewValue, FMachineName, FIpAddress) "
                           "VALUES (?, ?, 'IC', ?, ?, ?, ?, 'WS-01', '192.0.2.7')"),
            {time, user, key, desc, orig, now});
    }

    // `rows` log rows at `time`, one statement for them all, each with its
    // own key, description and values; users by turn.
    void logMany(int rows, const QString& time) {
        set.db->nativeExec(
            QStringLiteral(
                "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < ?) "
                "INSERT INTO t_SystemProfile_Log (FOptTime, FUserID, FCategory, FKey, FDesc, "
                "FOrigValue, FNewValue, FMachineName, FIpAddress) "
                "SELECT ?, 1 + i % 3, 'IC', 'Key' || i, 'Desc ' || i, 'was ' || i, 'is ' || i, "
                "'WS-' || (i % 7), '192.0.2.' || (i % 50) FROM n"),
            {rows - 1, time});
    }

    // The viewer's remembered values of the logged-in user.
    QString profile(const QString& key) {
        auto rs = set.db->nativeQuery(
            QStringLiteral("SELECT FValue FROM t_UserProfile WHERE FUserID = ? AND FComponent = ? "
                           "AND FForm = ? AND FKey = ?"),
            {set.host->user().id, zx::optlog::frmOptLog::kComponent, zx::optlog::frmOptLog::kForm,
             key});
        return rs->RecordCount() == 0 ? QString() : rs->Field(0).toString();
    }
    void setProfile(const QString& key, const QString& value) {
        set.db->nativeExec(
            QStringLiteral("INSERT INTO t_UserProfile (FUserID, FComponent, FForm, FKey, FValue) "
                           "VALUES (?, ?, ?, ?, ?)"),
            {set.host->user().id, zx::optlog::frmOptLog::kComponent, zx::optlog::frmOptLog::kForm,
             key, value});
    }
    void setFontSize(const QString& value) {
        set.db->nativeExec(QStringLiteral("INSERT INTO t_UserSetting (FUserID, FCategory, FKey, "
                                          "FValue) VALUES (?, 'QOR_APFC', 'RptFontSize', ?)"),
                           {set.host->user().id, value});
    }

    QStringList shownOf(const QString& kind) const {
        QStringList out;
        for (const QString& s : shown) {
            if (s.startsWith(kind + QLatin1Char(':'))) out << s.mid(kind.size() + 1);
        }
        return out;
    }

    DemoSet set;
    QStringList shown;
};

constexpr int kUnits[OptLogModel::kColumns] = {3, 0, 10, 5, 0, 0, 40, 15, 15, 10, 8};

QList<double> widths(const frmOptLog& viewer) {
    QList<double> out;
    for (int c = 0; c < OptLogModel::kColumns; ++c) out << viewer.colWidth(c);
    return out;
}

// The widths of a first use: no stored text.
QList<double> defaultWidths() {
    ViewerSet fresh;
    frmOptLog viewer;
    viewer.Form_Activate();
    return widths(viewer);
}

// The rows a full read of the log gives for [from, to), newest first, each
// with its sequence number: what the viewer must show.
QList<QStringList> fullRead(ViewerSet& v, const char* from, const char* to) {
    auto full = v.set.db->nativeQuery(
        QStringLiteral("SELECT A.FID, A.FOptTime, B.FName, A.FCategory, A.FKey, A.FDesc, "
                       "A.FOrigValue, A.FNewValue, A.FMachineName, A.FIpAddress "
                       "FROM t_SystemProfile_Log A LEFT JOIN t_User B ON A.FUserID = "
                       "B.FUserID WHERE A.FOptTime >= ? AND A.FOptTime < ? "
                       "ORDER BY A.FID DESC"),
        {QString::fromLatin1(from), QString::fromLatin1(to)});
    const int total = full->RecordCount();
    QList<QStringList> out;
    for (full->MoveFirst(); !full->Eof(); full->MoveNext()) {
        QStringList row{QString::number(total - int(out.size()))};
        for (int f = 0; f < full->FieldCount(); ++f) {
            const QVariant value = full->Field(f);
            row << (value.isNull() ? QString() : value.toString());
        }
        out << row;
    }
    return out;
}

const QString kStored = QStringLiteral(
    "fipaddress= 1200;LISTNO= 600;fuser= 900;FOPTTIME= 2100;Fid= 900;fdesc= 4500;"
    "forigvalue= 1500;FNewValue= 1500;fmachinename= 1200");

}  // namespace

class OptLogTest : public QObject {
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
        QStringList expected, shown;
        for (QChar letter : listed) expected << times.at(letter.unicode() - u'A');
        for (int row = 0; row < viewer.model()->rowCount(); ++row) {
            shown << viewer.model()->text(row, 2);
        }
        QCOMPARE(shown, expected);
        QVERIFY(v.shown.isEmpty());
    }

    // A long range lists what a full read of it gives: the same rows in the
    // same order (by record id, whatever their times), numbered down from the
    // total, texts as stored and users that are gone blank, on the first
    // screen, on the last and in between; only the rows shown are read.
    void aLongRangeShowsWhatTheFullReadGives() {
        ViewerSet v;
        v.set.db->nativeExec(QStringLiteral("INSERT INTO t_User (FName) VALUES (?)"),
                             {QStringLiteral("O'Brien")});
        v.set.db->nativeExec(QStringLiteral("INSERT INTO t_User (FName) VALUES ('gone')"));
        const qint64 gone = v.userId("gone");
        v.logMany(300, "2024-06-30 23:59:59");
        v.logMany(1400, "2024-07-02 18:30:00");    // before the earlier ones: ids decide
        v.log("2024-07-01 09:00:00", QVariant());  // a row without a user
        v.log("2024-07-02 09:05:00", gone);
        v.log("2024-07-01 09:10:00", v.userId("O'Brien"), "AlertMO", "说明含'引号", "a'b", "'");
        v.logMany(2600, "2024-07-01 08:00:00");
        v.logMany(200, "2024-07-03 00:00:00");
        v.set.db->nativeExec(QStringLiteral("DELETE FROM t_User WHERE FUserID = ?"), {gone});

        const QList<QStringList> expected = fullRead(v, "2024-07-01", "2024-07-03");
        const int total = int(expected.size());
        QCOMPARE(total, 4003);
        QCOMPARE(expected.at(2600).mid(3, 3), (QStringList{"O'Brien", "IC", "AlertMO"}));
        QCOMPARE(expected.at(2601).at(3), QString());  // the user who is gone

        frmOptLog viewer;
        viewer.setRange(QDate(2024, 7, 1), QDate(2024, 7, 2));
        viewer.QueryLog();
        const auto* m = viewer.model();
        QCOMPARE(m->rowCount(), total);
        const int screen = 40;
        // The columns are fitted to what the first screen shows, no more.
        QVERIFY2(m->rowsRead() <= screen, qPrintable(QString::number(m->rowsRead())));
        auto shown = [&](int row) {
            QStringList out;
            for (int c = 0; c < OptLogModel::kColumns; ++c) out << m->text(row, c);
            return out;
        };
        for (int row = 0; row < screen; ++row) QCOMPARE(shown(row), expected.at(row));
        QCOMPARE(m->rowsRead(), screen);
        for (int row = 2590; row < 2610; ++row) QCOMPARE(shown(row), expected.at(row));
        for (int row = total - screen; row < total; ++row) QCOMPARE(shown(row), expected.at(row));
        // The end came without the rows between.
        QVERIFY2(m->rowsRead() < total / 10, qPrintable(QString::number(m->rowsRead())));
        // Those are read once shown, the same rows though another workstation
        // logs meanwhile: the log grows at the newest end, the list's top.
        refhost::Database::open(v.set.location())
            ->nativeExec(QStringLiteral("INSERT INTO t_SystemProfile_Log (FOptTime, FCategory, "
                                        "FKey) VALUES ('2024-07-02 23:00:00', 'IC', 'Later')"));
        for (int row = 1500; row < 1520; ++row) QCOMPARE(shown(row), expected.at(row));
        for (int row = 0; row < total; ++row) m->text(row, 1);
        QCOMPARE(m->rowsRead(), total);
        for (int row = 3000; row < 3010; ++row) QCOMPARE(shown(row), expected.at(row));
        QCOMPARE(m->text(total - 1, 0), QStringLiteral("1"));
        QCOMPARE(m->text(total, 0), QString());  // no row after the last
        QVERIFY(v.shown.isEmpty());

        QStringList headers;
        for (int c = 0; c < OptLogModel::kColumns; ++c) {
            headers << m->headerData(c, Qt::Horizontal).toString();
            QCOMPARE(viewer.grid()->isColumnHidden(c), c == 1 || c == 4 || c == 5);
        }
        QCOMPARE(headers,
                 (QStringList{"序号", "记录ID(自增量)", "操作时间", "操作用户", "设置项", "设置键",
                              "设置说明", "修改前的值", "修改后的值", "机器名称", "机器Ip地址"}));
        QCOMPARE(viewer.grid()->objectName(), QStringLiteral("fpList"));

        // And a range with nothing in it lists nothing.
        viewer.setRange(QDate(2024, 7, 4), QDate(2024, 7, 30));
        viewer.QueryLog();
        QCOMPARE(m->rowCount(), 0);
        QCOMPARE(m->text(0, 0), QString());
    }

    // A query the database refuses: the user reads what failed in Chinese,
    // the database's words are in the details, the statement is not shown.
    void aFailingQueryIsToldAndLeavesTheGridEmpty() {
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
        const QStringList errors = v.shownOf("error");
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors.first().startsWith("读取账套数据失败: ") &&
                     !errors.first().contains(QRegularExpression("[A-Za-z]{3,}")),
                 qPrintable(errors.first()));
        QVERIFY2(v.shownOf("details").value(0).contains("t_SystemProfile_Log", Qt::CaseInsensitive),
                 qPrintable(v.shownOf("details").join('\n')));
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
        h.set.db->nativeExec(
            QStringLiteral("INSERT INTO t_SystemProfile_Log (FOptTime, FUserID, FCategory, FKey) "
                           "VALUES (?, 1, 'IC', 'AlertMO')"),
            {today.toString("yyyy-MM-dd 23:59:59")});

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
        QCOMPARE(rows, 1);  // listed as it opens
        QVERIFY(wasModal);
        QVERIFY2(h.shown.isEmpty(), qPrintable(h.shown.join('\n')));
        // Closing the viewer stored its layout for the user.
        auto saved = h.set.db->nativeQuery(
            QStringLiteral("SELECT COUNT(*) FROM t_UserProfile WHERE FForm = 'frmOptLog' AND "
                           "FKey IN ('GridColWidth', 'FormWidth', 'FormHeight')"));
        QCOMPARE(saved->Field(0).toInt(), 3);
    }

    // At opening the columns fit what they show: the user whole, the old and
    // new values after the description within the window's default size. Once the user
    // sets a width it stays, a new query or not; the default button fits again.
    void columnsFitTheirContentUntilTheUserSetsOne() {
        ViewerSet v;
        const QString description = QString(60, u'长');
        v.log(QDate::currentDate().toString("yyyy-MM-dd 09:00:00"), v.userId("administrator"),
              "AlertMO", description, "提示，并允许制单人继续保存", "继续保存不提示");
        frmOptLog viewer;
        viewer.Form_Activate();
        QTableView* grid = viewer.grid();
        QHeaderView* header = grid->horizontalHeader();
        const QFontMetrics metrics(grid->font());
        auto fits = [&](int column, const QString& text) {
            return header->sectionSize(column) > metrics.horizontalAdvance(text);
        };
        QVERIFY(fits(3, "administrator"));
        QVERIFY(fits(7, "提示，并允许制单人继续保存"));
        QVERIFY(fits(2, viewer.model()->text(0, 2)));
        const int inside = grid->width() - 2 * grid->frameWidth();
        QVERIFY2(header->sectionPosition(8) + header->sectionSize(8) <= inside,
                 qPrintable(QString::number(header->length())));
        QVERIFY(header->sectionSize(6) > metrics.horizontalAdvance(QString(10, u'长')));

        header->resizeSection(3, 40);  // as the user drags it
        viewer.cmdOk_Click();
        QCOMPARE(header->sectionSize(3), 40);
        viewer.cmdSetDefColWidth_Click();
        QVERIFY(fits(3, "administrator"));
    }

    void firstUseGivesTheDefaultWidths() {
        const QList<double> w = defaultWidths();
        const double unit = w[6] / 40;  // the width of "字"
        QVERIFY(unit > 0);
        for (int c = 0; c < OptLogModel::kColumns; ++c) {
            // Whole pixels: within one pixel (at most 15 twips) of the table.
            QVERIFY2(std::fabs(w[c] - kUnits[c] * unit) <= 15.0,
                     qPrintable(QStringLiteral("column %1: %2").arg(c).arg(w[c])));
        }
    }

    void storedWidths_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QList<double>>("expected");  // empty: the defaults
        QTest::newRow("only the sequence column") << "ListNo= 540" << QList<double>{};
        QTest::newRow("no visible column wide")
            << "ListNo= 540;FID= 900;FDesc= 0;FUser= -30" << QList<double>{};
        QTest::newRow("unreadable") << "wide columns please" << QList<double>{};
        QTest::newRow("other order and letter case")
            << kStored << QList<double>{600, 0, 2100, 900, 0, 0, 4500, 1500, 1500, 1200, 1200};
        QTest::newRow("missing entries are narrow")
            << "FDesc= 3000" << QList<double>{0, 0, 0, 0, 0, 0, 3000, 0, 0, 0, 0};
    }
    void storedWidths() {
        QFETCH(QString, stored);
        QFETCH(QList<double>, expected);
        if (expected.isEmpty()) expected = defaultWidths();
        ViewerSet v;
        v.setProfile("GridColWidth", stored);
        frmOptLog viewer;
        viewer.Form_Activate();
        QCOMPARE(widths(viewer), expected);
    }

    void reportFontSize_data() {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<bool>("applied");
        QTest::newRow("12") << "12" << true;
        QTest::newRow("20, too large") << "20" << false;
        QTest::newRow("8, too small") << "8" << false;
    }
    void reportFontSize() {
        QFETCH(QString, setting);
        QFETCH(bool, applied);
        const QList<double> defaults = defaultWidths();
        ViewerSet v;
        frmOptLog designed;
        QTableView* designedGrid = designed.grid();
        const int designedRow = designedGrid->verticalHeader()->defaultSectionSize();
        const qreal designedPoints = designedGrid->font().pointSizeF();

        v.setFontSize(setting);
        frmOptLog viewer;
        viewer.Form_Activate();
        QTableView* grid = viewer.findChild<QTableView*>("fpList");
        if (!applied) {
            QCOMPARE(grid->font().pointSizeF(), designedPoints);
            QCOMPARE(grid->verticalHeader()->defaultSectionSize(), designedRow);
            return;
        }
        QCOMPARE(grid->font().pointSizeF(), setting.toDouble());
        const QWidget* panel = viewer.findChild<QWidget*>("picCtrl");
        QCOMPARE(panel->font().pointSizeF(), setting.toDouble());
        // Text height plus 80 twips; the header one and a half rows.
        const int row = grid->verticalHeader()->defaultSectionSize();
        const double textTwips = QFontMetricsF(panel->font()).height() * viewer.twipsPerPixel();
        QCOMPARE(row, viewer.toPixels(textTwips + 80));
        QCOMPARE(grid->horizontalHeader()->height(), viewer.toPixels((textTwips + 80) * 1.5));
        // The default widths follow the larger font.
        viewer.cmdSetDefColWidth_Click();
        QVERIFY(viewer.colWidth(6) > defaults[6]);
    }

    void storedWindowSize_data() {
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("height");
        QTest::addColumn<bool>("widthApplied");
        QTest::addColumn<bool>("heightApplied");
        QTest::newRow("the minimum") << "5900"
                                     << "3000" << true << true;
        QTest::newRow("too narrow") << "5000"
                                    << "4500" << false << true;
        QTest::newRow("taller than the screen") << "9000"
                                                << "99999" << true << false;
        QTest::newRow("not numbers") << "wide"
                                     << "" << false << false;
    }
    void storedWindowSize() {
        QFETCH(QString, width);
        QFETCH(QString, height);
        QFETCH(bool, widthApplied);
        QFETCH(bool, heightApplied);
        ViewerSet v;
        const QSize designed = frmOptLog().size();
        v.setProfile("FormWidth", width);
        v.setProfile("FormHeight", height);
        frmOptLog viewer;
        QCOMPARE(viewer.width(),
                 widthApplied ? viewer.toPixels(width.toDouble()) : designed.width());
        QCOMPARE(viewer.height(),
                 heightApplied ? viewer.toPixels(height.toDouble()) : designed.height());
    }

    void closingStoresTheLayoutForTheUser() {
        const QList<double> defaults = defaultWidths();
        ViewerSet v;
        v.setProfile("GridColWidth", kStored);
        {
            frmOptLog viewer;
            viewer.Form_Activate();
            viewer.setColWidth(6, 3000);
            viewer.resize(viewer.toPixels(9000), viewer.toPixels(4500));
            viewer.findChild<QPushButton*>("cmdExit")->click();
        }
        QCOMPARE(v.profile("GridColWidth"),
                 QStringLiteral("ListNo= 600;FID= 0;FOptTime= 2100;FUser= 900;FCategory= 0;"
                                "FKey= 0;FDesc= 3000;FOrigValue= 1500;FNewValue= 1500;"
                                "FMachineName= 1200;FIpAddress= 1200"));
        QCOMPARE(v.profile("FormWidth"), QStringLiteral("9000"));
        QCOMPARE(v.profile("FormHeight"), QStringLiteral("4500"));

        // After a restart the same user gets it back; another user does not.
        v.restart("administrator");
        {
            frmOptLog viewer;
            viewer.Form_Activate();
            QCOMPARE(viewer.colWidth(6), 3000.0);
            QCOMPARE(viewer.size(), QSize(viewer.toPixels(9000), viewer.toPixels(4500)));
        }
        v.restart("editor");
        {
            frmOptLog viewer;
            viewer.Form_Activate();
            QCOMPARE(widths(viewer), defaults);
            // Maximized: the widths are stored, the size stored before stays.
            viewer.setWindowState(Qt::WindowMaximized);
            viewer.close();
        }
        QCOMPARE(v.profile("FormWidth"), QString());
        QVERIFY(v.profile("GridColWidth").startsWith("ListNo= "));
    }

    void theLayoutFillsTheWindowAndKeepsItsMinimum() {
        ViewerSet v;
        frmOptLog viewer;
        viewer.show();
        QVERIFY(QTest::qWaitForWindowExposed(&viewer));

        viewer.resize(100, 100);
        QTRY_COMPARE(viewer.size(), QSize(viewer.toPixels(5900), viewer.toPixels(3000)));

        viewer.resize(viewer.toPixels(9000), viewer.toPixels(5000));
        QTRY_COMPARE(viewer.width(), viewer.toPixels(9000));
        const QWidget* filter = viewer.findChild<QWidget*>("picFilter");
        const QWidget* panel = viewer.findChild<QWidget*>("picCtrl");
        const QWidget* grid = viewer.findChild<QTableView*>("fpList");
        const QWidget* exit = viewer.findChild<QPushButton*>("cmdExit");
        QCOMPARE(filter->geometry(), QRect(0, 0, viewer.width(), filter->height()));
        QCOMPARE(panel->geometry(),
                 QRect(0, viewer.height() - panel->height(), viewer.width(), panel->height()));
        const int margin = viewer.toPixels(20);
        QCOMPARE(grid->geometry(), QRect(margin, filter->height(), viewer.width() - 2 * margin,
                                         panel->y() - filter->height()));
        QCOMPARE(panel->width() - exit->geometry().right() - 1, viewer.toPixels(90));
        viewer.close();
    }
};

QTEST_MAIN(OptLogTest)
#include "test_optlog.moc"
