#include "zx/profiles/Faces.h"

namespace zx::profiles::faces {
using namespace face;
Node companyPage() { return page("Stab(0)", QStringLiteral("系统信息"), {}); }
Node periodsPage() { return page("Stab(1)", QStringLiteral("会计期间"), {}); }
Node financePage() { return page("Stab(2)", QStringLiteral("财务参数"), {}); }
Node profitAccountsFrame() { return frame({}, {}, {}); }
}  // namespace zx::profiles::faces
