// A save changes nothing the user did not change: every parameter the dialog
// reads is seeded with an awkward but legal stored text (or left absent, or
// empty), one unrelated box is changed, and after the save every stored row
// is byte-identical but the few the system writes on every save.
//
// Every declared parameter, besides: its control is on the page with the
// declared name and caption, and a change of it marks the dialog changed, is
// saved and shown again after a reload (the load, the save and the codec agree).
//
// The parameters come from the dialog's own declarations, as its load reads
// them, so a parameter added later is covered without touching this test.
// Every write is recorded too: rewriting an unchanged value, even as it was,
// would undo what another workstation saved meanwhile.

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QtTest>

#include "DialogHarness.h"
#include "SaveSupport.h"
#include "demo/Demo.h"
#include "zx/closing/frmICSystemProfiles.h"
#include "zx/frame/IntText3D.h"
#include "zx/params/Codec.h"
#include "zx/params/Param.h"

using zx::params::Codec;
using zx::params::Kind;
using zx::params::Param;
using zx::params::State;
using zx::params::Write;

namespace {

// Rows a save writes whatever the user did, and what it writes.
struct Regardless {
    const char* row;
    const char* value;
};
const Regardless kRegardless[] = {
    // The payroll page turns off the checks it does not show when it finds them on.
    {"PA/ReCheckBeforeClose", "0"},
    {"PA/ChkPrnPARpt", "0"},
    {"PA/PaIsClsPeriodClose", "0"},
    {"PA/HRViewDataCheck", "0"},
    {"PA/HRViewDataRecheck", "0"},
    {"FA/FALinkedGL", "1"},         // fixed assets are always saved linked to the ledger
    {"IC/IsBatchNoAutoFill", "0"},  // an auto-fill without its type is corrected at opening
};

const char* const kChanged = "General/Fax";

// An awkward but legal stored text for each way of storing a value: one the
// control cannot show exactly, or one beyond the old typing limits.
// clang-format off
const std::pair<Codec, const char*> kAwkward[] = {
    {Codec::Flag, "1.0"},        {Codec::FlagNumber, "1.0"},     {Codec::FlagOne, "2"},
    {Codec::FlagText, "00"},     {Codec::FlagTextStr, "00"},     {Codec::FlagState, "2"},
    {Codec::Index, "7"},         {Codec::ItemData, "7"},         {Codec::IndexFrom1, "0"},
    {Codec::EntryText, "|"},     {Codec::Option, " 1"},          {Codec::OptionInt, " 1"},
    {Codec::YtdType, "2"},       {Codec::SendSide, "3"},         {Codec::Zero1, "5"},
    {Codec::NonZero0, "-1"},     {Codec::One0, "2"},             {Codec::TaxKind, " 1"},
    {Codec::OrgKind, "4"},       {Codec::Chars3, "01"},          {Codec::PairCode, "3"},
    {Codec::InvoiceKind, "5"},   {Codec::Number, "12000"},       {Codec::NumberText, "12000"},
    {Codec::WholeNumber, "2024.5"}, {Codec::StrictInt, " 12 "},  {Codec::Decimal, "17.50"},
    {Codec::Page, " 12"},        {Codec::Text, "  前导空格 O'Brien"},
};
// clang-format on

QString awkward(const Param& p) {
    for (const auto& [codec, text] : kAwkward) {
        if (codec == p.codec) return QString::fromUtf8(text);
    }
    qFatal("no awkward text for the codec of %s", p.key);
}

// An empty stored text, where the control can hold it (a precision must be a number).
QString empty(const Param& p) {
    return p.codec == Codec::StrictInt ? QStringLiteral("10") : QString();
}

// The ledger's calendar and the business start decide what a save asks and
// checks; they are the account set's state, not options a save may touch.
// The company name must pass the save's own check.
bool seeded(const Param& p) {
    if (qstrcmp(p.key, "CompanyName") == 0) return false;
    return p.write != Write::Never || p.codec == Codec::OrgKind;
}

// Another state the user could choose.
State another(const Param& p, State s) {
    auto next = [](int v, int count) { return (std::max(v, 0) + 1) % std::max(count, 2); };
    const int count = zx::params::itemCount(p.control);
    if (p.second.name) {
        // A box and its list: the list's choice is kept only while the box is ticked.
        s.values[0] = 1;
        s.values[1] = next(s.values[1], zx::params::itemCount(p.second));
        return s;
    }
    switch (p.control.kind) {
        case Kind::Check:
        case Kind::Checks:
            s.values[0] = s.values[0] == 0 ? 1 : 0;
            break;
        case Kind::Options:
        case Kind::Combo:
            for (int& v : s.values) v = next(v, count);
            break;
        case Kind::Number: {
            const qint64 v = zx::Val(s.text);
            s.text = QString::number(v < p.control.upper ? std::max<qint64>(v + 1, p.control.lower)
                                                         : p.control.lower);
            break;
        }
        case Kind::Decimal:
            s.text = QStringLiteral("3.5");
            break;
        default:
            s.text = QStringLiteral("新") + s.text.left(20);
            break;
    }
    return s;
}

bool changeable(const Param& p, const zx::frame::Controls& c) {
    if (p.write == Write::Never || p.codec == Codec::Page) return false;
    // The auto-fill type presets these whenever the dialog loads.
    const QByteArray name(p.control.name);
    if (name.startsWith("cmbIC_BatchNo") || name == "chkIC_IsBatchNoAutoFill") return false;
    // The balances service decides whether write-off (and the business number
    // that needs it) may be switched.
    if (name == "chkTransCheckStart" || name == "ChkTransNo") return false;
    // Fixed assets are always saved linked to the ledger.
    if (name == "ChkFAtoGL") return false;
    for (QWidget* w : c.widgets(p)) {
        if (!w->isEnabled()) return false;
    }
    return true;
}

}  // namespace

