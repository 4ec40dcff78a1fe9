#include "zx/profiles/Faces.h"

namespace zx::profiles::faces {
using namespace face;
Node cashierPage() { return page("Stab(3)", QStringLiteral("出纳参数"), {}); }
Node fixedAssetsPage() { return page("Stab(5)", QStringLiteral("固定资产"), {}); }
Node fixedAssetsFrame() { return frame("framFix", {}, {}); }
Node payrollPage() { return page("Stab(6)", QStringLiteral("工资"), {}); }
Node payrollFrame() { return frame("framPA", {}, {}); }
}  // namespace zx::profiles::faces
