// The stored texts and the codecs between a stored text and what a control
// shows, each codec on a parameter declared with it with the awkward texts a
// real account set can hold; and the change log of the watched parameters.

#include <QCheckBox>
#include <QTest>
#include <functional>

#include "DialogHarness.h"
#include "ScriptedHost.h"
#include "zx/host/MemoryRecordSet.h"
#include "zx/host/Services.h"
#include "zx/params/Business.h"
#include "zx/params/Codec.h"
#include "zx/params/Ledger.h"
#include "zx/store/ChangeLog.h"
#include "zx/store/Store.h"

using namespace zx::store;
using zx::host::HostError;
using zx::params::Codec;
using zx::params::Param;
using zx::params::State;
using zx::store::ChangeLog;
namespace P = zx::params;

namespace zx::params {
// How a failing comparison prints a state.
char* toString(const State& s) {
    QStringList parts;
    for (int v : s.values) parts << QString::number(v);
    return QTest::toString(QStringLiteral("{%1} \"%2\"").arg(parts.join(u','), s.text));
}
}  // namespace zx::params

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

State values(QList<int> v) {
    return {v, {}};
}
State text(const QString& t) {
    return {{}, t};
}
QVariant i16(int v) {
    return QVariant::fromValue(qint16(v));
}

// Answers the server-time query with a fixed moment.
class ClockClassInfo : public zx::host::ClassInfo {
public:
    QDateTime now{QDate(2024, 3, 5), QTime(14, 7, 9)};
    QStringList queries;
    zx::host::RecordSetPtr GetData(const QString&, const QString& sql) override {
        queries << sql;
        return std::make_shared<zx::host::MemoryRecordSet>(QStringList{QStringLiteral("NowTime")},
                                                           QList<QVariantList>{{now}});
    }
};

class RecordingClassUpdate : public zx::host::ClassUpdate {
public:
    struct Call {
        QString props, sql;
    };
    QList<Call> calls;
    bool fail = false;
    void SaveItem(const QString& props, const QString& sql) override {
        calls.append({props, sql});
        if (fail) {
            throw zx::host::HostError(-2147217900, QStringLiteral("ClassUpdate"),
                                      QStringLiteral("插入失败"));
        }
    }
};

class PlainStringBuilder : public zx::host::StringBuilder {
public:
    void Append(const QString& text) override { text_ += text; }
    QString ToString() const override { return text_; }
    int Length() const override { return int(text_.size()); }
    void Clear() override { text_.clear(); }

private:
    QString text_;
};

const QString kInsert = QStringLiteral(
    "Insert Into t_SystemProfile_Log(FOptTime,FUserID,FCategory,FKey,FDesc,FOrigValue,"
    "FNewValue,FMachineName,FIpAddress) Values (");

// A host with the services the log uses, each recording what it sees.
struct LogHost {
    zxtest::ScriptedHost host;
    std::shared_ptr<ClockClassInfo> info = std::make_shared<ClockClassInfo>();
    std::shared_ptr<RecordingClassUpdate> update = std::make_shared<RecordingClassUpdate>();

    LogHost() {
        host.properties.insert("PropsString", kProps);
        host.properties.insert("UserID", 7);
        host.provide(info);
        host.provide(update);
        host.provide(QStringLiteral("StringBuilder"),
                     [] { return std::make_shared<PlainStringBuilder>(); });
    }

    QStringList statements() const {
        QStringList all;
        for (const auto& call : update->calls) {
            QStringList parts = call.sql.split(QStringLiteral("\r\n"));
            if (parts.last().isEmpty()) parts.removeLast();
            all += parts;
        }
        return all;
    }
};

void addSwitch(ChangeLog& log, const QString& key, const QString& value) {
    log.AddLogItem("IC", key, QStringLiteral("说明 ") + key, value, true, false);
}

// No page declares this codec today; a plain option group stands in.
constexpr Param kOptionInt = P::make::param(
    P::Cat::GL, "OptionInt", "0", P::make::options("optInt", {u"甲", u"乙"}), Codec::OptionInt);

// A stored text, the state the control shows, and what a save writes for
// that state (invalid: nothing).
struct CodecRow {
    const char* name;
    const Param& p;
    QString stored;
    State shown;
    QVariant written;
};