class RoundTripTest : public QObject {
    Q_OBJECT

    // Every stored parameter row, whole.
    static QMap<QString, QString> rows(DialogHarness& h) {
        QMap<QString, QString> out;
        auto rs = h.set.db->nativeQuery(QStringLiteral(
            "SELECT FCategory, FKey, FValue, FReadonly, FLevel FROM t_SystemProfile"));
        for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
            QStringList columns;
            for (int i = 2; i < 5; ++i) {
                const QVariant v = rs->Field(i);
                columns << (v.isNull() ? QStringLiteral("<null>") : v.toString());
            }
            out.insert(rs->Field(0).toString() + u'/' + rs->Field(1).toString(),
                       columns.join(u'|'));
        }
        return out;
    }

    static void seed(DialogHarness& h, const QString& variant) {
        const QList<const Param*> params = h.dialog->parameters();
        QVERIFY(params.size() > 150);
        int i = 0;
        for (const Param* p : params) {
            if (!seeded(*p)) continue;
            const QString cat = zx::params::categoryName(p->cat);
            const QString key = zx::params::keyOf(*p);
            if (variant == QLatin1String("absent")) {
                h.removeParam(cat, key);
            } else if (variant == QLatin1String("empty")) {
                h.setParam(cat, key, empty(*p));
            } else if (variant == QLatin1String("mixed")) {
                // Every third absent, every third empty, every third awkward.
                if (i % 3 == 0) h.removeParam(cat, key);
                if (i % 3 == 1) h.setParam(cat, key, empty(*p));
                if (i % 3 == 2) h.setParam(cat, key, awkward(*p));
            } else {
                h.setParam(cat, key, awkward(*p));
            }
            ++i;
        }
    }

