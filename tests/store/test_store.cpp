#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

#include "ScriptedHost.h"
#include "StoreFakes.h"
#include "zx/store/Store.h"

using namespace zx::store;
using zx::host::HostError;

namespace {

const QString kProps = QStringLiteral("Data Source=acct1;UserID=7;");

qint32 errorNumberOf(const std::function<void()>& work) {
    try {
        work();
    } catch (const HostError& error) {
        return error.number();
    }
    return 0;
}

// A small page: one control of each kind the catalogue knows.
struct Page {
    QWidget root;
    QCheckBox* chkFlag = add<QCheckBox>("chkFlag");
    QCheckBox* chkOne = add<QCheckBox>("chkOne");
    QCheckBox* chkText = add<QCheckBox>("chkText");
    QGroupBox* frame = add<QGroupBox>("frameB");
    QRadioButton* opt[3] = {add<QRadioButton>("OptBud(0)", frame),
                            add<QRadioButton>("OptBud(1)", frame),
                            add<QRadioButton>("OptBud(2)", frame)};
    QRadioButton* optByDebit = add<QRadioButton>("OptByDebit");
    QRadioButton* optByCredit = add<QRadioButton>("OptByCredit");
    QComboBox* cmbL1 = add<QComboBox>("cmbL1");
    QComboBox* cmbData = add<QComboBox>("cmbData");
    QComboBox* cmbMark = add<QComboBox>("cmbMark");
    QLineEdit* txtDays = add<QLineEdit>("txtDays");
    QSpinBox* intDiff = add<QSpinBox>("intDiff");

    template <class W>
    W* add(const char* name, QWidget* parent = nullptr) {
        auto* widget = new W(parent ? parent : &root);
        widget->setObjectName(QString::fromLatin1(name));
        return widget;
    }

    Page() {
        auto* sendGroup = new QButtonGroup(&root);  // an exclusive group refuses plain unchecking
        sendGroup->addButton(optByDebit);
        sendGroup->addButton(optByCredit);
        cmbL1->addItems({"以单价为准", "以金额为准"});
        cmbData->addItem("手工录入", 0);
        cmbData->addItem("最新入库价", 2);
        cmbData->addItem("计划价", 3);
        cmbMark->addItems({"/", "-", "."});
        intDiff->setRange(-10, 10);
    }

    static QList<ParamSpec> catalogue() {
        return {
            {"IC", "Flag", "0", "chkFlag", ParamRule::Flag},
            {"IC", "One", "0", "chkOne", ParamRule::FlagIsOne},
            {"IC", "Text", "1", "chkText", ParamRule::FlagUnlessZero},
            {"GL", "NoOverBud", "0", "OptBud", ParamRule::OptionIndex},
            {"GL",
             "ContrastSendType",
             "0",
             "",
             ParamRule::OptionIndex,
             {"OptByDebit", "OptByCredit"}},
            {"IC", "MakeBill", "1", "cmbL1", ParamRule::ComboIndexFrom1},
            {"IC", "NegPrice", "0", "cmbData", ParamRule::ComboItemData},
            {"General", "AuxSpaceMark", "", "cmbMark", ParamRule::ComboText},
            {"IC", "AlarmDays", "0", "txtDays", ParamRule::NumberText},
            {"GL", "VchInPutMothDiff", "0", "intDiff", ParamRule::Number},
        };
    }
};

}  // namespace

class StoreTest : public QObject {
    Q_OBJECT

private slots:
    void readingStoredTexts_data();
    void readingStoredTexts();
    void conversions();
    void catalogueLoadsAndSavesInListOrder();
    void unmatchedStoredValuesLeaveNothingToWrite();
    void missingControlRaisesBeforeAnyWrite();
};

void StoreTest::readingStoredTexts_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("flag");
    QTest::addColumn<qint32>("number");
    QTest::newRow("1") << "1" << true << 1;
    QTest::newRow("0") << "0" << false << 0;
    QTest::newRow("2") << "2" << true << 2;
    QTest::newRow("00") << "00" << false << 0;
    QTest::newRow("blank 0") << " 0" << false << 0;
    QTest::newRow("letters") << "abc" << false << 0;
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("number then letters") << " 12abc" << true << 12;
    QTest::newRow("half to even down") << "2.5" << true << 2;
    QTest::newRow("half to even up") << "3.5" << true << 4;
}

void StoreTest::readingStoredTexts() {
    QFETCH(QString, stored);
    QFETCH(bool, flag);
    QFETCH(qint32, number);
    zxtest::TableProfile profile;
    profile.set("IC", "K", stored);
    QCOMPARE(readFlag(profile, "IC", "K"), flag);
    QCOMPARE(readInt(profile, "IC", "K"), number);
    QCOMPARE(readText(profile, "IC", "K", "x"), stored);
}

