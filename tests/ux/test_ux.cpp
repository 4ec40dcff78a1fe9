// The dialog as a user finds and reads it: the search box, stored texts
// longer than their boxes take, an even layout down to 800 x 600, and help
// for the page in view.

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDirIterator>
#include <QFile>
#include <QGroupBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QTabWidget>
#include <QtTest>

#include "DialogHarness.h"
#include "zx/closing/frmICSystemProfiles.h"
#include "zx/frame/IntText3D.h"

using zx::frame::IntText3D;

namespace {

// Lets posted layout requests climb the widget tree.
void settle() {
    for (int i = 0; i < 8; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

void showAt(DialogHarness& h, const QSize& size) {
    h.dialog->resize(size);
    h.dialog->show();
    h.dialog->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(h.dialog.get()));
    settle();
}

// Types `text` into `box` as an input method commits Chinese, a character
// at a time.
void type(QLineEdit* box, const QString& text) {
    for (QChar c : text) {
        QInputMethodEvent event;
        event.setCommitString(c);
        QApplication::sendEvent(box, &event);
    }
}

// Replaces the text of `box` as a user does: select all, type.
void typeOver(QLineEdit* box, const QString& text) {
    box->setFocus();
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    type(box, text);
}

// Whether a visible frame is drawn around `target`: a sibling that lets the
// mouse through and encloses it.
bool marked(const QWidget* target) {
    settle();
    for (QWidget* w : target->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (w != target && w->isVisible() && w->testAttribute(Qt::WA_TransparentForMouseEvents) &&
            w->geometry().contains(target->geometry())) {
            return true;
        }
    }
    return false;
}

// Every visible page of the main tab set and of its inner tab sets, shown
// in turn; `visit` gets the page index and the inner set and page (or null).
template <class Visit>
void everyPage(QTabWidget* stab, Visit visit) {
    for (int i = 0; i < stab->count(); ++i) {
        if (!stab->isTabVisible(i)) continue;
        stab->setCurrentIndex(i);
        settle();
        auto* inner = stab->widget(i)->findChild<QTabWidget*>();
        if (!inner) {
            visit(i, nullptr, -1);
            continue;
        }
        for (int j = 0; j < inner->count(); ++j) {
            inner->setCurrentIndex(j);
            settle();
            visit(i, inner, j);
        }
    }
}

}  // namespace

class UxTest : public QObject {
    Q_OBJECT

private slots:
    // Part of a caption, blanks and full-width padding ignored, finds the
    // setting: its page and inner page come up and it is framed; Enter goes
    // on to the next; a disabled one says why; nothing found is said beside
    // the box. The search changes nothing and leaves the typing in its box.
    void theSearchShowsAndMarksASetting() {
        DialogHarness h;
        showAt(h, QSize(1016, 728));
        auto* find = h.c<QLineEdit>("txtFind");
        auto* status = h.c<QLabel>("lblFind");
        QTabWidget* stab = h.dialog->Stab();
        auto* gl = h.c<QTabWidget>("stabGl");
        stab->setCurrentIndex(3);

        typeOver(find, QStringLiteral("电 话"));
        QCOMPARE(stab->currentIndex(), 0);
        QVERIFY(marked(h.c<QWidget>("txtCompanyPhone")));
        QCOMPARE(status->text(), QStringLiteral("1/1：电    话"));

        typeOver(find, QStringLiteral("凭证号"));
        QCOMPARE(stab->currentIndex(), 2);
        QCOMPARE(gl->currentIndex(), 1);
        QVERIFY(marked(h.c<QWidget>("FrameVchNumber")));
        QCOMPARE(QApplication::focusWidget(), find);
        const int hits = status->text().section(u'：', 0, 0).section(u'/', 1).toInt();
        QVERIFY2(hits >= 5, qPrintable(status->text()));
        QTest::keyClick(find, Qt::Key_Return);
        QVERIFY2(status->text().startsWith(QStringLiteral("2/%1：").arg(hits)),
                 qPrintable(status->text()));
        QTest::keyClick(find, Qt::Key_Return, Qt::ShiftModifier);
        QTest::keyClick(find, Qt::Key_Return, Qt::ShiftModifier);
        QVERIFY2(status->text().startsWith(QStringLiteral("%1/%1：").arg(hits)),
                 qPrintable(status->text()));

        // Disabled: found all the same, with the reason.
        typeOver(find, QStringLiteral("检测即时"));
        QCOMPARE(stab->currentIndex(), 7);
        QVERIFY(marked(h.c<QWidget>("chkIC_ShowUnderCalcTypeAndInv")));
        QVERIFY2(status->text().contains(
                     QStringLiteral("不可用：须先选中“以单据日期为截止日期计算负库存”")),
                 qPrintable(status->text()));
        QTest::keyClick(find, Qt::Key_Return);
        QVERIFY(marked(h.c<QWidget>("chkIC_ShowUnderCalcTypeByPeriodAndInv")));
        QTest::keyClick(find, Qt::Key_Enter);
        QVERIFY(marked(h.c<QWidget>("chkIC_ShowUnderCalcTypeAndInv")));

        // A field by its label, on the manufacturing page; a button by its text.
        typeOver(find, QStringLiteral("bom损耗"));
        QCOMPARE(stab->currentIndex(), 8);
        QVERIFY(marked(h.c<QWidget>("cmbIC_BOMType")));
        typeOver(find, QStringLiteral("参数修改日志"));
        QVERIFY(marked(h.c<QWidget>("cmdOptHistory")));

        typeOver(find, QStringLiteral("没有这个设置"));
        QCOMPARE(stab->currentIndex(), 8);
        QCOMPARE(status->text(), QStringLiteral("没有找到“没有这个设置”"));
        QVERIFY2(h.shown.isEmpty(), qPrintable(h.shown.join('\n')));
        // Withdrawn pages and hidden frames are not searched.
        typeOver(find, QStringLiteral("汇率小数位长度"));
        QVERIFY(status->text().startsWith(QStringLiteral("没有找到")));

        QVERIFY(!h.dialog->IsChanged());
        QVERIFY(!h.c<QPushButton>("btnSave")->isEnabled());
    }

