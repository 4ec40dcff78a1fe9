#include "zx/host/Environment.h"

namespace zx::host {

namespace {
Environment* g_environment = nullptr;
}

Environment& env() {
    if (!g_environment) {
        throw HostError(kGenericError, QStringLiteral("Environment"),
                        QStringLiteral("宿主环境未初始化"));
    }
    return *g_environment;
}

void setEnvironment(Environment* environment) {
    g_environment = environment;
}

bool hasEnvironment() {
    return g_environment != nullptr;
}

}  // namespace zx::host
