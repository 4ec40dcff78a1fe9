#include "zx/store/Followers.h"

#include "zx/host/Environment.h"
#include "zx/host/LedgerServices.h"
#include "zx/session/Session.h"
#include "zx/store/Store.h"

namespace zx::store {

void followCompanyName(const QString& name) {
    host::createService<host::AcctMgr>()->ModifyCompany2(
        QStringLiteral("update t_ad_zxAccount_gl set FCompanyName=") + SqlQuote(name, true, false) +
        QStringLiteral(" where FAcctName=") + SqlQuote(GetAcctName(), true, false));
}

void followTaxRate(const QString& rate) {
    const QString number = numberText(Val(rate));
    for (const char* target : {"FItemClassID=4 and FSQLColumnName='FTaxRate'",
                               "FItemClassID=1 and FSQLColumnName='FValueAddRate'"}) {
        host::createObject<host::ClassUpdate>()->SaveItem(
            GetPropsString(), QStringLiteral("Update t_ItemPropDesc Set FDefaultValue=") + number +
                                  QStringLiteral(" Where ") + QString::fromLatin1(target));
    }
}

}  // namespace zx::store