    // A user who may only view searches as well: the box is no setting.
    void aViewerSearchesToo() {
        DialogHarness h("viewer");
        showAt(h, QSize(1016, 728));
        auto* find = h.c<QLineEdit>("txtFind");
        QVERIFY(!DialogHarness::locked(find));
        typeOver(find, QStringLiteral("出库单据自动带出批号"));
        QCOMPARE(find->text(), QStringLiteral("出库单据自动带出批号"));
        QCOMPARE(h.dialog->Stab()->currentIndex(), 7);
        QVERIFY(marked(h.c<QWidget>("chkIC_IsBatchNoAutoFill")));
        QVERIFY(!h.dialog->IsChanged());
    }

    // A stored text longer than its box's typing limit shows whole and is
    // kept byte for byte while nobody edits it; the user may shorten it, but
    // what the user types or pastes stops at the limit.
    void longStoredTexts_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("category");
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("limit");
        QTest::newRow("item word") << "txtIC_Item4Name"
                                   << "IC"
                                   << "Item4Name" << 20;
        QTest::newRow("fax") << "txtFax"
                             << "General"
                             << "Fax" << 255;
    }
    void longStoredTexts() {
        QFETCH(QString, box);
        QFETCH(QString, category);
        QFETCH(QString, key);
        QFETCH(int, limit);
        const QString stored =
            QStringLiteral(" 前") + QString(limit, u'长') + QStringLiteral("尾 ");
        DialogHarness h("administrator",
                        [&](DialogHarness& d) { d.setParam(category, key, stored); });
        auto* edit = h.c<QLineEdit>(box);
        QCOMPARE(edit->text(), stored);

        h.c<QCheckBox>("chkSettle")->setChecked(true);
        QVERIFY2(h.dialog->SaveProfiles(), qPrintable(h.shown.join('\n')));
        QCOMPARE(h.param(category, key), stored);
        QCOMPARE(edit->text(), stored);

        showAt(h, QSize(1016, 728));
        edit->setFocus();
        edit->end(false);
        type(edit, QStringLiteral("加"));
        QCOMPARE(edit->text(), stored);
        QTest::keyClick(edit, Qt::Key_Backspace);
        QCOMPARE(edit->text(), stored.chopped(1));
        type(edit, QStringLiteral("加"));
        QCOMPARE(edit->text(), stored.chopped(1));
        QVERIFY(h.dialog->IsChanged());

        typeOver(edit, QString(limit + 3, u'新'));
        QCOMPARE(edit->text(), QString(limit, u'新'));
        edit->selectAll();
        QApplication::clipboard()->setText(QString(limit + 3, u'贴'));
        QTest::keySequence(edit, QKeySequence::Paste);
        QCOMPARE(edit->text(), QString(limit, u'贴'));
        QVERIFY2(h.dialog->SaveProfiles(), qPrintable(h.shown.join('\n')));
        QCOMPARE(h.param(category, key), QString(limit, u'贴'));
    }

