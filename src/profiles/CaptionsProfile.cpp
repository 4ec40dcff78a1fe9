// Page captions and option lists: which pages and frames the installed
// variant shows, and the texts that differ from the pages' design.

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QTabWidget>
#include <QTableWidget>
#include <functional>

#include "zx/profiles/frmSystemProfiles.h"
#include "zx/session/Session.h"

namespace zx::profiles {

namespace {

struct CaptionRow {
    const char* control;
    const char* caption;
};

// Texts set at load; everything else keeps its design caption.
const CaptionRow kCaptions[] = {
    {"ChkAcctFront", "科目名称显示在科目代码前"},
    {"LbCompany", "单位名称："},
    {"chkCheckBeClose", "结账前必须审核"},
    {"chkUseESC", "与结算中心联用"},
    {"chkIC_ShowUnderCalcTypeAndInv", "检测即时库存"},
    {"chkIC_ShowUnderCalcTypeByPeriodAndInv", "检测即时库存"},
    {"OptBud(0)", "不检查"},
    {"OptYtdBud(0)", "不检查"},
    {"OptSignBud(0)", "不检查"},
    {"OptBud(1)", "警告"},
    {"OptYtdBud(1)", "警告"},
    {"OptSignBud(1)", "警告"},
    {"OptBud(2)", "禁止使用"},
    {"OptYtdBud(2)", "禁止使用"},
    {"OptSignBud(2)", "禁止使用"},
    {"OptYtd(0)", "每期发生额预算"},
    {"OptYtd(1)", "累计发生额预算"},
    {"OptUPSTOCKWHENSAVE(0)", "单据审核后更新"},
    {"OptUPSTOCKWHENSAVE(1)", "单据保存后更新"},
    {"optHS_CalculateType(1)", "分仓核算"},
    {"optYh(1)", "浮动汇率"},
    {"optXj(1)", "浮动汇率"},
    {"optYh(0)", "固定汇率"},
    {"optXj(0)", "固定汇率"},
    {"Label1(3)", "汇率小数位长度："},
    {"Label1(0)", "汇率小数位长度："},
    {"fraYh", " 银行存款日记账汇率设置 "},
    {"fraXj", " 现金日记账汇率设置 "},
    {"lbl_AlarmDateCount(0)", "采购订单交货提前预警天数："},
    {"lbl_AlarmDateCount(1)", "销售订单交货提前预警天数："},
    {"lbl_AlarmDateCount(2)", "保质期预警提前天数："},
    {"lbl_AlarmDateCount(3)", "呆滞料预警(物料无发生额天数)："},
    {"lbl_AlarmDateCount(4)", "应收预警天数："},
    {"lbl_AlarmDateCount(5)", "应付预警天数："},
    {"lbl_AlarmDateCount(6)", "生产及委外任务超期提前预警天数："},
    {"lblIC_ICBase(1)", "销售信用额度控制方式："},
    {"lblIC_ICBase(0)", "采购信用额度控制方式："},
    {"FrameVchNumber", "凭证号"},
    {"frameB", "科目余额预算"},
    {"FrameYtd", "科目发生额预算"},
    {"frameSign", "科目单笔分录发生额预算"},
};

enum Page { kCompany = 0, kPeriods, kFinance, kCashier, kBusinessBase, kFixedAssets, kPayroll };

}  // namespace

void frmSystemProfiles::setCaption(const QString& name, const QString& text) {
    QWidget* w = control(name);
    if (auto* lbl = qobject_cast<QLabel*>(w)) {
        lbl->setText(text);
    } else if (auto* btn = qobject_cast<QAbstractButton*>(w)) {
        btn->setText(text);
    } else if (auto* box = qobject_cast<QGroupBox*>(w)) {
        box->setTitle(text);
    }
}

void frmSystemProfiles::ApplyCaptions() {
    // Each step on its own: a step that fails is skipped and the next goes on.
    auto step = [](const std::function<void()>& work) {
        try {
            work();
        } catch (const std::exception&) {
        }
    };
    auto hideAll = [this](std::initializer_list<const char*> names) {
        for (const char* name : names) control(QString::fromLatin1(name))->setVisible(false);
    };

    step([&] {
        if (GetIndustryType() == 1) {
            hideAll(
                {"lblIC_Item4Name", "txtIC_Item4Name", "lblIC_AuxSpaceMark", "cmbIC_AuxSpaceMark"});
        }
    });
    step([&] {
        stab_->setTabVisible(kFixedAssets, false);
        stab_->setTabVisible(kPayroll, false);
    });
    step([&] {
        const qint32 appType = GetAppInfo().appType;
        if (appType == 1) {
            stab_->setTabVisible(kFinance, false);
            stab_->setTabVisible(kCashier, false);
        } else if (appType == 2) {
            stab_->setTabText(kFinance, QStringLiteral("账务参数"));
            stab_->setTabText(kBusinessBase, QStringLiteral("仓存参数"));
            stab_->setTabVisible(kCashier, false);
            hideAll({"framFix", "chkCheckBeClose"});
            // Without purchasing and sales the basic options take the freed room.
            hideAll({"framSet(11)", "framSet(12)", "lblZKLScale", "txtZKLScale", "lblFPScale",
                     "txtFPScale"});
        }
    });
    step([&] {
        auto* grid = C<QTableWidget>(QStringLiteral("pp"));
        grid->setHorizontalHeaderLabels({QStringLiteral("会计期间"), QStringLiteral("开始日期")});
    });
    for (const CaptionRow& row : kCaptions) {
        step([&] { setCaption(QString::fromLatin1(row.control), QString::fromUtf8(row.caption)); });
    }
    step([&] { control(QStringLiteral("fraprice"))->setVisible(GetIndustryVersion() == 1); });
}

}  // namespace zx::profiles
