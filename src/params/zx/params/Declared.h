#pragma once

// Every parameter declared in Ledger.h and Business.h, in declaration order,
// with the namespace it is declared in. The list is generated from the
// headers at configure time, so a declaration cannot be left out of it: the
// pages' walks and the tests over all parameters start here.

#include <span>

#include "zx/params/Param.h"

namespace zx::params {

struct Declared {
    const char* group;  // "company", "ledger", "business", ...
    const Param* param;
};

std::span<const Declared> declared();

}  // namespace zx::params