private slots:
    void oneUnrelatedChange_data() {
        QTest::addColumn<QString>("variant");
        for (const char* v : {"awkward", "absent", "empty", "mixed"}) QTest::newRow(v) << v;
    }

    void oneUnrelatedChange() {
        QFETCH(QString, variant);
        DialogHarness h("administrator",
                        [](DialogHarness& d) { refhost::startDemoModules(*d.set.db); });
        seed(h, variant);
        h.open();
        QVERIFY2(h.shownOf("error").isEmpty(), qPrintable(h.shown.join('\n')));
        const QMap<QString, QString> before = rows(h);
        const QString registered = registeredName(h);
        recordWrites(h);
        const int logRows = h.set.count(QStringLiteral("t_SystemProfile_Log"));
        const int itemRates =
            h.set.count(QStringLiteral("t_ItemPropDesc WHERE FDefaultValue = '13'"));

        h.c<QLineEdit>("txtFax")->setText(QStringLiteral("021-12345678"));
        QVERIFY2(h.dialog->SaveProfiles(), qPrintable(h.shown.join('\n')));
        QVERIFY2(h.unanswered.isEmpty(), qPrintable(h.unanswered.join('\n')));
        QVERIFY(!h.dialog->IsChanged());
        QStringList unexpected;
        for (const QString& key : writtenKeys(h)) {
            if (key != QLatin1String(kChanged) &&
                std::none_of(std::begin(kRegardless), std::end(kRegardless),
                             [&key](const Regardless& r) { return key == r.row; })) {
                unexpected << key;
            }
        }
        QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected.join(' ')));

        const QMap<QString, QString> after = rows(h);
        QStringList differing;
        QStringList keys = before.keys() + after.keys();
        keys.removeDuplicates();
        for (const QString& key : keys) {
            if (before.value(key, QStringLiteral("<absent>")) ==
                after.value(key, QStringLiteral("<absent>"))) {
                continue;
            }
            const auto* known = std::find_if(std::begin(kRegardless), std::end(kRegardless),
                                             [&key](const Regardless& r) { return key == r.row; });
            if (key == QLatin1String(kChanged)) {
                QVERIFY(after.value(key).startsWith(QStringLiteral("021-12345678|")));
            } else if (known != std::end(kRegardless)) {
                QVERIFY2(after.value(key).startsWith(QString::fromLatin1(known->value) + u'|'),
                         qPrintable(key + u' ' + after.value(key)));
            } else {
                differing << key + QStringLiteral(": ") +
                                 before.value(key, QStringLiteral("<absent>")) +
                                 QStringLiteral(" -> ") +
                                 after.value(key, QStringLiteral("<absent>"));
            }
        }
        QVERIFY2(differing.isEmpty(), qPrintable(differing.join('\n')));
        QCOMPARE(h.set.count(QStringLiteral("t_SystemProfile_Log")), logRows);
        QCOMPARE(h.set.count(QStringLiteral("t_ItemPropDesc WHERE FDefaultValue = '13'")),
                 itemRates);
        QCOMPARE(registeredName(h), registered);
    }

    // The closing options write the one box the user changed.
    void closingOptions() {
        DialogHarness h("administrator", [](DialogHarness& d) {
            d.setParam("IC", "UnCheckBillByPeriodSaleFP", "2");
            d.setParam("IC", "UnCheckBillByRedSaleFP", " 1");
            d.removeParam("IC", "UnCheckBillByPrevPurchanceFP");
            d.setParam("IC", "UnCheckBillByPrevSaleFP", "");
        });
        const QMap<QString, QString> before = rows(h);
        zx::closing::frmICSystemProfiles closing;
        closing.Form_Activate();
        auto* box = closing.findChild<QCheckBox*>("chkHS_UnCheckBillByPrevSaleFP");
        box->click();
        closing.btnSave_Click();
        QMap<QString, QString> after = rows(h);
        QCOMPARE(after.take("IC/UnCheckBillByPrevSaleFP").section(u'|', 0, 0), QString("1"));
        QMap<QString, QString> expected = before;
        expected.remove("IC/UnCheckBillByPrevSaleFP");
        QCOMPARE(after, expected);
    }

    void everyControlIsOnItsPage() {
        DialogHarness h;
        const auto params = h.dialog->parameters();
        QVERIFY(params.size() > 150);
        for (const Param* p : params) {
            const QList<QWidget*> widgets = h.dialog->controls().widgets(*p);
            QVERIFY2(!widgets.isEmpty(), p->key);
            if (p->control.kind == Kind::Check) {
                auto* box = qobject_cast<QAbstractButton*>(widgets.first());
                QVERIFY2(box && box->text() == zx::params::text(p->control.caption), p->key);
            }
            if (p->control.labelName) {
                QVERIFY2(h.dialog->findChild<QLabel*>(p->control.labelName), p->control.labelName);
            }
        }
    }

    void everyChangeIsSavedAndShownAgain() {
        DialogHarness h("administrator",
                        [](DialogHarness& d) { refhost::startDemoModules(*d.set.db); });
        QStringList failures;
        const auto params = h.dialog->parameters();
        for (const Param* p : params) {
            const zx::frame::Controls& c = h.dialog->controls();
            if (!changeable(*p, c)) continue;
            c.setState(*p, another(*p, c.state(*p)));
            const State chosen = c.state(*p);
            if (!h.dialog->IsChanged()) failures << QStringLiteral("%1: no change").arg(p->key);
            for (int i = 0; i < 3; ++i) h.answerYes();  // the approval guard, start questions
            if (!h.dialog->SaveProfiles()) {
                failures << QStringLiteral("%1: not saved %2").arg(p->key, h.shown.join(u';'));
                h.open();
                continue;
            }
            h.answers.clear();
            h.open();
            if (h.dialog->controls().state(*p) != chosen) {
                failures << QStringLiteral("%1: shown %2 after saving %3")
                                .arg(p->key, h.param(zx::params::categoryName(p->cat),
                                                     zx::params::keyOf(*p)))
                                .arg(chosen.values.isEmpty()
                                         ? chosen.text
                                         : QString::number(chosen.values.first()));
            }
        }
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join('\n')));
    }
};

QTEST_MAIN(RoundTripTest)
#include "test_roundtrip.moc"
