// The change-log viewer's remembered layout: default and stored column
// widths, the report font size, the window size, what a close stores, and
// the layout on resize.

#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QtTest>
#include <cmath>

#include "ViewerSet.h"

using zx::optlog::frmOptLog;
using zx::optlog::OptLogModel;

namespace {

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

const QString kStored = QStringLiteral(
    "fipaddress= 1200;LISTNO= 600;fuser= 900;FOPTTIME= 2100;Fid= 900;fdesc= 4500;"
    "forigvalue= 1500;FNewValue= 1500;fmachinename= 1200");

}  // namespace

class OptLogLayoutTest : public QObject {
    Q_OBJECT

private slots:
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
        QTest::newRow("both in range") << "9000"
                                       << "4500" << true << true;
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

QTEST_MAIN(OptLogLayoutTest)
#include "test_optlog_layout.moc"
