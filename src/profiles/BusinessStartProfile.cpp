// Business start-up and the interlocks between business controls: the start
// state at load, the start-up step of the save, and the reactions of the
// controls to one another. Reactions are tied to the state signals, so a value
// set by the load runs them exactly as a click does.

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "zx/closing/frmICSystemProfiles.h"
#include "zx/host/Environment.h"
#include "zx/profiles/IntText3D.h"
#include "zx/profiles/frmSystemProfiles.h"
#include "zx/session/Session.h"
#include "zx/store/Store.h"

using namespace zx::host;

namespace zx::profiles {

namespace {

QString L(const char* s) {
    return QString::fromUtf8(s);
}

const QString kTitle = QStringLiteral("Zentrix提示");

bool ticked(const QCheckBox* box) {
    return frmSystemProfiles::checkValue(box) != 0;
}

// Type 2 words the business system as the warehouse system.
QString byAppType(const char* business, const char* warehouse) {
    return GetAppInfo().appType == 2 ? L(warehouse) : L(business);
}

// Presets of the batch-number auto-fill types: the auto-fill box, the three
// sort fields (indexes of the batch field list); every order is ascending.
struct BatchPreset {
    bool autoFill;
    int fields[3];
};
const BatchPreset kBatchPresets[] = {
    {false, {0, 0, 0}},  // 不启用
    {true, {7, 1, 0}},   // 近效期先出: expiry date, then batch number
    {true, {1, 0, 0}},   // 批号顺序出库: batch number
};

// The two wordings of the over-limit issue control.
QStringList alertMOWording(bool audit) {
    if (audit) {
        return {L("继续审核不提示"), L("审核时提示，允许继续审核"), L("审核时提示，并不允许审核")};
    }
    return {L("继续保存不提示"), L("提示，并允许制单人继续保存"), L("提示,并不允许制单人保存")};
}

const char* const kToolTipCombos[] = {
    "cmbIC_AlertMO",
    "cmbIC_AutoMakeInvoiceCG",
    "cmbIC_AutoMakeInvoiceXS",
    "cmbIC_BOMType",
    "cmbIC_MakeBillCG",
    "cmbIC_MakeBillXS",
    "cmbIC_CreditDgree",
    "cmbIC_CreditDgreeCG",
    "cmbIC_OrderDepositTypeCG",
    "cmbIC_OrderDepositTypeXS",
};

}  // namespace

// ----- Start state at load ---------------------------------------------------

void frmSystemProfiles::ShowBusinessStartState(bool started) {
    BusinessStarted = started;
    const QStringList locked = {L("chkIC_NegBalance"), L("chkIC_NegCalculate"),
                                L("OptUPSTOCKWHENSAVE(0)"), L("OptUPSTOCKWHENSAVE(1)"),
                                L("chkIC_MOQtyCheck")};
    auto* startYear = C<IntText3D>(L("txtIC_StartYear"));
    if (!started) {
        startYear->setValue(QDate::currentDate().year());
        startYear->setEnabled(CanModify);
        for (const QString& name : locked) control(name)->setEnabled(CanModify);
        return;
    }
    startYear->setEnabled(false);
    for (const QString& name : locked) control(name)->setEnabled(false);
    for (const char* name : {"optHS_ZanguMethod(0)", "optHS_ZanguMethod(1)"}) {
        control(L(name))->setEnabled(false);
    }
}

void frmSystemProfiles::ShowBusinessStartPeriodState() {
    auto* period = C<IntText3D>(L("txtIC_StartPeriod"));
    period->setEnabled(CanModify && Val(period->Text()) == 0);
}

void frmSystemProfiles::ApplySecQtyIsMustState() {
    auto* secUnit = C<QCheckBox>(L("chkIC_UseSecUnit"));
    control(L("chkIC_SecQtyIsMust"))->setEnabled(secUnit->isEnabled() && ticked(secUnit));
}

void frmSystemProfiles::ApplyCheckItemButton() {
    control(L("cmdSetCheckItem"))->setEnabled(ticked(C<QCheckBox>(L("chkHS_CheckBillPosted"))));
}

// A "check current stock" box is only meaningful under its own date basis.
void frmSystemProfiles::ApplyNegativeStockBases() {
    for (const char* basis : {"chkIC_ShowUnderCalcType", "chkIC_ShowUnderCalcTypeByPeriod"}) {
        if (ticked(C<QCheckBox>(L(basis)))) continue;
        auto* inv = C<QCheckBox>(L(basis) + L("AndInv"));
        setCheckValue(inv, 0);
        inv->setEnabled(false);
    }
}

void frmSystemProfiles::ApplyBatchNoPreset(bool atLoad) {
    const int type = C<QComboBox>(L("cmbIC_IsBatchNoAutoFillType"))->currentIndex();
    if (type < 0 || type >= int(std::size(kBatchPresets))) return;
    const BatchPreset& preset = kBatchPresets[type];
    auto* autoFill = C<QCheckBox>(L("chkIC_IsBatchNoAutoFill"));
    if (atLoad && !preset.autoFill && ticked(autoFill)) {
        // A stored auto-fill without an auto-fill type is corrected at once,
        // whether or not the user saves. When the account set cannot be
        // written now (another process holds it, or it is read-only) the
        // correction waits for a later opening: the dialog still opens.
        try {
            store::writeValue(*createService<BaseSystemProfile>(), L("IC"), L("IsBatchNoAutoFill"),
                              qint32(0));
        } catch (const HostError& error) {
            env().dialogService().ShowMessage(
                QStringLiteral("\"出库单据自动带出批号\"的存储值没有更正, 下次打开时再更正: %1")
                    .arg(error.description()));
        }
    }
    setCheckValue(autoFill, preset.autoFill ? 1 : 0);
    for (int i = 0; i < 3; ++i) {
        C<QComboBox>(store::elementName(L("cmbIC_BatchNoFieldName"), i))
            ->setCurrentIndex(preset.fields[i]);
        C<QComboBox>(store::elementName(L("cmbIC_BatchNoOrder"), i))->setCurrentIndex(0);
    }
}

// The audit check exists only under update-after-audit and with one of the
// issue checks; once the business system has started it is fixed.
void frmSystemProfiles::LoadMOQtyCheck(const std::function<QString()>& readStored) {
    auto* check = C<QCheckBox>(L("chkIC_MOQtyCheck"));
    const bool afterAudit = C<QRadioButton>(L("OptUPSTOCKWHENSAVE(0)"))->isChecked();
    const bool issueCheck = ticked(C<QCheckBox>(L("chkIC_MOCheckQty(0)"))) ||
                            ticked(C<QCheckBox>(L("chkIC_MOCheckQty(1)")));
    if (!afterAudit || !issueCheck) {
        check->setEnabled(false);
        setCheckValue(check, 0);
        return;
    }
    if (BusinessStarted) check->setEnabled(false);
    setCheckValue(check, Val(readStored()) == 1 ? 1 : 0);
}

void frmSystemProfiles::FillAlertMOList(bool auditWording) {
    auto* combo = C<QComboBox>(L("cmbIC_AlertMO"));
    const int index = combo->currentIndex();
    combo->clear();
    combo->addItems(alertMOWording(auditWording));
    combo->setCurrentIndex(index);
}

// ----- Start-up step of the save ---------------------------------------------

bool frmSystemProfiles::BusinessStartUp() {
    auto* startPeriod = C<IntText3D>(L("txtIC_StartPeriod"));
    auto* startYear = C<IntText3D>(L("txtIC_StartYear"));
    const double period = Val(startPeriod->Text());
    if (!startPeriod->isEnabled() || period <= 0) return true;

    auto& dialogs = env().dialogService();
    if (control(L("txtStartYear"))->isEnabled()) {
        dialogs.ShowMessage(byAppType("业务系统启用年度及期间必须在账务系统启用年度及期间后！",
                                      "仓存系统启用年度及期间必须在账务系统启用年度及期间后！"));
        return false;
    }

    Stab()->setCurrentIndex(4);
    startPeriod->setFocus();
    const bool confirmed =
        dialogs.Confirm(byAppType("请确认业务初始参数的设置，系统将不允许再次修改，是否确认启用！",
                                  "请确认仓存初始参数的设置，系统将不允许再次修改，是否确认启用！"),
                        true);
    if (confirmed) {
        const double ledgerYear = Val(C<QLineEdit>(L("txtCurYear"))->text());
        const double ledgerPeriod = Val(C<QLineEdit>(L("txtCurPeriod"))->text());
        const qint32 year = startYear->Value();
        if (ledgerYear > year) {
            dialogs.ShowMessage(byAppType("业务系统启用年度必须大于等于账务系统当前年度！",
                                          "仓存系统启用年度必须大于等于账务系统当前年度！"));
            return false;
        }
        if (ledgerYear == year && ledgerPeriod > period) {
            dialogs.ShowMessage(byAppType("业务系统启用期间必须大于等于账务系统当前期间！",
                                          "仓存系统启用期间必须大于等于账务系统当前期间！"));
            return false;
        }
        auto writer = createService<BaseSystemProfile>();
        const qint32 startPeriodValue = startPeriod->Value();
        store::writeValue(*writer, L("IC"), L("StartYear"), year);
        store::writeValue(*writer, L("IC"), L("StartPeriod"), startPeriodValue);
        store::writeValue(*writer, L("IC"), L("CurrentYear"), year);
        store::writeValue(*writer, L("IC"), L("CurrentPeriod"), startPeriodValue);
        setTag(L("OK"));
    }
    if (GetAppInfo().appType == 2) return true;

    // The audit check of issue bills is fixed from now on: the user confirms it
    // whether or not the start was confirmed.
    const MsgResult answer = env().messageBox(
        L("请确认'生产领料/"
          "委外发料单必须审核后才能入库（库存更新控制为审核后更新时生效）'参数设置，"
          "系统将不允许修改!"),
        MsgButtons::YesNo, MsgIcon::Question, kTitle, this);
    return answer == MsgResult::Yes;
}

void frmSystemProfiles::cmdSetCheckItem_Click() {
    closing::frmICSystemProfiles dialog(this);
    dialog.exec();
}

// ----- Reactions -------------------------------------------------------------

void frmSystemProfiles::connectBusinessHandlers() {
    auto onCheck = [this](const QString& name, std::function<void(bool)> reaction) {
        auto* box = C<QCheckBox>(name);
        connect(box, &QCheckBox::stateChanged, this,
                [this, box, reaction] { guard([box, reaction] { reaction(ticked(box)); }); });
    };
    auto enableWith = [this](const char* name, bool on) {
        control(L(name))->setEnabled(on && CanModify);
    };
    auto untick = [this](const char* name) { setCheckValue(C<QCheckBox>(L(name)), 0); };

    // Type 1 starts the ledger together with the business system.
    for (const auto& [business, ledger] :
         {std::pair{"txtIC_StartYear", "txtStartYear"}, {"txtIC_StartPeriod", "txtStartPeriod"}}) {
        auto* box = C<IntText3D>(L(business));
        connect(box, &QSpinBox::valueChanged, this, [this, box, ledger] {
            guard([this, box, ledger] {
                if (GetAppInfo().appType == 1)
                    C<IntText3D>(L(ledger))->setText(box->Text().trimmed());
            });
        });
    }

    onCheck(L("chkIC_UseSecUnit"), [=, this](bool on) {
        if (on) {
            enableWith("chkIC_SecQtyIsMust", true);
        } else {
            untick("chkIC_SecQtyIsMust");
            enableWith("chkIC_SecQtyIsMust", false);
        }
    });

    onCheck(L("chkHS_CheckBillPosted"), [this](bool) { ApplyCheckItemButton(); });
    connect(C<QPushButton>(L("cmdSetCheckItem")), &QPushButton::clicked, this,
            [this] { guard([this] { cmdSetCheckItem_Click(); }); });

    for (const char* suffix : {"CG", "XS"}) {
        const QString combo = L("cmbIC_AutoMakeInvoice") + L(suffix);
        onCheck(L("chkIC_AutoMakeInvoice") + L(suffix),
                [this, combo](bool on) { control(combo)->setEnabled(on && CanModify); });
    }

    for (const char* name : kToolTipCombos) {
        auto* combo = C<QComboBox>(L(name));
        connect(combo, &QComboBox::currentIndexChanged, this,
                [combo] { combo->setToolTip(combo->currentText()); });
    }

    // The two date bases of the negative-stock check exclude each other.
    onCheck(L("chkIC_ShowUnderCalcType"), [=, this](bool on) {
        if (on) {
            untick("chkIC_ShowUnderCalcTypeByPeriod");
            untick("chkIC_ShowUnderCalcTypeByPeriodAndInv");
            enableWith("chkIC_ShowUnderCalcTypeAndInv", true);
            enableWith("chkIC_ShowUnderCalcTypeByPeriodAndInv", false);
        } else {
            untick("chkIC_ShowUnderCalcTypeAndInv");
            enableWith("chkIC_ShowUnderCalcTypeAndInv", false);
        }
    });
    onCheck(L("chkIC_ShowUnderCalcTypeByPeriod"), [=, this](bool on) {
        if (on) {
            untick("chkIC_ShowUnderCalcType");
            untick("chkIC_ShowUnderCalcTypeAndInv");
            enableWith("chkIC_ShowUnderCalcTypeAndInv", false);
            enableWith("chkIC_ShowUnderCalcTypeByPeriodAndInv", true);
        } else {
            untick("chkIC_ShowUnderCalcTypeByPeriodAndInv");
            enableWith("chkIC_ShowUnderCalcTypeByPeriodAndInv", false);
        }
    });

    connect(C<QComboBox>(L("cmbIC_IsBatchNoAutoFillType")), &QComboBox::currentIndexChanged, this,
            [this] { guard([this] { ApplyBatchNoPreset(false); }); });

    // Production issue checks: the pair excludes itself, and under the audit
    // check one of the two must stay ticked.
    auto* moQtyCheck = C<QCheckBox>(L("chkIC_MOQtyCheck"));
    auto* afterAudit = C<QRadioButton>(L("OptUPSTOCKWHENSAVE(0)"));
    auto pairTicked = [this] {
        return ticked(C<QCheckBox>(L("chkIC_MOCheckQty(0)"))) ||
               ticked(C<QCheckBox>(L("chkIC_MOCheckQty(1)")));
    };
    for (int i = 0; i < 2; ++i) {
        auto* self = C<QCheckBox>(store::elementName(L("chkIC_MOCheckQty"), i));
        auto* other = C<QCheckBox>(store::elementName(L("chkIC_MOCheckQty"), 1 - i));
        onCheck(self->objectName(), [=, this](bool) {
            if (ticked(moQtyCheck) && !ticked(self)) setCheckValue(other, 1);
            if (afterAudit->isChecked()) {
                if (pairTicked()) {
                    moQtyCheck->setEnabled(afterAudit->isEnabled());
                } else {
                    moQtyCheck->setEnabled(false);
                    setCheckValue(moQtyCheck, 0);
                }
            }
            if (ticked(self)) setCheckValue(other, 0);
        });
    }
    for (int i = 0; i < 2; ++i) {
        connect(C<QRadioButton>(store::elementName(L("OptUPSTOCKWHENSAVE"), i)),
                &QRadioButton::toggled, this, [=, this] {
                    guard([=, this] {
                        if (afterAudit->isChecked() && pairTicked()) {
                            moQtyCheck->setEnabled(afterAudit->isEnabled());
                        } else {
                            moQtyCheck->setEnabled(false);
                            setCheckValue(moQtyCheck, 0);
                        }
                    });
                });
    }
    onCheck(L("chkIC_MOQtyCheck"), [this](bool on) { FillAlertMOList(on); });

    // Company tax type: the usual rate of each kind of taxpayer.
    for (int i = 0; i < 2; ++i) {
        connect(C<QRadioButton>(store::elementName(L("rdoTaxType"), i)), &QRadioButton::toggled,
                this, [this, i](bool on) {
                    guard([this, i, on] {
                        if (on) C<IntText3D>(L("txtTaxRate"))->setText(i == 0 ? L("13") : L("3"));
                    });
                });
    }

    // Voucher-approval guard. Its box keeps no plain change mark (the load
    // drops it): the guard alone decides whether a change counts, so that
    // answering No leaves the dialog as it was. A context object of its own
    // keeps this connection when the plain one is dropped.
    auto* approval = C<QCheckBox>(L("ChkAllCheck(0)"));
    auto* guardContext = new QObject(this);
    connect(approval, &QCheckBox::stateChanged, guardContext, [this, approval] {
        guard([this, approval] {
            if (Loading) return;
            if (ReTickVoucherCheck) {
                ReTickVoucherCheck = false;
                return;
            }
            if (ticked(approval)) {
                SetChanged(true);
                return;
            }
            const MsgResult answer = env().messageBox(
                L("是否确认取消此控制参数？\n如果取消此参数，凭证审核将失去应有的审核监督的作用！"),
                MsgButtons::YesNo, MsgIcon::Information, L("信息提示！"), this);
            if (answer == MsgResult::Yes) {
                SetChanged(true);
            } else {
                ReTickVoucherCheck = true;
                setCheckValue(approval, 1);
            }
        });
    });

    // Current-account write-off and the business number that goes with it.
    onCheck(L("chkTransCheckStart"), [=](bool on) {
        if (!on) untick("ChkTransNo");
    });
    onCheck(L("ChkTransNo"), [=, this](bool on) {
        if (on && !ticked(C<QCheckBox>(L("chkTransCheckStart")))) {
            setCheckValue(C<QCheckBox>(L("chkTransCheckStart")), 1);
        }
    });

    onCheck(L("ChkUseCussent"), [=, this](bool on) { enableWith("ChkNotCloseOff", on); });
}

}  // namespace zx::profiles