    // What stands below the inner pages of the financial page stays where it
    // is whichever inner page is chosen, before and after the tallest is seen.
    void theFinancePagesLowerFramesStayPut() {
        DialogHarness h;
        showAt(h, QSize(1016, 728));
        h.dialog->Stab()->setCurrentIndex(2);
        auto* gl = h.c<QTabWidget>("stabGl");
        QList<QPoint> places;
        for (int i : {0, 1, 2, 3, 0}) {
            gl->setCurrentIndex(i);
            settle();
            for (const char* frame : {"framPA", "framFix"}) {
                places << h.c<QWidget>(frame)->mapTo(h.dialog.get(), QPoint());
            }
        }
        for (int i = 2; i < places.size(); ++i) QCOMPARE(places.at(i), places.at(i % 2));
    }

    // At 800 x 600 every page and inner page scrolls as a whole: no scroll
    // area hides inside another, and no control lies outside what its frame
    // and its page show.
    void atEightHundredBySixHundredNothingIsCutOff() {
        DialogHarness h;
        const QSize room(792, 560);
        const QSize least = h.dialog->minimumSizeHint();
        QVERIFY2(least.width() <= room.width() && least.height() <= room.height(),
                 qPrintable(QStringLiteral("%1x%2").arg(least.width()).arg(least.height())));
        showAt(h, room);
        QCOMPARE(h.dialog->size(), room);
        everyPage(h.dialog->Stab(), [&](int page, QTabWidget*, int innerPage) {
            const QString where = QStringLiteral("Stab(%1) %2").arg(page).arg(innerPage);
            auto* area = qobject_cast<QScrollArea*>(h.dialog->Stab()->widget(page));
            QVERIFY2(area && area->widget(), qPrintable(where));
            QWidget* content = area->widget();
            QVERIFY2(content->findChildren<QScrollArea*>().isEmpty(), qPrintable(where));
            for (QWidget* w : content->findChildren<QWidget*>()) {
                const bool control = zx::frame::Controls::isValueControl(w) ||
                                     qobject_cast<QAbstractButton*>(w) ||
                                     qobject_cast<QLabel*>(w) || qobject_cast<QGroupBox*>(w);
                if (!control || !w->isVisible() || w->objectName().startsWith("qt_")) continue;
                QVERIFY2(w->parentWidget()->rect().contains(w->geometry()),
                         qPrintable(where + ' ' + w->objectName()));
                const QRect inContent(w->mapTo(content, QPoint()), w->size());
                QVERIFY2(content->rect().contains(inContent),
                         qPrintable(where + ' ' + w->objectName()));
            }
        });
    }

    // Boxes of numbers share one width, boxes of decimal places their spin
    // buttons; the period page has no box without a name; "not set" shows as
    // an empty box everywhere; captions use the full-width punctuation.
    void boxesAndCaptionsOfOneKindLookAlike() {
        DialogHarness h;
        QSet<int> widths;
        for (auto* box : h.dialog->findChildren<IntText3D*>()) {
            widths << box->width();
            if (box->Min() == 0 && box->Max() <= 8) {
                QVERIFY2(box->SpinButtons(), qPrintable(box->objectName()));
            }
        }
        for (auto* shown : h.dialog->findChildren<QLineEdit*>()) {
            if (shown->property("display").toBool()) widths << shown->width();
        }
        QCOMPARE(widths.size(), 1);

        QWidget* periods = h.c<QWidget>("Stab(1)");
        const auto labels = periods->findChildren<QLabel*>();
        for (QWidget* box : periods->findChildren<QWidget*>()) {
            if (!qobject_cast<QLineEdit*>(box) && !qobject_cast<IntText3D*>(box)) continue;
            if (!box->isVisibleTo(periods) || qobject_cast<IntText3D*>(box->parentWidget())) {
                continue;
            }
            const bool named = std::any_of(labels.begin(), labels.end(), [box](QLabel* l) {
                return l->buddy() == box && !l->text().isEmpty();
            });
            QVERIFY2(named, qPrintable(box->objectName()));
        }

        // Nothing is started in the demo set.
        for (const char* name : {"txtStartPeriod", "txtCurYear", "txtCurPeriod", "txtCnStartPeriod",
                                 "txtCnCurrentYear", "txtCnCurrentPeriod", "txtIC_StartPeriod",
                                 "txtIC_CurrYear", "txtIC_CurrPeriod"}) {
            auto* number = h.dialog->findChild<IntText3D*>(name);
            const QString text = number ? number->Text() : h.c<QLineEdit>(name)->text();
            QVERIFY2(text.isEmpty(), qPrintable(QStringLiteral("%1: %2").arg(name, text)));
        }

        // A half-width colon, comma or semicolon, or a half-width bracket
        // right after a Chinese character, in any caption or list entry of
        // our own wording. The system's own texts keep their punctuation as
        // the account sets and change logs already know them.
        static const QStringList systemTexts = {
            QStringLiteral("税率(%)："),
            QStringLiteral("明细账(表)摘要自动继承上条分录摘要"),
            QStringLiteral("不折旧(整个系统)"),
            QStringLiteral("呆滞料预警(物料无发生额天数)："),
            QStringLiteral("提示,并允许制单人继续保存"),
            QStringLiteral("提示,并不允许制单人保存")};
        static const QRegularExpression accelerator(QStringLiteral("\\(&[A-Z]\\)"));
        static const QRegularExpression halfWidth(
            QStringLiteral("[:,;]|[\\x{4e00}-\\x{9fff}][()]"));
        QStringList captions;
        for (auto* b : h.dialog->findChildren<QAbstractButton*>()) captions << b->text();
        for (auto* l : h.dialog->findChildren<QLabel*>()) captions << l->text();
        for (auto* g : h.dialog->findChildren<QGroupBox*>()) captions << g->title();
        for (auto* c : h.dialog->findChildren<QComboBox*>()) {
            for (int i = 0; i < c->count(); ++i) captions << c->itemText(i);
        }
        for (QString caption : captions) {
            if (systemTexts.contains(caption)) continue;
            caption.remove(accelerator);
            QVERIFY2(!caption.contains(halfWidth), qPrintable(caption));
        }
    }

