// The floor the parameter dialog is measured against: a bare Qt dialog with
// the given numbers of widgets of each kind on nine tabbed pages, filled by
// one SQLite query for all parameter rows, shown offscreen and closed again.
//   floor_dialog DB checks options combos edits numbers labels buttons frames
//                scrollareas tabsets trees grids plain shown
// `shown` widgets, every kind in proportion, sit on the first page: as many
// as the real dialog shows, so that the first paint draws as much.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGridLayout>
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
    if (argc < 16) {
        std::fprintf(stderr,
                     "usage: floor_dialog DB checks options combos edits numbers labels "
                     "buttons frames scrollareas tabsets trees grids plain shown\n");
        return 2;
    }
    int counts[13];
    int total = 0;
    for (int i = 0; i < 13; ++i) total += counts[i] = std::atoi(argv[i + 2]);
    const int shown = std::atoi(argv[15]);

    QDialog dialog;
    auto* layout = new QVBoxLayout(&dialog);
    auto* tabs = new QTabWidget(&dialog);
    layout->addWidget(tabs);
    QList<QWidget*> pages;
    for (int p = 0; p < 9; ++p) {
        auto* page = new QWidget;
        new QGridLayout(page);  // three columns, as the real pages lay their boxes out
        tabs->addTab(page, QStringLiteral("页 %1").arg(p));
        pages << page;
    }
    int n = 0;
    int rest = 0;
    auto add = [&](QWidget* w) {
        // Every total/shown-th widget goes to the first page, the rest round
        // the other eight.
        const bool first =
            total > 0 && (qint64(n + 1) * shown / total) > (qint64(n) * shown / total);
        ++n;
        QWidget* page = first ? pages.first() : pages.at(1 + rest++ % (pages.size() - 1));
        w->setParent(page);
        auto* grid = static_cast<QGridLayout*>(page->layout());
        const int at = grid->count();
        grid->addWidget(w, at / 3, at % 3);
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
        // Like the real dialog, it is seen before it goes: its first page is
        // painted (an event of the next turns of the loop), then it closes.
        QTimer::singleShot(20, &dialog, &QDialog::close);
    });
    dialog.resize(1200, 760);
    dialog.exec();
    return 0;
}