const CodecRow kRows[] = {
    // Ledger flags: any leading number but 0 ticks; saved "1"/"0".
    {"Flag 1", P::ledger::CheckBeforePost, "1", values({1}), QStringLiteral("1")},
    {"Flag 2", P::ledger::CheckBeforePost, "2", values({1}), QStringLiteral("1")},
    {"Flag letters", P::ledger::CheckBeforePost, "abc", values({0}), QStringLiteral("0")},
    // B0: the leading number only, no hexadecimal reading; saved as a 16-bit number.
    {"B0 2", P::business::DoubleUnit, "2", values({1}), i16(1)},
    {"B0 &H1", P::business::DoubleUnit, "&H1", values({0}), i16(0)},
    {"B0 0.4", P::business::DoubleUnit, "0.4", values({1}), i16(1)},
    // B1: ticked only for the number 1.
    {"B1 1", P::business::NoSameWareInBill, "1", values({1}), i16(1)},
    {"B1 1.0", P::business::NoSameWareInBill, "1.0", values({1}), i16(1)},
    {"B1 2", P::business::NoSameWareInBill, "2", values({0}), i16(0)},
    {"B1 &H1", P::business::NoSameWareInBill, "&H1", values({0}), i16(0)},
    {"B1 1D1", P::business::MoCommitQty, "1D1", values({1}), i16(1)},
    // BT: unticked only for the text "0" itself.
    {"BT 0", P::business::UnCheckSelfBill, "0", values({0}), i16(0)},
    {"BT 00", P::business::UnCheckSelfBill, "00", values({1}), i16(1)},
    {"BT empty", P::business::UnCheckSelfBill, "", values({1}), i16(1)},
    {"FA 00", P::assets::NoDepr, "00", values({1}), QStringLiteral("1")},
    {"FA 0", P::assets::NoDepr, "0", values({0}), QStringLiteral("0")},
    // Cashier boxes show the greyed state 2; saved 1/0 as a number.
    {"state 2", P::cashier::MakeJournal, "2", values({2}), qint32(1)},
    {"state 7", P::cashier::MakeJournal, "7", values({1}), qint32(1)},
    {"state 0", P::cashier::MakeJournal, "0", values({0}), qint32(0)},
    // Lists.
    {"index", P::business::CGOrderDepositType, "2", values({2}), qint32(2)},
    {"index beyond", P::business::CGOrderDepositType, "3", values({-1}), QVariant()},
    {"index fraction", P::business::CGOrderDepositType, "1.5", values({-1}), QVariant()},
    {"index from 1", P::business::MakeBillCG, "2", values({1}), qint32(2)},
    {"index from 1 zero", P::business::MakeBillCG, "0", values({-1}), QVariant()},
    {"item data", P::business::NegPrice, "3", values({3}), qint32(3)},
    {"entry text", P::business::AuxSpaceMark, "-", values({1}), QStringLiteral("-")},
    {"entry text unknown", P::business::AuxSpaceMark, "|", values({-1}), QVariant()},
    {"field name", P::business::BatchNo01FieldName,
     QString::fromUtf16(P::business::kBatchFields[1]), values({1}),
     QString::fromUtf16(P::business::kBatchFields[1])},
    // Option groups.
    {"option", P::ledger::NoOverBud, "2", values({2}), QStringLiteral("2")},
    {"option none", P::ledger::NoOverBud, "3", values({-1}), QStringLiteral("3")},
    {"option 32-bit", kOptionInt, "1", values({1}), qint32(1)},
    {"option 32-bit none", kOptionInt, "5", values({-1}), QVariant()},
    {"send side", P::ledger::ContrastSendType, "1", values({1}), qint32(1)},
    {"send side none", P::ledger::ContrastSendType, "5", values({-1}), qint32(2)},
    // Only a switch between the stored states 0 and 1 is written.
    {"ytd 1", P::ledger::NoOverYtdBudType, "1", values({1}), QVariant()},
    {"ytd 5", P::ledger::NoOverYtdBudType, "5", values({1}), QVariant()},
    {"zero 1", P::business::CalculateType, "7", values({1}), qint32(1)},
    {"zero 0", P::business::CalculateType, "0", values({0}), qint32(0)},
    {"non-zero 0", P::business::ZanGuDiffMethod, "2", values({0}), qint32(1)},
    {"non-zero 1", P::business::ZanGuDiffMethod, "0", values({1}), qint32(0)},
    {"one 0", P::cashier::CashFixRate, "1", values({0}), qint32(1)},
    {"one 1", P::cashier::CashFixRate, "2", values({1}), qint32(0)},
    {"tax kind 1", P::company::TaxType, "1", values({1}), i16(1)},
    {"tax kind unset", P::company::TaxType, "-1", values({-1}), QVariant()},
    {"tax kind 00", P::company::TaxType, "00", values({-1}), QVariant()},
    {"org kind 3", P::company::CompanyType, "3", values({2}), QVariant()},
    {"org kind 9", P::company::CompanyType, "9", values({0}), QVariant()},
    {"three pairs", P::business::RedBillCaculate, "010", values({0, 1, 0}), QStringLiteral("010")},
    {"three pairs short", P::business::RedBillCaculate, "0", values({0, 1, 1}),
     QStringLiteral("011")},
    {"pair 2", P::business::MoCheckQty, "2", values({0, 1}), qint32(2)},
    {"pair 3", P::business::MoCheckQty, "3", values({0, 0}), qint32(0)},
    {"invoice 2", P::business::AutoMakeInvoiceCG, "2", values({1, 1}), qint32(2)},
    {"invoice off", P::business::AutoMakeInvoiceCG, "0", values({0, 0}), qint32(0)},
    {"invoice unknown", P::business::AutoMakeInvoiceCG, "3", values({1, -1}), QVariant()},
    // Boxes: the stored value as it is, beyond any typing limit.
    {"text as typed", P::company::CompanyName, QStringLiteral("　演示 "),
     text(QStringLiteral("　演示 ")), QStringLiteral("　演示 ")},
    {"number text", P::business::PurchaseAlarmDateCount, "12000", text("12000"),
     QStringLiteral("12000")},
    {"number text 7.00", P::business::PurchaseAlarmDateCount, "7.00", text("7"),
     QStringLiteral("7")},
    {"number beyond typing", P::ledger::QtyDefNum, "10", text("10"), qint32(10)},
    {"number half to even", P::ledger::QtyDefNum, "2.5", text("2"), qint32(2)},
    {"number empty", P::ledger::EndVoucherDate, "", text("0"), qint32(0)},
    {"whole number", P::business::StartYear, "2025.7", text("2025"), qint32(2025)},
    {"strict number", P::ledger::SInvoiceDecimal, " 4 ", text("4"), qint32(4)},
    {"decimal", P::company::TaxRate, "17.5", text("17.5"), 17.5},
    {"decimal 17.00", P::company::TaxRate, "17.00", text("17"), 17.0},
    {"page's own", P::periods::StartYear, "2024", text("2024"), QVariant()},
};

}  // namespace