void StoreTest::conversions() {
    zxtest::TableProfile profile;
    QCOMPARE(readFlag(profile, "GL", "ShowDashBoard", "1"), true);  // absent: the default
    QCOMPARE(readInt(profile, "GL", "QtyDefNum", "2"), 2);
    profile.set("GL", "Big", "3000000000");
    QCOMPARE(errorNumberOf([&] { readInt(profile, "GL", "Big"); }), 6);
    QCOMPARE(errorNumberOf([] { roundToInt16(40000); }), 6);

    QCOMPARE(textToInt32(" 4 "), 4);
    QCOMPARE(errorNumberOf([] { textToInt32("4x"); }), 13);
    QCOMPARE(errorNumberOf([] { textToInt32(""); }), 13);

    // A greyed box is saved as checked but counts as the system's value 2.
    QCOMPARE(encodeFlag(Qt::PartiallyChecked), qint16(1));
    QCOMPARE(encodeFlag(Qt::Unchecked), qint16(0));
    QCOMPARE(checkValue(Qt::PartiallyChecked), qint16(2));
    QCOMPARE(checkValue(Qt::Checked), qint16(1));
}

void StoreTest::catalogueLoadsAndSavesInListOrder() {
    zxtest::ScriptedHost host;
    host.properties.insert("PropsString", kProps);
    zxtest::TableProfile profile;
    profile.set("IC", "Flag", "2");
    profile.set("IC", "One", "2");
    profile.set("IC", "Text", "00");
    profile.set("GL", "NoOverBud", "2");
    profile.set("GL", "ContrastSendType", "1");
    profile.set("IC", "MakeBill", "2");
    profile.set("IC", "NegPrice", "2");
    profile.set("General", "AuxSpaceMark", "-");
    profile.set("IC", "AlarmDays", "7.00");
    profile.set("GL", "VchInPutMothDiff", "-3");

    Page page;
    loadParams(&page.root, profile, Page::catalogue());
    QCOMPARE(page.chkFlag->checkState(), Qt::Checked);
    QCOMPARE(page.chkOne->checkState(), Qt::Unchecked);  // only exactly 1 ticks
    QCOMPARE(page.chkText->checkState(), Qt::Checked);   // text compare: "00" is not "0"
    QVERIFY(page.opt[2]->isChecked() && !page.opt[0]->isChecked());
    QVERIFY(page.optByCredit->isChecked());
    QCOMPARE(page.cmbL1->currentIndex(), 1);
    QCOMPARE(page.cmbData->currentIndex(), 2);
    QCOMPARE(page.cmbMark->currentText(), QString("-"));
    QCOMPARE(page.txtDays->text(), QString("7"));
    QCOMPARE(page.intDiff->value(), -3);

    page.chkOne->setCheckState(Qt::PartiallyChecked);
    page.opt[0]->setChecked(true);
    page.cmbData->setCurrentIndex(1);
    page.intDiff->setValue(4);

    zxtest::RecordingWriter writer;
    saveParams(&page.root, writer, Page::catalogue());
    QStringList written;
    for (const auto& call : writer.calls) {
        QCOMPARE(call.props, kProps);
        written << call.key + "=" + call.value.toString();
    }
    QCOMPARE(written, QStringList({"Flag=1", "One=1", "Text=1", "NoOverBud=0", "ContrastSendType=1",
                                   "MakeBill=2", "NegPrice=2", "AuxSpaceMark=-", "AlarmDays=7",
                                   "VchInPutMothDiff=4"}));
    QCOMPARE(writer.calls[1].value.typeId(), QMetaType::Short);  // yes/no as 16-bit
    QCOMPARE(writer.calls[9].value.typeId(), QMetaType::Int);
}

void StoreTest::unmatchedStoredValuesLeaveNothingToWrite() {
    zxtest::TableProfile profile;
    profile.set("GL", "NoOverBud", "3");
    profile.set("GL", "ContrastSendType", "5");
    profile.set("IC", "MakeBill", "0");
    profile.set("General", "AuxSpaceMark", "|");

    Page page;
    page.opt[1]->setChecked(true);
    page.optByDebit->setChecked(true);
    loadParams(&page.root, profile, Page::catalogue());
    for (QRadioButton* option : page.opt) QVERIFY(!option->isChecked());
    QVERIFY(!page.optByDebit->isChecked() && !page.optByCredit->isChecked());
    QCOMPARE(page.cmbL1->currentIndex(), -1);
    QCOMPARE(page.cmbMark->currentIndex(), -1);

    QStringList keys;
    for (const ParamValue& value : collectParams(&page.root, Page::catalogue())) {
        keys << value.key;
    }
    QCOMPARE(keys,
             QStringList({"Flag", "One", "Text", "NegPrice", "AlarmDays", "VchInPutMothDiff"}));
}

void StoreTest::missingControlRaisesBeforeAnyWrite() {
    zxtest::ScriptedHost host;
    Page page;
    zxtest::TableProfile profile;
    zxtest::RecordingWriter writer;
    QList<ParamSpec> specs = Page::catalogue();
    specs.append({"GL", "Gone", "0", "chkGone", ParamRule::Flag});
    QCOMPARE(errorNumberOf([&] { loadParams(&page.root, profile, specs); }),
             zx::host::kGenericError);
    QCOMPARE(errorNumberOf([&] { saveParams(&page.root, writer, specs); }),
             zx::host::kGenericError);
    QVERIFY(writer.calls.isEmpty());
}

QTEST_MAIN(StoreTest)
#include "test_store.moc"
