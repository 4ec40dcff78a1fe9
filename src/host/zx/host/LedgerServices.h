#pragma once

// Host services of the ledger start-up, the period set-up, the account
// selection and the account-set register.

#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <optional>

#include "zx/host/HostError.h"
#include "zx/host/RecordSet.h"
#include "zx/host/Service.h"
#include "zx/host/Services.h"

namespace zx::host {

// The account-set register.
class AcctMgr : public Service {
public:
    static constexpr auto classId = "AcctMgr";
    // Runs the statement on the register (company name of an account set).
    virtual void ModifyCompany2(const QString& statement) = 0;
};

// The host's period set-up window: builds the period calendar.
class UpdatePeriodDate : public Service {
public:
    static constexpr auto classId = "UpdatePeriodDate";
    // Modal; returns when the user closes the window.
    virtual void WinShow(const QString& props) = 0;
};

class InitializeBalance : public Service {
public:
    static constexpr auto classId = "InitializeBalance";
    // Switches write-off of current-account business. The dictionary holds
    // "OldFlag", "NewFlag" and "SuccessFlag"; the service may set
    // "SuccessFlag" (-1: written-off business exists, 0: initial data
    // cannot change) when it refuses.
    virtual bool SetInitTransCheck(const QString& props, QVariantMap& dictionary) = 0;
};

class SessionUserProfile : public Service {
public:
    static constexpr auto classId = "SessionUserProfile";
    virtual void SetVoucherType(qint32 number) = 0;
};

class AccountInfo : public Service {
public:
    static constexpr auto classId = "AccountInfo";
    // Accounts of the given list kind (2: accounts) matching the filter, with
    // the column FDetailID (above 0 when the account carries item classes).
    virtual RecordSetPtr GetList(const QString& props, qint32 kind, const QString& filter) = 0;
};

}  // namespace zx::host