class StoreTest : public QObject {
    Q_OBJECT

private slots:
    void readingStoredTexts();
    void conversions();
    void codecs_data();
    void codecs();
    void storedTextsABoxCannotHoldRaise();
    void changeLogValueTexts();
    void changesGoInOneBatchAndAreRebased();
    void aFailingLogIsSwallowed();
    void duplicateRegistrationUpdatesTheFirstOnly();
    void theDialogWatchesTheProductionKeys();
};

// Reading and writing through the account set's own parameter services.
void StoreTest::readingStoredTexts() {
    DemoSet set(true, "administrator");
    const QList<std::pair<QString, qint32>> numbers = {
        {"1", 1},   {" 0", 0},         {"abc", 0},
        {"", 0},    {" 12abc", 12},    {"&H1F", 0},  // hexadecimal is no number
        {"1e3", 1},                                  // nor is an exponent read
        {"2.5", 2},                                  // halves to even
        {"3.5", 4}, {"3000000000", -1}};             // overflow
    for (int i = 0; i < numbers.size(); ++i) {
        set.db->nativeExec(
            "INSERT INTO t_SystemProfile (FCategory, FKey, FValue) VALUES "
            "('IC', ?, ?)",
            {QString("K%1").arg(i), numbers[i].first});
    }
    auto profile = zx::host::createObject<zx::host::GLSystemProfile>();
    for (int i = 0; i < numbers.size(); ++i) {
        const QString key = QString("K%1").arg(i);
        QCOMPARE(readText(*profile, "IC", key, "x"), numbers[i].first);
        if (numbers[i].second < 0) {
            QCOMPARE(errorNumberOf([&] { readInt(*profile, "IC", key); }), 6);
        } else {
            QCOMPARE(readInt(*profile, "IC", key), numbers[i].second);
        }
    }
    QCOMPARE(readText(*profile, "GL", "ShowDashBoard", "1"), QString("1"));  // absent: the default
    QCOMPARE(readInt(*profile, "GL", "QtyDefNum", "2"), 2);

    writeValue(*profile, "GL", "TaxRate", 17.5);
    profile->Refresh();
    QCOMPARE(readText(*profile, "GL", "TaxRate", "x"), QString("17.5"));
}

