// A save changes nothing the user did not change: every parameter the dialog
// reads is seeded with an awkward but legal stored text (or left absent, or
// empty), one unrelated box is changed, and after the save every stored row
// is byte-identical but the few the system writes on every save.
//
// The parameters come from the dialog's own declarations, as its load reads
// them, so a parameter added later is covered without touching this test.
// Every write is recorded too: rewriting an unchanged value, even as it was,
// would undo what another workstation saved meanwhile.

#include <QCheckBox>
#include <QLineEdit>
#include <QMap>
#include <QtTest>

#include "DialogHarness.h"
#include "SaveSupport.h"
#include "demo/Demo.h"
#include "zx/closing/frmICSystemProfiles.h"
#include "zx/params/Param.h"

using zx::params::Codec;
using zx::params::Param;
using zx::params::Write;

namespace {

// Rows a save writes whatever the user did, with the reason and what is written.
struct Regardless {
    const char* row;
    const char* value;
    const char* why;
};
const Regardless kRegardless[] = {
    {"PA/ReCheckBeforeClose", "0", "the payroll page turns off the checks it does not show"},
    {"PA/ChkPrnPARpt", "0", "the payroll page turns off the checks it does not show"},
    {"PA/PaIsClsPeriodClose", "0", "the payroll page turns off the checks it does not show"},
    {"PA/HRViewDataCheck", "0", "the payroll page turns off the checks it does not show"},
    {"PA/HRViewDataRecheck", "0", "the payroll page turns off the checks it does not show"},
    {"FA/FALinkedGL", "1", "fixed assets are always saved linked to the ledger"},
    {"IC/IsBatchNoAutoFill", "0", "an auto-fill without an auto-fill type is corrected at opening"},
};

const char* const kChanged = "General/Fax";

// An awkward but legal stored text for each way of storing a value: one the
// control cannot show exactly, or one beyond the old typing limits.
QString awkward(const Param& p) {
    switch (p.codec) {
        case Codec::Flag:
        case Codec::FlagNumber:
            return QStringLiteral("1.0");
        case Codec::FlagOne:
            return QStringLiteral("2");
        case Codec::FlagText:
        case Codec::FlagTextStr:
            return QStringLiteral("00");
        case Codec::FlagState:
            return QStringLiteral("2");
        case Codec::Index:
        case Codec::ItemData:
            return QStringLiteral("7");
        case Codec::IndexFrom1:
            return QStringLiteral("0");
        case Codec::EntryText:
            return QStringLiteral("|");
        case Codec::Option:
        case Codec::OptionInt:
            return QStringLiteral(" 1");
        case Codec::YtdType:
            return QStringLiteral("2");
        case Codec::SendSide:
            return QStringLiteral("3");
        case Codec::Zero1:
            return QStringLiteral("5");
        case Codec::NonZero0:
            return QStringLiteral("-1");
        case Codec::One0:
            return QStringLiteral("2");
        case Codec::TaxKind:
            return QStringLiteral(" 1");
        case Codec::OrgKind:
            return QStringLiteral("4");
        case Codec::Chars3:
            return QStringLiteral("01");
        case Codec::PairCode:
            return QStringLiteral("3");
        case Codec::InvoiceKind:
            return QStringLiteral("5");
        case Codec::Text:
            return QStringLiteral("  前导空格 O'Brien");
        case Codec::NumberText:
        case Codec::Number:
            return QStringLiteral("12000");
        case Codec::WholeNumber:
            return QStringLiteral("2024.5");
        case Codec::StrictInt:
            return QStringLiteral(" 12 ");
        case Codec::Decimal:
            return QStringLiteral("17.50");
        case Codec::Page:
            return QStringLiteral(" 12");
    }
    return {};
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

    static QString registeredName(DialogHarness& h) {
        auto rs =
            h.set.db->nativeQuery(QStringLiteral("SELECT FCompanyName FROM t_ad_zxAccount_gl"));
        rs->MoveFirst();
        return rs->Field(0).toString();
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
};

QTEST_MAIN(RoundTripTest)
#include "test_roundtrip.moc"
