#include "Standard.h"

#include "AccountServices.h"
#include "AssetServices.h"
#include "BusinessServices.h"
#include "ParamHistory.h"
#include "ProfileServices.h"
#include "lock/LockServices.h"

namespace refhost {

void installStandardServices(RefHost& host) {
    installSessionServices(host);
    installDataServices(host);
    installSecurityServices(host);
    installConfigServices(host);
    installUserProfileService(host);
    installProfileServices(host);
    installLockServices(host);
    installLedgerServices(host);
    installAccountServices(host);
    installBusinessServices(host);
    installAssetServices(host);
    installParamHistoryService(host);
}

}  // namespace refhost
