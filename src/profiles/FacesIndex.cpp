#include "zx/profiles/Faces.h"

namespace zx::profiles::faces {

face::Nodes allPages() {
    return {companyPage(), periodsPage(),      financePage(),
            cashierPage(), businessBasePage(), fixedAssetsPage(),
            payrollPage(), businessPage(),     manufacturingPage()};
}

}  // namespace zx::profiles::faces