void StoreTest::conversions() {
    QCOMPARE(errorNumberOf([] { roundToInt16(40000); }), 6);
    QCOMPARE(textToInt32(" 4 "), 4);
    QCOMPARE(errorNumberOf([] { textToInt32("4x"); }), 13);
    QCOMPARE(errorNumberOf([] { textToInt32(""); }), 13);
    QCOMPARE(numberText(17.0), QString("17"));
    QCOMPARE(numberText(17.5), QString("17.5"));
    QCOMPARE(numberText(-0.25), QString("-0.25"));
}

void StoreTest::codecs_data() {
    QTest::addColumn<int>("row");
    for (int i = 0; i < int(std::size(kRows)); ++i) QTest::newRow(kRows[i].name) << i;
}

void StoreTest::codecs() {
    QFETCH(int, row);
    const CodecRow& r = kRows[row];
    const State shown = P::decode(r.p, r.stored);
    QCOMPARE(shown, r.shown);
    // An unchanged state is written as the codec's value of it.
    const QVariant written = P::encode(r.p, shown, r.stored);
    QCOMPARE(written.isValid(), r.written.isValid());
    if (!r.written.isValid()) return;
    QCOMPARE(written.typeId(), r.written.typeId());
    QCOMPARE(written, r.written);
}

void StoreTest::storedTextsABoxCannotHoldRaise() {
    // Beyond 32 bits: overflow, so the load stops instead of showing a wrong number.
    QCOMPARE(errorNumberOf([] { P::decode(P::ledger::QtyDefNum, "99999999999"); }), 6);
    QCOMPARE(errorNumberOf([] { P::decode(P::business::PurchaseAlarmDateCount, "3000000000"); }),
             6);
    // A box that must hold a number as a whole.
    QCOMPARE(errorNumberOf([] { P::decode(P::ledger::SInvoiceDecimal, "4x"); }), 13);
    // An option index beyond 16 bits.
    QCOMPARE(errorNumberOf([] { P::decode(P::ledger::NoOverBud, "40000"); }), 6);
}

void StoreTest::changeLogValueTexts() {
    QCOMPARE(P::logValue(P::business::MoCommitQty, values({1})), QString("1"));
    QCOMPARE(P::logValue(P::business::MoCheckQty, values({0, 1}), 1), QString("1"));
    QCOMPARE(P::logValue(P::business::BOMType, values({1})),
             QString::fromUtf16(P::business::BOMType.control.items[1]));
    QCOMPARE(P::logValue(P::business::BOMType, values({-1})), QString());
    QCOMPARE(P::logValue(P::business::ManufactureAlarmDateCount, text("10000")), QString("10000"));
    QCOMPARE(P::flagText(2), QString("1"));
    QCOMPARE(P::flagText(0), QString("0"));
}

// Values back where they were loaded make no call at all; the changed ones go
// in one batch, and are the baseline of the next write.
void StoreTest::changesGoInOneBatchAndAreRebased() {
    LogHost env;
    ChangeLog log;
    addSwitch(log, "MoCommitQty", "0");
    addSwitch(log, "MoCheckQty", "1");
    addSwitch(log, "MoCheckQty1", "1");
    addSwitch(log, "UpdateBomStock", "0");
    log.AddLogItem("IC", "AlertMO", "d", "继续保存不提示", false, false);
    log.AddLogItem("IC", "ManufactureAlarmDateCount", "天数", "3", false, false);
    log.AddLogItem("IC", "BOMType", "O'Brien's 公式", "标准用量/(1-损耗率%)", false, false);
    log.UpdateLogItem("IC", "MoCommitQty", "0");
    log.UpdateLogItem("IC", "UpdateBomStock", "1");  // checked, then unchecked again
    log.UpdateLogItem("IC", "UpdateBomStock", "0");
    log.UpdateLogItem("IC", "AlertMO", "继续保存不提示");
    log.WriteLog();
    QCOMPARE(env.host.count("create:"), 0);
    QCOMPARE(env.host.count("factory:"), 0);
    QVERIFY(env.info->queries.isEmpty());
    QVERIFY(env.update->calls.isEmpty());

    log.UpdateLogItem("IC", "mocommitqty", "1");  // keys match without regard to case
    log.UpdateLogItem("IC", "MoCheckQty1", "2");  // greyed
    log.UpdateLogItem("IC", "ManufactureAlarmDateCount", "10");
    log.UpdateLogItem("IC", "BOMType", "it's; -- 标准");
    log.WriteLog();
    QCOMPARE(env.info->queries, QStringList({"Select GetDate() as NowTime"}));
    QCOMPARE(env.update->calls.size(), 1);
    QCOMPARE(env.update->calls[0].props, kProps);
    QVERIFY(env.update->calls[0].sql.endsWith(")\r\n"));
    const QString at = kInsert + "'2024-03-05 14:07:09',7,'IC',";
    const QString tail = QStringLiteral(",'WS-TEST','192.0.2.10')");
    QCOMPARE(
        env.statements(),
        QStringList(
            {at + "'MoCommitQty','说明 MoCommitQty','不启用','启用'" + tail,
             at + "'MoCheckQty1','说明 MoCheckQty1','启用','不启用'" + tail,
             at + "'ManufactureAlarmDateCount','天数','3','10'" + tail,
             at + "'BOMType','O''Brien''s 公式','标准用量/(1-损耗率%)','it''s; -- 标准'" + tail}));

    log.WriteLog();
    QCOMPARE(env.update->calls.size(), 1);
    QCOMPARE(env.info->queries.size(), 1);
}

