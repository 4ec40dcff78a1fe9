#pragma once

// The faces of the pages of frmSystemProfiles, one function per page or
// shared frame. Page N of the main tab set `Stab` is named "Stab(N)"; page N
// of the ledger tab set `stabGl` is named "stabGl(N)".

#include "zx/profiles/Face.h"

namespace zx::profiles::faces {

face::Node companyPage();  // Stab(0) 系统信息: company, postcode, base currency
face::Node periodsPage();  // Stab(1) 会计期间: period set-up, tree, grid, start fields
face::Node financePage();  // Stab(2) 财务参数: stabGl, profit accounts, decimals, framPA, framFix
face::Node profitAccountsFrame();  // on Stab(2): the profit and profit-distribution accounts
face::Node cashierPage();          // Stab(3) 出纳参数
face::Node businessBasePage();     // Stab(4) 业务基础参数
face::Node fixedAssetsPage();      // Stab(5) 固定资产 (withdrawn; its settings live in framFix)
face::Node fixedAssetsFrame();     // framFix on Stab(2)
face::Node payrollPage();          // Stab(6) 工资 (withdrawn; its settings live in framPA)
face::Node payrollFrame();         // framPA on Stab(2)
face::Node businessPage();         // Stab(7) 业务参数
face::Node manufacturingPage();    // Stab(8) 生产及委外参数

// All nine pages of `Stab` in order.
face::Nodes allPages();

}  // namespace zx::profiles::faces
