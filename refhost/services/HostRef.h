#pragma once

#include <memory>

#include "RefHost.h"
#include "zx/host/HostError.h"

namespace refhost {

// A service's link to the host that made it. A component may keep a service
// for the life of its process, longer than the host: using it after the host
// is gone raises instead of touching freed memory.
class HostRef {
public:
    explicit HostRef(RefHost& host) : token_(host.token()) {}

    RefHost& operator*() const {
        const auto token = token_.lock();
        if (!token) {
            throw zx::host::HostError(zx::host::kGenericError, QStringLiteral("RefHost"),
                                      QStringLiteral("宿主已关闭, 此服务不能再使用。"));
        }
        return **token;
    }
    RefHost* operator->() const { return &**this; }

private:
    std::weak_ptr<RefHost* const> token_;
};

}  // namespace refhost
