// General and ledger parameters: the save of the company, financial and
// ledger pages, with its validations, the ledger start-up questions and the
// network function lock, followed by the other pages' saves and the change log.

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <optional>

#include "zx/entry/SystemSetting.h"
#include "zx/host/Environment.h"
#include "zx/host/LedgerServices.h"
#include "zx/profiles/Face.h"
#include "zx/profiles/IntText3D.h"
#include "zx/profiles/frmSystemProfiles.h"
#include "zx/session/MNetControl.h"
#include "zx/session/Session.h"
#include "zx/store/ChangeLog.h"
#include "zx/store/Store.h"

using namespace zx::host;

namespace zx::profiles {

namespace {

QString L(const char* s) {
    return QString::fromLatin1(s);
}

// How the save decides whether a parameter is written, and in which form.
enum class Rule {
    CompanyText,      // the box's text, when it differs from the stored text
    Flag,             // check box against the leading number of the stored text; "1"/"0"
    CheckBeforePost,  // check box against the ledger's CheckBeforePost property
    TransCheckStart,  // like Flag, but the ledger must agree to the switch first
    Number,           // numeric box against the leading number of the stored text
    NumberAlways,     // numeric box, written on every save
    SendType,         // inter-company sending side, written on every save
    Options,          // first selected option against the stored number, as decimal text
    YtdBudType,       // only a switch between the two stored states 0 and 1 is written
};

struct WriteRow {
    const char* category;
    const char* key;
    const char* control;  // the box, or the base name of an option array
    Rule rule;
    const char* defaultValue = "0";
};

// The general and ledger parameters in the order they are written. Profit
// accounts, precisions and tax follow in code: each has a rule of its own.
const WriteRow kWrites[] = {
    // Company fields.
    {"General", "CompanyName", "txtCompanyName", Rule::CompanyText, ""},
    {"General", "CompanyAddress", "txtCompanyAddress", Rule::CompanyText, ""},
    {"General", "CompanyPhone", "txtCompanyPhone", Rule::CompanyText, ""},
    {"General", "CompanyTax", "txtCompanyTax", Rule::CompanyText, ""},
    {"General", "CompanyYHAccount", "txtCompanyYHAccount", Rule::CompanyText, ""},
    {"General", "PostNum", "txtPostNum", Rule::CompanyText, ""},
    {"General", "Fax", "txtFax", Rule::CompanyText, ""},
    {"General", "EMail", "txtEMail", Rule::CompanyText, ""},
    // Ledger check boxes.
    {"GL", "CheckBeforePost", "chkCheckBeforePost", Rule::CheckBeforePost},
    {"GL", "AllowSameNameBellowOneParent", "chkAllowSameNameBellowOneParent", Rule::Flag},
    {"GL", "CanCreateChildAcctWhenBeUsed", "chkCanCreateChildAcctWhenBeUsed", Rule::Flag},
    {"GL", "MustBusinessClose", "chkMustBusinessClose", Rule::Flag},
    {"GL", "CannotModifyNoteAfterAudited", "chkCannotModifyNoteAfterAudited", Rule::Flag},
    {"GL", "ShowDashBoard", "chkShowDashBoard", Rule::Flag, "1"},
    {"GL", "VchMakeANDChkSame", "ChkAllCheck(0)", Rule::Flag},
    {"GL", "VoucherSettleType", "chkSettle", Rule::Flag},
    {"GL", "ExplanationEachEntry", "chkExpEachEnt", Rule::Flag},
    {"GL", "ClosePnl", "chkClosePnl", Rule::Flag},
    {"GL", "McldgProfitBal", "chkMcldgProfitBal", Rule::Flag},
    {"GL", "McldgCostBal", "chkMcldgCostBal", Rule::Flag},
    {"GL", "AcctFront", "ChkAcctFront", Rule::Flag},
    {"GL", "AcctBalView", "ChkAcctBalView", Rule::Flag},
    {"GL", "VchSameCurrency", "ChkVchSameCurrency", Rule::Flag},
    {"GL", "StopAllCheck", "ChkStopAllCheck", Rule::Flag},
    {"GL", "UseVchCheck", "ChkUseVchCheck", Rule::Flag},
    {"GL", "EndBalDCFormat", "chkEndBalDCByAcct", Rule::Flag},
    {"GL", "ItemBalDcSet", "ChkItemBalDcSet", Rule::Flag},
    {"GL", "VchGroupByYear", "chkVchGroupByYear", Rule::Flag},
    {"GL", "NewVchUseNumber", "chkNewVchUseNumber", Rule::Flag},
    {"GL", "VchNumberSortByPeriod", "ChkVchNumberSortByPeriod", Rule::Flag},
    {"GL", "NewVchCheckNumber", "chkNewVchCheckNumber", Rule::Flag},
    {"GL", "ViewFullAcctName", "chkViewFullAcctName", Rule::Flag},
    {"GL", "SubLdgViewPrevExp", "ChkSubLdgViewPrevExp", Rule::Flag},
    {"GL", "QtySubShowModel", "chkQtySubShowModel", Rule::Flag},
    {"GL", "VchViewItemFullName", "ChkVchViewItemFullName", Rule::Flag},
    {"GL", "CashBankZeroWarn", "ChkCashBankZeroWarn", Rule::Flag},
    {"GL", "CashFlowItem", "ChkCashFlowItem", Rule::Flag},
    {"GL", "CashFlowPrf", "ChkCashFlowPrf", Rule::Flag},
    {"GL", "LdgViewItemNumber", "ChkLdgViewItemNumber", Rule::Flag},
    {"GL", "TransCheckStart", "chkTransCheckStart", Rule::TransCheckStart},
    {"GL", "TransNo", "ChkTransNo", Rule::Flag},
    {"GL", "CaiShuiDateIsSysDate", "chkcstime", Rule::Flag},
    // Numeric boxes.
    {"GL", "QtyDefNum", "IntQtyDefNum", Rule::NumberAlways},
    {"GL", "PriceDefNum", "IntPriceDefNum", Rule::NumberAlways},
    {"GL", "EndVoucherDate", "IntEndVoucherDate", Rule::Number},
    {"GL", "VchInPutEndDate", "intVchInPutEndDate", Rule::Number},
    {"GL", "VchInPutMothDiff", "intVchInPutMothDiff", Rule::Number},
    // Further ledger options.
    {"GL", "VchlistViewItem", "ChkVchlistViewItem", Rule::Flag},
    {"GL", "GyVchEditStop", "ChkGyVchEditStop", Rule::Flag},
    {"GL", "ForbidUncloseMultiYear", "chkForbidUnclose", Rule::Flag},
    {"GL", "UseCussent", "ChkUseCussent", Rule::Flag},
    {"GL", "NotCloseOff", "ChkNotCloseOff", Rule::Flag},
    {"GL", "ContrastSendType", "", Rule::SendType},
    {"GL", "CashBeforePost", "chkCashBeforePost", Rule::Flag},
    {"GL", "CheckNotCash", "chkCheckNotCash", Rule::Flag},
    {"GL", "SysNum", "chkSysNum", Rule::Flag},
    {"GL", "ContactRed", "chkContactRed", Rule::Flag},
    {"GL", "VchNoViewItemClasslName", "ChkVchNoViewItemClasslName", Rule::Flag},
    {"GL", "ApproveBeforePost", "chkApproveBeforePost", Rule::Flag},
    // Budget control.
    {"GL", "NoOverBud", "OptBud", Rule::Options},
    {"GL", "NoOverYtdBud", "OptYtdBud", Rule::Options},
    {"GL", "NoOverYtdBudType", "OptYtd", Rule::YtdBudType},
    {"GL", "NoOverSignBud", "OptSignBud", Rule::Options},
};

// GL "AccountType" of the chart whose profit account is a list of numbers.
constexpr qint32 kCarryForwardChart = 11;

// Why a save stopped before writing: the message has been shown.
struct Refused {};

}  // namespace

bool frmSystemProfiles::SaveProfiles() {
    if (!CheckCompanyName()) return false;

    bool lockTaken = false;
    // Whatever way the save ends once the lock is held, the lock goes back.
    auto releaseLock = [&lockTaken] {
        if (lockTaken) MNetControl::CommitTask(MNetControl::LockHandle());
        lockTaken = false;
    };
    auto text = [this](const char* name) { return C<QLineEdit>(L(name))->text(); };
    auto number = [this](const char* name) { return C<IntText3D>(L(name)); };
    auto message = [](const QString& m) { env().dialogService().ShowMessage(m); };
    auto refuse = [&message](const QString& m) {
        message(m);
        throw Refused{};
    };

    try {
        WaitCursor wait;
        QCoreApplication::processEvents();

        auto writer = createService<BaseSystemProfile>();
        auto stored = createObject<GLSystemProfile>();
        stored->Refresh();
        auto write = [&writer](const QString& category, const QString& key, const QVariant& value) {
            writer->Setprofile(GetPropsString(), category, key, value);
        };

        // Validations: nothing is written when one of them fails.
        DialogService& dialogs = env().dialogService();
        if (dialogs.IsBlank(text("txtCompanyName"))) refuse(QStringLiteral("请设置公司名称"));
        if (!IsValidIDNew(text("txtCompanyName")))
            refuse(QStringLiteral("设置公司名称输入了不正确的字符。"));
        if (dialogs.IsBlank(text("txtCyNumber"))) refuse(QStringLiteral("请设置本位币代码"));
        if (dialogs.IsBlank(text("txtCyName"))) refuse(QStringLiteral("请设置本位币名称"));
        {
            const qint32 periods = store::roundToInt32(
                Val(stored->GetSystemProfile(L("GL"), L("PeriodCount"), L("0"))));
            if (periods != 12 && periods != 13) {
                showPage(1);
                control(L("cmdSetPeriod"))->setFocus();
                refuse(QStringLiteral("会计期间未设置!"));
            }
        }

        // Ledger start-up: asked while the ledger holds no initial data and its
        // start year and period are filled in. A start once made stays made.
        const double startYear = Val(number("txtStartYear")->Text());
        const double startPeriod = Val(number("txtStartPeriod")->Text());
        if (!IsHasInitGLData() && !InitBalancesClosed && startYear > 1900 && startPeriod > 0) {
            if (GetAppInfo().appType == 1) {
                if (Val(number("txtIC_StartYear")->Text()) > 1900 &&
                    Val(number("txtIC_StartPeriod")->Text()) > 0) {
                    showPage(0);
                    control(L("txtCyNumber"))->setFocus();
                    if (!dialogs.Confirm(
                            QStringLiteral(
                                "请确认本位币的设置，系统将不允许再次修改，是否确认启用！"),
                            true)) {
                        throw Refused{};
                    }
                } else {
                    message(QStringLiteral("请先设置业务启用年度及期间！"));
                    showPage(4);
                    control(L("txtIC_StartPeriod"))->setFocus();
                    throw Refused{};
                }
            } else {
                showPage(0);
                if (!dialogs.Confirm(QStringLiteral("请确认账务初始参数(启用年度：") +
                                         number("txtStartYear")->Text() +
                                         QStringLiteral("、启用期间：") +
                                         number("txtStartPeriod")->Text() +
                                         QStringLiteral(")和本位币的设置，系统将不允许再次修改，"
                                                        "是否确认启用！"),
                                     true)) {
                    throw Refused{};
                }
                // The business modules, once started, may not begin before the ledger.
                if (!number("txtIC_StartYear")->isEnabled()) {
                    const qint32 business = number("txtIC_StartYear")->Value();
                    if (startYear > business) {
                        refuse(QStringLiteral("业务系统启用年度必须大于等于账务系统当前年度！"));
                    }
                    if (startYear == business) {
                        if (startPeriod > Val(number("txtIC_StartPeriod")->Text())) {
                            refuse(
                                QStringLiteral("账务系统启用期间必须小于等于业务系统当前期间！"));
                        }
                        if (SystemSetting().IsHasVoucher(store::roundToInt32(startYear),
                                                         store::roundToInt32(startPeriod))) {
                            refuse(QStringLiteral("有启用期间以前的凭证,请先修改凭证日期!"));
                        }
                    }
                }
                // Nor may the cashier, once in use.
                if (Val(text("txtCnCurrentPeriod")) > 0) {
                    const qint32 cashier = number("txtCnStartYear")->Value();
                    if (startYear > cashier) {
                        refuse(QStringLiteral("出纳系统启用年度必须大于等于账务系统当前年度！"));
                    }
                    if (startYear == cashier &&
                        startPeriod > Val(number("txtCnStartPeriod")->Text())) {
                        refuse(QStringLiteral("总账会计启用期间必须小于等于出纳启用会计期间！"));
                    }
                }
            }
            CloseInit();  // its own messages say what went wrong; the save goes on
        }

        // Taxpayer kind: the item master's tax rates follow it by hand.
        const int taxOption = optionIndex(L("rdoTaxType"));
        const QString newTaxType = taxOption == 0 ? L("0") : taxOption == 1 ? L("1") : L("-1");
        if (newTaxType != OrigTaxType) {
            env().messageBox(
                QStringLiteral("修改公司纳税性质设置后，请调整核算项目-物料中的税率设置"),
                MsgButtons::Ok, MsgIcon::Information, QString(), this);
        }

        MNetControl::LockHandle() =
            MNetControl::ExecFunc(0, L("pu08"), store::roundToInt16(stored->GLGetCurrentYear()),
                                  store::roundToInt16(stored->GLGetCurrentPeriod()));
        lockTaken = true;

        // General and ledger parameters, each only when it changed unless its
        // rule says otherwise.
        for (const WriteRow& row : kWrites) {
            const QString category = L(row.category);
            const QString key = L(row.key);
            const QString control = L(row.control);
            auto storedText = [&] {
                return stored->GetSystemProfile(category, key, L(row.defaultValue));
            };
            switch (row.rule) {
                case Rule::CompanyText: {
                    const QString now = C<QLineEdit>(control)->text();
                    QString before;
                    if (key == QLatin1String("CompanyName")) {
                        before = stored->CompanyName();
                    } else if (key == QLatin1String("CompanyAddress")) {
                        before = stored->CompanyAddress();
                    } else if (key == QLatin1String("CompanyPhone")) {
                        before = stored->CompanyPhone();
                    } else {
                        before = storedText();
                    }
                    if (now == before) break;
                    write(category, key, now);
                    if (key == QLatin1String("CompanyName")) {
                        // The register lists the account set under its company's name.
                        createService<AcctMgr>()->ModifyCompany2(
                            QStringLiteral("update t_ad_zxAccount_gl set FCompanyName=") +
                            SqlQuote(now, true, false) + QStringLiteral(" where FAcctName=") +
                            SqlQuote(GetAcctName(), true, false));
                    }
                    break;
                }
                case Rule::Flag:
                case Rule::CheckBeforePost:
                case Rule::TransCheckStart: {
                    auto* box = C<QCheckBox>(control);
                    const bool before = row.rule == Rule::CheckBeforePost
                                            ? stored->GLGetCheckBeforePost()
                                            : Val(storedText()) != 0;
                    if ((checkValue(box) == 1) == before) break;
                    if (row.rule == Rule::TransCheckStart) {
                        if (!CheckTransCheckStartLevel()) break;
                        if (!ApplyTransCheckStart()) {
                            setCheckValue(box, before ? 1 : 0);
                            break;
                        }
                    }
                    write(category, key, store::flagText(box->checkState()));
                    break;
                }
                case Rule::Number:
                case Rule::NumberAlways: {
                    const qint32 now = C<IntText3D>(control)->Value();
                    if (row.rule == Rule::Number && Val(storedText()) == now) break;
                    write(category, key, now);
                    break;
                }
                case Rule::SendType: {
                    const qint32 side = C<QRadioButton>(L("OptByDebit"))->isChecked()    ? 0
                                        : C<QRadioButton>(L("OptByCredit"))->isChecked() ? 1
                                                                                         : 2;
                    write(category, key, side);
                    break;
                }
                case Rule::Options: {
                    int count = 0;
                    while (hasControl(face::arrayName(control, count))) ++count;
                    const int selected = optionIndex(control);
                    const int index = selected < 0 ? count : selected;
                    if (Val(storedText()) != index) write(category, key, QString::number(index));
                    break;
                }
                case Rule::YtdBudType: {
                    const double before = Val(storedText());
                    const int selected = optionIndex(control);
                    if (before == 1 && selected == 0) {
                        write(category, key, L("0"));
                    } else if (before == 0 && selected == 1) {
                        write(category, key, L("1"));
                    }
                    break;
                }
            }
        }

        // Profit accounts: what the boxes hold depends on the chart.
        {
            auto* earn = C<QLineEdit>(L("txtEarnAcct"));
            auto* assign = C<QLineEdit>(L("txtEarnAssignAcct"));
            const QString kGL = L("GL");
            if (PublicSectorBooks) {
                if (earn->text() != stored->GetSystemProfile(kGL, L("EarnAccount"), QString()))
                    write(kGL, L("EarnAccount"), earn->text());
                if (assign->text() !=
                    stored->GetSystemProfile(kGL, L("EarnAssignAccount"), QString()))
                    write(kGL, L("EarnAssignAccount"), assign->text());
            } else if (store::roundToInt32(Val(stored->GetSystemProfile(
                           kGL, L("AccountType"), L("1")))) == kCarryForwardChart) {
                if (earn->text().trimmed() != stored->GlGetEarnAccount())
                    write(kGL, L("EarnAccount"), earn->text());
            } else {
                const QString earnId = earn->property("Tag").toString();
                if (Val(earnId) != Val(stored->GlGetEarnAccount()))
                    write(kGL, L("EarnAccount"), earnId);
                const QString assignId = assign->property("Tag").toString();
                if (Val(assignId) != Val(stored->GLGetEarnAssignAccount()))
                    write(kGL, L("EarnAssignAccount"), assignId);
            }
        }

        // Precisions. This product variant fixes them.
        auto* discountScale = number("txtZKLScale");
        auto* invoiceScale = number("txtFPScale");
        if (GetAppInfo().appType == 2) {
            discountScale->setValue(2);
            invoiceScale->setValue(4);
            if (hasControl(L("chkIC_AlertPOMaxPrice")))
                setCheckValue(C<QCheckBox>(L("chkIC_AlertPOMaxPrice")), 0);
        }
        if (discountScale->Value() != store::textToInt32(stored->GetSystemProfile(
                                          L("IC"), L("PrecisionOfDiscountRate"), L("0")))) {
            write(L("IC"), L("PrecisionOfDiscountRate"), discountScale->Value());
            SetSharedValue(L("RatioDecPlaces"), discountScale->Value());
        }
        if (invoiceScale->Value() !=
            store::textToInt32(stored->GetSystemProfile(L("IC"), L("SInvoiceDecimal"), L("0")))) {
            write(L("IC"), L("SInvoiceDecimal"), invoiceScale->Value());
        }

        // Taxpayer kind and tax rate, on every save.
        if (taxOption == 0 || taxOption == 1) {
            write(L("General"), L("TaxType"), qint16(taxOption));
            OrigTaxType = QString::number(taxOption);
        }
        const QString taxRate = number("txtTaxRate")->Text();
        write(L("General"), L("TaxRate"), Val(taxRate));
        for (const char* target : {"FItemClassID=4 and FSQLColumnName='FTaxRate'",
                                   "FItemClassID=1 and FSQLColumnName='FValueAddRate'"}) {
            createService<ClassUpdate>()->SaveItem(
                GetPropsString(), QStringLiteral("Update t_ItemPropDesc Set FDefaultValue=") +
                                      store::numberText(Val(taxRate)) + QStringLiteral(" Where ") +
                                      L(target));
        }
        stored.reset();
        writer.reset();

        // The other pages, in their order.
        if (!CheckPayrollSave() || !SavePayroll()) throw Refused{};
        SaveFixedAssets();
        if (!SaveCashier()) throw Refused{};
        if (!SaveBusiness()) throw Refused{};

        changeLog().WriteLog();

        ReleaseGLObjects();
        GetGLData()->Refresh();
        SetChanged(false);
        releaseLock();
        return true;
    } catch (const Refused&) {
        releaseLock();
        return false;
    } catch (const HostError& e) {
        releaseLock();
        env().dialogService().ShowError(e, {});
        return false;
    } catch (const std::exception& e) {
        releaseLock();
        env().dialogService().ShowError(
            HostError(kGenericError, QStringLiteral("frmSystemProfiles"),
                      QString::fromLocal8Bit(e.what())),
            {});
        return false;
    }
}

}  // namespace zx::profiles
