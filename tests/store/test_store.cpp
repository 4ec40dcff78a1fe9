// Reading stored texts and the codecs between a stored text and what a
// control shows: each codec on a parameter declared with it, with the
// awkward stored texts a real account set can hold.

#include <QTest>
#include <functional>

#include "ScriptedHost.h"
#include "StoreFakes.h"
#include "zx/params/Business.h"
#include "zx/params/Codec.h"
#include "zx/params/Ledger.h"
#include "zx/store/Store.h"

using namespace zx::store;
using zx::host::HostError;
using zx::params::Codec;
using zx::params::Param;
using zx::params::State;
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
    {"Flag blank 0", P::ledger::CheckBeforePost, " 0", values({0}), QStringLiteral("0")},
    {"Flag letters", P::ledger::CheckBeforePost, "abc", values({0}), QStringLiteral("0")},
    {"Flag empty", P::ledger::CheckBeforePost, "", values({0}), QStringLiteral("0")},
    {"Flag number then letters", P::ledger::CheckBeforePost, " 12abc", values({1}),
     QStringLiteral("1")},
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
    void readingStoredTexts_data();
    void readingStoredTexts();
    void conversions();
    void codecs_data();
    void codecs();
    void everyCodecIsCovered();
    void storedTextsABoxCannotHoldRaise();
    void changeLogValueTexts();
};

void StoreTest::readingStoredTexts_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<qint32>("number");
    QTest::newRow("1") << "1" << 1;
    QTest::newRow("blank 0") << " 0" << 0;
    QTest::newRow("letters") << "abc" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("number then letters") << " 12abc" << 12;
    QTest::newRow("hexadecimal is no number") << "&H1F" << 0;
    QTest::newRow("exponent is not read") << "1e3" << 1;
    QTest::newRow("half to even down") << "2.5" << 2;
    QTest::newRow("half to even up") << "3.5" << 4;
}

void StoreTest::readingStoredTexts() {
    QFETCH(QString, stored);
    QFETCH(qint32, number);
    zxtest::TableProfile profile;
    profile.set("IC", "K", stored);
    QCOMPARE(readInt(profile, "IC", "K"), number);
    QCOMPARE(readText(profile, "IC", "K", "x"), stored);
}

void StoreTest::conversions() {
    zxtest::TableProfile profile;
    QCOMPARE(readText(profile, "GL", "ShowDashBoard", "1"), QString("1"));  // absent: the default
    QCOMPARE(readInt(profile, "GL", "QtyDefNum", "2"), 2);
    profile.set("GL", "Big", "3000000000");
    QCOMPARE(errorNumberOf([&] { readInt(profile, "GL", "Big"); }), 6);
    QCOMPARE(errorNumberOf([] { roundToInt16(40000); }), 6);

    QCOMPARE(textToInt32(" 4 "), 4);
    QCOMPARE(errorNumberOf([] { textToInt32("4x"); }), 13);
    QCOMPARE(errorNumberOf([] { textToInt32(""); }), 13);

    QCOMPARE(numberText(17.0), QString("17"));
    QCOMPARE(numberText(17.5), QString("17.5"));
    QCOMPARE(numberText(-0.25), QString("-0.25"));

    zxtest::ScriptedHost host;
    host.properties.insert("PropsString", kProps);
    zxtest::RecordingWriter writer;
    writeValue(writer, "GL", "TaxRate", 17.5);
    QCOMPARE(writer.calls.size(), 1);
    QCOMPARE(writer.calls[0].props, kProps);
    QCOMPARE(writer.calls[0].key, QString("TaxRate"));
    QCOMPARE(writer.calls[0].value, QVariant(17.5));
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

void StoreTest::everyCodecIsCovered() {
    QStringList missing;
    for (int c = 0; c <= int(Codec::Page); ++c) {
        const bool covered = std::any_of(std::begin(kRows), std::end(kRows),
                                         [c](const CodecRow& r) { return int(r.p.codec) == c; });
        if (!covered) missing << QString::number(c);
    }
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(u',')));
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

QTEST_MAIN(StoreTest)
#include "test_store.moc"
