#include "zx/profiles/Faces.h"

namespace zx::profiles::faces {
using namespace face;
Node businessBasePage() { return page("Stab(4)", QStringLiteral("业务基础参数"), {}); }
Node businessPage() { return page("Stab(7)", QStringLiteral("业务参数"), {}); }
Node manufacturingPage() { return page("Stab(8)", QStringLiteral("生产及委外参数"), {}); }
}  // namespace zx::profiles::faces