    // F1 opens the help of the page and inner page in view; the closing
    // options have their own page and the accelerators of the main dialog;
    // the pages name the buttons as they read.
    void f1OpensTheHelpOfThePageInView() {
        DialogHarness h;
        showAt(h, QSize(1016, 728));
        QTabWidget* stab = h.dialog->Stab();
        QStringList pages;
        everyPage(stab, [&](int page, QTabWidget* inner, int innerPage) {
            QTest::keyClick(h.dialog.get(), Qt::Key_F1);
            const auto request = h.set.host->helpRequests().last();
            const int context = 100 + 10 * page + std::max(innerPage, 0);
            QCOMPARE(request.context, context);
            QVERIFY2(request.page.endsWith(QStringLiteral(".%1.html").arg(context)),
                     qPrintable(request.page));
            QFile file(request.page);
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QString html = QString::fromUtf8(file.readAll());
            const QString caption =
                stab->tabText(page) + (inner ? u'：' + inner->tabText(innerPage) : QString());
            QVERIFY2(html.contains(QStringLiteral("<title>系统参数 - %1</title>").arg(caption)),
                     qPrintable(request.page));
            pages << html;
        });
        QCOMPARE(pages.size(), 6 + 4);  // the seven pages shown, the ledger's as four

        zx::closing::frmICSystemProfiles closing;
        closing.Form_Activate();
        closing.show();
        QVERIFY(QTest::qWaitForWindowExposed(&closing));
        QTest::keyClick(&closing, Qt::Key_F1);
        const auto request = h.set.host->helpRequests().last();
        QCOMPARE(request.topic, QStringLiteral("GLSystemSetting.frmICSystemProfiles"));
        QVERIFY(request.page.endsWith(QStringLiteral("/GLSystemSetting.frmICSystemProfiles.html")));
        QFile closingPage(request.page);
        QVERIFY(closingPage.open(QIODevice::ReadOnly));
        pages << QString::fromUtf8(closingPage.readAll());

        for (const char* name : {"btnOK", "btnSave", "btnClose"}) {
            auto* button = closing.findChild<QPushButton*>(name);
            QVERIFY2(!QKeySequence::mnemonic(button->text()).isEmpty(), name);
            QCOMPARE(button->text(), h.c<QPushButton>(name)->text());
        }
        // A button named in any help page without the letter it reads with
        // is named wrongly.
        QDirIterator files(h.set.installDir + QStringLiteral("/Help"), {"*.html"}, QDir::Files,
                           QDirIterator::Subdirectories);
        while (files.hasNext()) {
            QFile file(files.next());
            QVERIFY(file.open(QIODevice::ReadOnly));
            pages << QString::fromUtf8(file.readAll());
        }
        for (QAbstractButton* b : h.dialog->findChildren<QAbstractButton*>()) {
            if (!b->text().contains(accelerator())) continue;
            const QString bare = QString(b->text()).remove(accelerator());
            for (const QString& html : pages) {
                QVERIFY2(!html.contains(u'“' + bare + u'”'), qPrintable(bare));
            }
        }
    }

private:
    static const QRegularExpression& accelerator() {
        static const QRegularExpression a(QStringLiteral("\\(&[A-Z]\\)"));
        return a;
    }
};

QTEST_MAIN(UxTest)
#include "test_ux.moc"