// A log that cannot be written never stops a save nor shows anything: failing
// before the insert it keeps its records, failing in it they are rebased.
void StoreTest::aFailingLogIsSwallowed() {
    {
        zxtest::ScriptedHost host;  // no StringBuilder: creating it fails
        host.properties.insert("PropsString", kProps);
        host.provide(std::make_shared<ClockClassInfo>());
        ChangeLog log;
        addSwitch(log, "MoCommitQty", "0");
        log.UpdateLogItem("IC", "MoCommitQty", "1");
        log.WriteLog();
        QCOMPARE(log.items()[0].origValue, QString("不启用"));
        QCOMPARE(log.items()[0].newValue, QString("启用"));
        QVERIFY(host.messages.isEmpty());
    }
    LogHost env;
    env.update->fail = true;
    env.host.machineName = QString(128, QLatin1Char('w'));  // does not fit the name buffer
    QCOMPARE(ChangeLog::GetMachineName(), QString());
    env.host.machineName.reset();
    env.host.readTcpResult = 0;  // an unknown workstation is written as empty
    ChangeLog log;
    addSwitch(log, "MoCommitQty", "0");
    log.UpdateLogItem("IC", "MoCommitQty", "1");
    log.WriteLog();
    QCOMPARE(env.update->calls.size(), 1);
    QVERIFY(env.statements().value(0).endsWith("'不启用','启用','','')"));
    QVERIFY(env.host.messages.isEmpty());
    log.WriteLog();
    QCOMPARE(env.update->calls.size(), 1);  // not logged again
}

void StoreTest::duplicateRegistrationUpdatesTheFirstOnly() {
    ChangeLog log;
    addSwitch(log, "MoCommitQty", "0");
    addSwitch(log, "MoCommitQty", "0");  // a reload registers again
    QVERIFY(log.UpdateLogItem("ic", "MOCOMMITQTY", "1"));
    QCOMPARE(log.items()[0].newValue, QString("启用"));
    QCOMPARE(log.items()[1].newValue, QString("不启用"));
    QVERIFY(!log.UpdateLogItem("GL", "MoCommitQty", "1"));
    log.AddLogItem("IC", "BOMType", "d", "x", false, true);  // reset empties the list first
    QCOMPARE(log.items().size(), 1);
}

// The dialog registers the watched keys of the business page as loaded; what
// its save logs is the business page's tests' (tests/business).
void StoreTest::theDialogWatchesTheProductionKeys() {
    DialogHarness h("administrator", [](DialogHarness& d) {
        d.setParam("IC", "MoCheckQty", "1");
        d.setParam("IC", "ManufactureAlarmDateCount", "12000");
    });
    const auto& items = h.dialog->changeLog().items();
    QStringList keys;
    for (const auto& item : items) {
        QCOMPARE(item.category, QString("IC"));
        keys << item.key + '=' + item.origValue;
    }
    QCOMPARE(keys,
             (QStringList{"CProOutQtyLargerQty=不启用", "MoCommitQty=不启用", "MoCheckQty=启用",
                          "MoCheckQty1=不启用", "upDiscountSave=不启用", "CStoOutQtyLargerQty=启用",
                          "AlertMO=提示，并允许制单人继续保存", "BOMType=标准用量/(1-损耗率%)",
                          "UpdateBomStock=不启用", "ManufactureAlarmDateCount=12000",
                          "MoCheckNoApportionFee=不启用", "OutMoCheckNoOutExpense=不启用"}));
    // The second box of the pair has a sentence of its own; the others their captions.
    QCOMPARE(items[3].desc, QString("生产任务单/委外加工单需部分生产领料/委外发料即可入库"));
    QCOMPARE(items[1].desc, h.c<QCheckBox>("chkIC_MoCommitQty")->text());
}

QTEST_MAIN(StoreTest)
#include "test_store.moc"
