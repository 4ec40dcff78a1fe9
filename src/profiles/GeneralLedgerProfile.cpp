// General and ledger parameters: the load of the company, financial and
// ledger controls, and the company-name check used before saving.

#include <QAbstractButton>
#include <QCheckBox>
#include <QDate>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <cmath>

#include "zx/host/Environment.h"
#include "zx/profiles/IntText3D.h"
#include "zx/profiles/frmSystemProfiles.h"
#include "zx/session/Session.h"
#include "zx/store/Store.h"

using namespace zx::host;

namespace zx::profiles {

namespace {

// Ledger check boxes loaded in step order; special items are read after
// the row that names them.
struct FlagRow {
    const char* key;
    const char* control;
    const char* specCategory = nullptr;  // special item read after this row
    const char* specKey = nullptr;
    const char* specControl = nullptr;
    const char* defaultValue = "0";
};

const FlagRow kLedgerFlags[] = {
    {"VchMakeANDChkSame", "ChkAllCheck(0)"},
    {"AllowSameNameBellowOneParent", "chkAllowSameNameBellowOneParent"},
    {"CanCreateChildAcctWhenBeUsed", "chkCanCreateChildAcctWhenBeUsed"},
    {"MustBusinessClose", "chkMustBusinessClose"},
    {"CannotModifyNoteAfterAudited", "chkCannotModifyNoteAfterAudited"},
    {"ShowDashBoard", "chkShowDashBoard", "Options", "CheckBeforePost", "chkCheckBeforePost", "1"},
    {"VoucherSettleType", "chkSettle"},
    {"ExplanationEachEntry", "chkExpEachEnt", "Voucher", "RequireBrief", "chkExpEachEnt"},
    {"ClosePnl", "chkClosePnl"},
    {"McldgProfitBal", "chkMcldgProfitBal"},
    {"McldgCostBal", "chkMcldgCostBal"},
    {"AcctFront", "ChkAcctFront"},
    {"AcctBalView", "ChkAcctBalView"},
    {"VchSameCurrency", "ChkVchSameCurrency"},
    {"StopAllCheck", "ChkStopAllCheck"},
    {"UseVchCheck", "ChkUseVchCheck"},
    {"EndBalDCFormat", "chkEndBalDCByAcct"},
    {"ItemBalDcSet", "ChkItemBalDcSet"},
    {"VchGroupByYear", "chkVchGroupByYear"},
    {"NewVchUseNumber", "chkNewVchUseNumber"},
    {"VchNumberSortByPeriod", "ChkVchNumberSortByPeriod"},
    {"NewVchCheckNumber", "chkNewVchCheckNumber"},
    {"ViewFullAcctName", "chkViewFullAcctName"},
    {"SubLdgViewPrevExp", "ChkSubLdgViewPrevExp"},
    {"QtySubShowModel", "chkQtySubShowModel"},
    {"VchViewItemFullName", "ChkVchViewItemFullName"},
    {"CashBankZeroWarn", "ChkCashBankZeroWarn"},
    {"CashFlowItem", "ChkCashFlowItem"},
    {"CashFlowPrf", "ChkCashFlowPrf"},
    {"LdgViewItemNumber", "ChkLdgViewItemNumber"},
    {"TransCheckStart", "chkTransCheckStart"},
    {"TransNo", "ChkTransNo"},
};

struct NumberRow {
    const char* key;
    const char* defaultValue;
    const char* control;
};

const NumberRow kLedgerNumbers[] = {
    {"QtyDefNum", "2", "IntQtyDefNum"},
    {"PriceDefNum", "2", "IntPriceDefNum"},
    {"EndVoucherDate", "0", "IntEndVoucherDate"},
    {"VchInPutEndDate", "0", "intVchInPutEndDate"},
    {"VchInPutMothDiff", "0", "intVchInPutMothDiff"},
};

const FlagRow kFurtherFlagsBeforeSending[] = {
    {"VchlistViewItem", "ChkVchlistViewItem"},
    {"GyVchEditStop", "ChkGyVchEditStop"},
    {"ForbidUncloseMultiYear", "chkForbidUnclose"},
    {"UseCussent", "ChkUseCussent"},
    {"NotCloseOff", "ChkNotCloseOff"},
};

const FlagRow kFurtherFlagsAfterSending[] = {
    {"CashBeforePost", "chkCashBeforePost"},
    {"CheckNotCash", "chkCheckNotCash"},
    {"ApproveBeforePost", "chkApproveBeforePost"},
    {"SysNum", "chkSysNum"},
    {"ContactRed", "chkContactRed"},
    {"VchNoViewItemClasslName", "ChkVchNoViewItemClasslName"},
};

const char* const kCompanyTexts[][2] = {
    {"CompanyTax", "txtCompanyTax"}, {"CompanyYHAccount", "txtCompanyYHAccount"},
    {"PostNum", "txtPostNum"},       {"Fax", "txtFax"},
    {"EMail", "txtEMail"},
};

QString L(const char* s) {
    return QString::fromLatin1(s);
}

}  // namespace

bool frmSystemProfiles::CheckCompanyName() {
    auto* name = C<QLineEdit>(QStringLiteral("txtCompanyName"));
    name->setText(name->text().trimmed());
    if (name->text().isEmpty()) {
        showPage(0);
        env().dialogService().ShowMessage(QStringLiteral("请输入公司名称!"));
        name->setFocus();
        return false;
    }
    for (const char* other : {"txtCompanyAddress", "txtCompanyPhone"}) {
        auto* box = C<QLineEdit>(L(other));
        box->setText(box->text().trimmed());
    }
    return ValidateEarnAcct();
}

void frmSystemProfiles::LoadProfiles() {
    Loading = true;
    try {
        ReleaseGLObjects();
        GetGLData()->Refresh();
        WaitCursor wait;

        // Edit right.
        {
            auto security = createService<SecurityInfo>();
            CanModify = security->IsAdministrator(GetPropsString());
            if (!CanModify) {
                try {
                    security->AccessCheck(GetPropsString(), 18, 0, 2097152, true,
                                          QStringLiteral("修改"));
                    CanModify = true;
                } catch (const std::exception&) {
                    CanModify = false;
                }
            }
        }

        // Base currency.
        const Currency currency = GetGLData()->GetCurrency(1);
        C<QLineEdit>(QStringLiteral("txtCyNumber"))->setText(currency.Number);
        C<QLineEdit>(QStringLiteral("txtCyName"))->setText(currency.Name);
        C<IntText3D>(QStringLiteral("txtCyScale"))->setValue(store::roundToInt32(currency.ScaleX));

        if (GetPropValue(QStringLiteral("Language")).toUpper() == QLatin1String("EN")) {
            C<QCheckBox>(QStringLiteral("ChkUseCussent"))->setMinimumWidth(twips(4200));
        }

        auto profile = GetGLProfile();
        profile->Refresh();
        auto G = [&profile](const char* category, const QString& key, const char* def) {
            return profile->GetSystemProfile(L(category), key, L(def));
        };
        CompanyTypeValue =
            store::roundToInt32(Val(G("General", QStringLiteral("CompanyType"), "1")));
        LedgerStarted = G("GL", QStringLiteral("Closed"), "0") == QLatin1String("1");
        InitBalancesClosed = G("GL", QStringLiteral("InitClosed"), "0") == QLatin1String("1");
        PublicSectorBooks = Val(G("GL", QStringLiteral("GaSystem"), "0")) != 0;

        // Captions of the scheme.
        auto caption = [this](const char* name, const QString& text) { setCaption(L(name), text); };
        if (PublicSectorBooks) {
            caption("LBEarn", QStringLiteral("结余科目："));
            caption("LbCompany", QStringLiteral("单位名称："));
            caption("chkClosePnl", QStringLiteral("结账要求收支类科目余额为零"));
            caption("chkMcldgProfitBal", QStringLiteral("多栏账收支类科目期初余额从余额表取数"));
            control(QStringLiteral("chkMcldgCostBal"))->setVisible(false);
        } else {
            caption("LbCompany", QStringLiteral("公司名称："));
            caption("LBEarn", QStringLiteral("本年利润科目："));
            caption("chkClosePnl", QStringLiteral("结账要求损益类科目余额为零"));
            caption("chkMcldgProfitBal", QStringLiteral("多栏账损益类科目期初余额从余额表取数"));
            control(QStringLiteral("chkMcldgCostBal"))->setVisible(true);
        }
        control(QStringLiteral("ChkGyVchEditStop"))->setVisible(!PublicSectorBooks);

        // Company fields.
        auto setText = [this](const char* name, const QString& value) {
            auto* box = C<QLineEdit>(L(name));
            box->setText(value);
            box->setEnabled(CanModify);
        };
        setText("txtCompanyName", profile->CompanyName());
        setText("txtCompanyAddress", profile->CompanyAddress());
        setText("txtCompanyPhone", profile->CompanyPhone());
        for (const auto& row : kCompanyTexts) setText(row[1], G("General", L(row[0]), ""));

        // Ledger check boxes.
        auto flag = [this, &G](const FlagRow& row, bool touchEnabled = true) {
            auto* box = C<QCheckBox>(L(row.control));
            setCheckValue(box, Val(G("GL", L(row.key), row.defaultValue)) != 0 ? 1 : 0);
            if (touchEnabled) box->setEnabled(CanModify);
        };
        auto special = [this, &profile](const FlagRow& row) {
            const qint32 item = profile->SpecItem(L(row.specCategory), L(row.specKey));
            if (item < 0) return;
            auto* box = C<QCheckBox>(L(row.specControl));
            setCheckValue(box, item > 0 ? 1 : 0);
            box->setVisible(false);
        };
        {
            auto* box = C<QCheckBox>(QStringLiteral("chkCheckBeforePost"));
            setCheckValue(box, profile->GLGetCheckBeforePost() ? 1 : 0);
            box->setEnabled(CanModify);
        }
        for (const FlagRow& row : kLedgerFlags) {
            flag(row);
            if (row.specCategory) special(row);
            if (qstrcmp(row.control, "ChkStopAllCheck") == 0) {
                control(QStringLiteral("FrameVchNumber"))->setEnabled(CanModify);
            }
        }

        // Tax return date: only for the industry version that files returns.
        flag({"CaiShuiDateIsSysDate", "chkcstime"}, false);
        if (GetIndustryVersion() == 11) {
            control(QStringLiteral("chkcstime"))->setVisible(true);
        } else {
            control(QStringLiteral("chkcstime"))->setVisible(false);
            if (hasControl(QStringLiteral("framPA")) && hasControl(QStringLiteral("framFix"))) {
                control(QStringLiteral("framPA"))
                    ->setMaximumHeight(control(QStringLiteral("framFix"))->sizeHint().height());
            }
        }

        for (const NumberRow& row : kLedgerNumbers) {
            auto* box = C<IntText3D>(L(row.control));
            box->setValue(store::roundToInt32(Val(G("GL", L(row.key), row.defaultValue))));
            box->setLocked(!CanModify);
        }

        for (const FlagRow& row : kFurtherFlagsBeforeSending) flag(row);
        {
            const qint32 sending =
                store::roundToInt32(Val(G("GL", QStringLiteral("ContrastSendType"), "0")));
            const char* names[] = {"OptByDebit", "OptByCredit", "OptByall"};
            for (int i = 0; i < 3; ++i) {
                auto* opt = C<QRadioButton>(L(names[i]));
                if (i == sending) {
                    opt->setChecked(true);
                } else {
                    clearOption(opt);
                }
                opt->setEnabled(CanModify);
            }
        }
        for (const FlagRow& row : kFurtherFlagsAfterSending) flag(row);
        control(QStringLiteral("ChkNotCloseOff"))
            ->setEnabled(CanModify &&
                         checkValue(C<QCheckBox>(QStringLiteral("ChkUseCussent"))) != 0);

        // Budget control.
        auto budget = [&](const char* key, const char* array) {
            setOptionIndex(L(array), store::roundToInt16(Val(G("GL", L(key), "0"))));
        };
        budget("NoOverBud", "OptBud");
        budget("NoOverYtdBud", "OptYtdBud");
        setOptionIndex(
            QStringLiteral("OptYtd"),
            store::roundToInt32(Val(G("GL", QStringLiteral("NoOverYtdBudType"), "0"))) != 0 ? 1
                                                                                            : 0);
        budget("NoOverSignBud", "OptSignBud");
        for (const char* frameName : {"frameB", "FrameYtd", "frameSign"}) {
            control(L(frameName))->setEnabled(CanModify);
        }

        // Period structure.
        const qint32 periodCount = profile->glgetperiodcount();
        setOptionChecked(QStringLiteral("optPeriod12"), periodCount == 12);
        setOptionChecked(QStringLiteral("optPeriod13"), periodCount == 13);

        // Business precision: a stored text that is no number is an error.
        for (const auto& row : {std::pair{"PrecisionOfDiscountRate", "txtZKLScale"},
                                std::pair{"SInvoiceDecimal", "txtFPScale"}}) {
            const char* def = qstrcmp(row.first, "SInvoiceDecimal") == 0 ? "4" : "2";
            auto* box = C<IntText3D>(L(row.second));
            box->setValue(store::textToInt32(G("IC", L(row.first), def)));
            box->setEnabled(CanModify);
        }

        setCheckValue(C<QCheckBox>(QStringLiteral("chkPeriodByMonth")),
                      profile->GLGetPeriodByMonth() ? 1 : 0);

        // Ledger start fields.
        {
            auto* startYear = C<IntText3D>(QStringLiteral("txtStartYear"));
            const QString stored = profile->Item(QStringLiteral("GL"), QStringLiteral("StartYear"));
            const double y = Val(stored);
            startYear->setMinimum(y != 0 ? store::roundToInt32(y) : QDate::currentDate().year());
            startYear->setText(y != 0 ? stored : QString::number(QDate::currentDate().year()));
            startYear->setEnabled(CanModify && !LedgerStarted);

            auto* startPeriod = C<IntText3D>(QStringLiteral("txtStartPeriod"));
            startPeriod->setText(
                profile->Item(QStringLiteral("GL"), QStringLiteral("StartPeriod")));
            startPeriod->setEnabled(CanModify && !InitBalancesClosed && !IsHasInitGLData());

            auto shown = [](qint32 v) { return v == 0 ? QString() : QString::number(v); };
            C<QLineEdit>(QStringLiteral("txtCurYear"))->setText(shown(profile->GLGetCurrentYear()));
            C<QLineEdit>(QStringLiteral("txtCurPeriod"))
                ->setText(shown(profile->GLGetCurrentPeriod()));
            for (const char* name : {"txtCyNumber", "txtCyName", "txtCyScale"}) {
                control(L(name))->setEnabled(CanModify && !LedgerStarted);
            }
            control(QStringLiteral("cmdSetPeriod"))->setEnabled(CanModify);
        }

        FillPeriodTree();

        LoadEarnAccounts();
        if (CompanyTypeValue != 1) {
            caption("chkMcldgProfitBal", QStringLiteral("多栏账收入类科目期初余额从余额表取数"));
            caption("chkMcldgCostBal", QStringLiteral("多栏账支出类科目期初余额从余额表取数"));
        }

        setOptionIndex(QStringLiteral("CompanyType"),
                       CompanyTypeValue == 2 ? 1 : (CompanyTypeValue == 3 ? 2 : 0));

        LoadFixedAssets();
        LoadCashier();
        LoadPayroll();
        LoadBusiness();

        OrigTaxType = G("General", QStringLiteral("TaxType"), "-1");
        setOptionIndex(QStringLiteral("rdoTaxType"), OrigTaxType == QLatin1String("0")   ? 0
                                                     : OrigTaxType == QLatin1String("1") ? 1
                                                                                         : -1);

        C<IntText3D>(QStringLiteral("txtTaxRate"))
            ->setText(store::numberText(Val(G("General", QStringLiteral("TaxRate"), "0"))));

        for (const char* name :
             {"txtCurYear", "txtCurPeriod", "txtIC_CurrYear", "txtIC_CurrPeriod"}) {
            if (!hasControl(L(name))) continue;
            auto* box = C<QLineEdit>(L(name));
            if (Val(box->text()) == 0) box->clear();
        }

        ApplyStartBounds();

        if (GetAppInfo().appType == 1) {
            for (const char* name : {"chkHS_CheckBillPosted", "ChkHS_IsShowStockData"}) {
                if (!hasControl(L(name))) continue;
                auto* box = C<QCheckBox>(L(name));
                box->setVisible(false);
                setCheckValue(box, 0);
            }
        }

        Loading = false;
        SetChanged(false);
        HighlightUnsetStartPeriods();
    } catch (const HostError& e) {
        env().dialogService().ShowError(e, {});
        Loading = false;
        SetChanged(false);
    } catch (const std::exception& e) {
        env().dialogService().ShowError(
            HostError(kGenericError, QStringLiteral("frmSystemProfiles"),
                      QString::fromLocal8Bit(e.what())),
            {});
        Loading = false;
        SetChanged(false);
    }
}

}  // namespace zx::profiles
