#include "zx/store/LedgerData.h"

#include "zx/host/Environment.h"
#include "zx/session/Session.h"

namespace zx::store {

namespace {

// True when the query gives at least one row; no record set counts as none.
bool hasRows(const QString& sql) {
    auto classInfo = host::createObject<host::ClassInfo>();
    const host::RecordSetPtr records = classInfo->GetData(GetPropsString(), sql);
    classInfo.reset();
    return records && records->RecordCount() > 0;
}

}  // namespace

bool hasInitialLedgerData() {
    return hasRows(QStringLiteral(
        "Select top 1 1 from t_balance union select top 1 1 from t_InitCashFlowBal Union "
        "select top 1 1 from t_FAAlter "));
}

bool hasVoucherBefore(qint32 year, qint32 period) {
    const QString y = QString::number(year);
    return hasRows(QStringLiteral("Select top 1 1 from t_Voucher where FYear<") + y +
                   QStringLiteral(" or (FYear=") + y + QStringLiteral(" and FPeriod<") +
                   QString::number(period) + QStringLiteral(")"));
}

}  // namespace zx::store
