// The floor the parameter dialog is measured against: a bare Qt dialog with
// the given numbers of widgets of each kind on nine tabbed pages, filled by
// one SQLite query for all parameter rows, shown offscreen and closed again.
//   floor_dialog DB checks options combos edits numbers labels buttons frames
//                scrollareas tabsets trees grids plain

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <cstdio>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 15) {
        std::fprintf(stderr,
                     "usage: floor_dialog DB checks options combos edits numbers labels "
                     "buttons frames scrollareas tabsets trees grids plain\n");
        return 2;
    }
    int counts[13];
    for (int i = 0; i < 13; ++i) counts[i] = std::atoi(argv[i + 2]);

    QDialog dialog;
    auto* layout = new QVBoxLayout(&dialog);
    auto* tabs = new QTabWidget(&dialog);
    layout->addWidget(tabs);
    QList<QWidget*> pages;
    for (int p = 0; p < 9; ++p) {
        auto* page = new QWidget;
        new QVBoxLayout(page);
        tabs->addTab(page, QStringLiteral("页 %1").arg(p));
        pages << page;
    }
    int n = 0;
    auto add = [&](QWidget* w) {
        QWidget* page = pages.at(n++ % pages.size());
        w->setParent(page);
        page->layout()->addWidget(w);
        return w;
    };
    QList<QCheckBox*> checks;
    for (int i = 0; i < counts[0]; ++i)
        checks << static_cast<QCheckBox*>(add(new QCheckBox(QStringLiteral("选项"))));
    for (int i = 0; i < counts[1]; ++i) add(new QRadioButton(QStringLiteral("选项")));
    for (int i = 0; i < counts[2]; ++i) {
        auto* combo = new QComboBox;
        combo->addItems({QStringLiteral("一"), QStringLiteral("二"), QStringLiteral("三")});
        add(combo);
    }
    for (int i = 0; i < counts[3]; ++i) add(new QLineEdit);
    for (int i = 0; i < counts[4]; ++i) add(new QSpinBox);
    for (int i = 0; i < counts[5]; ++i) add(new QLabel(QStringLiteral("标签：")));
    for (int i = 0; i < counts[6]; ++i) add(new QPushButton(QStringLiteral("按钮")));
    for (int i = 0; i < counts[7]; ++i) add(new QGroupBox(QStringLiteral("框")));
    // The composite kinds, beyond the nine pages' own scroll areas and the tab set.
    for (int i = 0; i < counts[8]; ++i) add(new QScrollArea);
    for (int i = 1; i < counts[9]; ++i) add(new QTabWidget);
    for (int i = 0; i < counts[10]; ++i) add(new QTreeWidget);
    for (int i = 0; i < counts[11]; ++i) add(new QTableWidget(0, 2));
    for (int i = 0; i < counts[12]; ++i) add(new QWidget);

    QTimer::singleShot(0, [&] {
        auto db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
        db.setDatabaseName(QString::fromLocal8Bit(argv[1]));
        db.open();
        QSqlQuery rows(QStringLiteral("SELECT FCategory, FKey, FValue FROM t_SystemProfile"), db);
        int i = 0;
        while (rows.next()) {
            if (!checks.isEmpty())
                checks.at(i++ % checks.size())
                    ->setChecked(rows.value(2).toString() == QLatin1String("1"));
        }
        dialog.close();
    });
    dialog.resize(1200, 760);
    dialog.exec();
    return 0;
}
