#include "zx/store/WatchedParams.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QWidget>

#include "zx/host/HostError.h"
#include "zx/session/Session.h"
#include "zx/store/ChangeLog.h"
#include "zx/store/Store.h"

namespace zx::store {

const QList<WatchedParam>& watchedParams() {
    using V = WatchedValue;
    static const QList<WatchedParam> params = {
        {QStringLiteral("CProOutQtyLargerQty"), true, QStringLiteral("chkIC_ProOut_QtyLargerQty"),
         V::CheckState, QStringLiteral("允许生产任务单及委外加工单上数量大于销售订单上的数量")},
        {QStringLiteral("MoCommitQty"), true, QStringLiteral("chkIC_MoCommitQty"), V::CheckState,
         QStringLiteral("关联销售订单生成生产任务单及委外加工单时，扣减其已关联销售出库的数量")},
        {QStringLiteral("MoCheckQty"), true, QStringLiteral("chkIC_MOCheckQty(0)"), V::CheckState,
         QStringLiteral("生产任务单/委外加工单需完成生产领料/委外发料才可入库")},
        {QStringLiteral("MoCheckQty1"), true, QStringLiteral("chkIC_MOCheckQty(1)"), V::CheckState,
         QStringLiteral("生产任务单/委外加工单需部分生产领料/委外发料即可入库")},
        {QStringLiteral("upDiscountSave"), true, QStringLiteral("chkIC_MOQtyCheck"), V::CheckState,
         QStringLiteral("生产领料/委外发料单必须审核后才能入库（库存更新控制为审核后更新时生效）")},
        {QStringLiteral("CStoOutQtyLargerQty"), true, QStringLiteral("chkIC_StoOut_QtyLargerQty"),
         V::CheckState,
         QStringLiteral("允许产品入库单/委外产品入库单的数量大于生产任务单/委外加工单上的数量")},
        {QStringLiteral("AlertMO"), false, QStringLiteral("cmbIC_AlertMO"), V::ComboText,
         QStringLiteral("生产领料及委外发料超过限额控制方式")},
        {QStringLiteral("BOMType"), false, QStringLiteral("cmbIC_BOMType"), V::ComboText,
         QStringLiteral("BOM损耗率公式")},
        {QStringLiteral("UpdateBomStock"), true, QStringLiteral("chkUpdateBomStock"), V::CheckState,
         QStringLiteral("修改物料默认仓库时，同步更新物料对应的BOM发料仓库")},
        {QStringLiteral("ManufactureAlarmDateCount"), false,
         QStringLiteral("txt_AlarmDateCount(6)"), V::WholeNumber,
         QStringLiteral("生产及委外任务超期提前预警天数")},
        {QStringLiteral("MoCheckNoApportionFee"), true,
         QStringLiteral("chkIC_MoCheckNoApportionFee"), V::CheckState,
         QStringLiteral("生产及委外成本核算前检查未进行费用分配的产品入库单")},
        {QStringLiteral("OutMoCheckNoOutExpense"), true,
         QStringLiteral("chkIC_OutMoCheckNoOutExpense"), V::CheckState,
         QStringLiteral("委外成本核算前检查未进行费用分配的委外产品入库单")},
    };
    return params;
}

QString watchedValue(QWidget* root, const WatchedParam& param) {
    QWidget* widget = root ? root->findChild<QWidget*>(param.control) : nullptr;
    switch (param.value) {
        case WatchedValue::CheckState:
            if (auto* box = qobject_cast<QCheckBox*>(widget)) {
                return QString::number(checkValue(box->checkState()));
            }
            break;
        case WatchedValue::ComboText:
            if (auto* box = qobject_cast<QComboBox*>(widget)) return box->currentText();
            break;
        case WatchedValue::WholeNumber:
            if (auto* spin = qobject_cast<QSpinBox*>(widget)) return QString::number(spin->value());
            if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
                return QString::number(roundToInt32(Val(edit->text())));
            }
            break;
    }
    throw host::HostError(host::kGenericError, QStringLiteral("Store"),
                          QStringLiteral("找不到参数控件: %1").arg(param.control));
}

void registerWatchedParams(ChangeLog& log, QWidget* root) {
    for (const WatchedParam& param : watchedParams()) {
        log.AddLogItem(kWatchedCategory, param.key, param.desc, watchedValue(root, param),
                       param.isSwitch, false);
    }
}

void reportWatchedParams(ChangeLog& log, QWidget* root) {
    for (const WatchedParam& param : watchedParams()) {
        log.UpdateLogItem(kWatchedCategory, param.key, watchedValue(root, param));
    }
}

}  // namespace zx::store
