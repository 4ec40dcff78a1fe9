#include "zx/rules/Rules.h"

#include "zx/session/Session.h"
#include "zx/store/Store.h"

namespace zx::rules {

namespace {

// Type 2 words the business system as the warehouse system.
QString byAppType(int appType, const char16_t* business, const char16_t* warehouse) {
    return QString::fromUtf16(appType == 2 ? warehouse : business);
}

Refusal say(const QString& message, int page = -1, const QString& focus = {}) {
    return {message, page, focus};
}

}  // namespace

bool ledgerStartDue(const LedgerStart& s) {
    if (s.hasInitData || s.initClosed) return false;
    if (!(Val(s.startYear) > 1900 && Val(s.startPeriod) > 0)) return false;
    return !s.started || s.startPeriodChanged;
}

QString ledgerStartQuestion(const LedgerStart& s) {
    if (s.appType == 1) {
        return QStringLiteral("请确认本位币的设置，系统将不允许再次修改，是否确认启用！");
    }
    return QStringLiteral("请确认账务初始参数(启用年度：") + s.startYear +
           QStringLiteral("、启用期间：") + s.startPeriod +
           QStringLiteral(")和本位币的设置，系统将不允许再次修改，是否确认启用！");
}

std::optional<Refusal> ledgerStartNeedsBusiness(const LedgerStart& s) {
    if (s.appType != 1) return std::nullopt;
    if (Val(s.businessYearText) > 1900 && Val(s.businessPeriod) > 0) return std::nullopt;
    return say(QStringLiteral("请先设置业务启用年度及期间！"), kBusinessBasePage,
               QStringLiteral("txtIC_StartPeriod"));
}

std::optional<Refusal> ledgerStartConflict(const LedgerStart& s,
                                           bool (*hasVoucher)(qint32, qint32)) {
    if (s.appType == 1) return std::nullopt;
    const double year = Val(s.startYear);
    const double period = Val(s.startPeriod);
    // The business modules, once started, may not begin before the ledger.
    if (!s.businessYearOpen) {
        if (year > s.businessYear) {
            return say(QStringLiteral("业务系统启用年度必须大于等于账务系统当前年度！"));
        }
        if (year == s.businessYear) {
            if (period > Val(s.businessPeriod)) {
                return say(QStringLiteral("账务系统启用期间必须小于等于业务系统当前期间！"));
            }
            if (hasVoucher(store::roundToInt32(year), store::roundToInt32(period))) {
                return say(QStringLiteral("有启用期间以前的凭证,请先修改凭证日期!"));
            }
        }
    }
    // Nor may the cashier, once in use.
    if (Val(s.cashierCurrentPeriod) > 0) {
        if (year > s.cashierYear) {
            return say(QStringLiteral("出纳系统启用年度必须大于等于账务系统当前年度！"));
        }
        if (year == s.cashierYear && period > Val(s.cashierPeriod)) {
            return say(QStringLiteral("总账会计启用期间必须小于等于出纳启用会计期间！"));
        }
    }
    return std::nullopt;
}

CashierStep cashierStartStep(const CashierStart& s) {
    // Only a cashier not yet started, whose start the user has moved away
    // from the period it stands in, goes through the start.
    const bool moved =
        Val(s.currentYear) != Val(s.startYear) || Val(s.currentPeriod) != Val(s.startPeriod);
    if (!s.open || !moved) return CashierStep::Options;
    if (s.startPeriodValue == 0) return CashierStep::Nothing;
    return CashierStep::Ask;
}

std::optional<Refusal> cashierStartRefusal(const CashierStart& s) {
    const double ledgerYear = Val(s.ledgerYear);
    if (ledgerYear > s.startYearValue) {
        return say(QStringLiteral("出纳系统启用年度必须大于等于账务系统当前年度！"));
    }
    if (ledgerYear == s.startYearValue && Val(s.ledgerPeriod) > Val(s.startPeriod)) {
        return say(QStringLiteral("出纳启用会计期间必须大于等于当前总账会计期间！"));
    }
    return std::nullopt;
}

bool businessStartDue(const BusinessStart& s) {
    return s.periodOpen && Val(s.period) > 0;
}

std::optional<Refusal> businessStartBlocked(const BusinessStart& s) {
    if (!s.ledgerStartOpen) return std::nullopt;
    return say(byAppType(s.appType, u"业务系统启用年度及期间必须在账务系统启用年度及期间后！",
                         u"仓存系统启用年度及期间必须在账务系统启用年度及期间后！"));
}

QString businessStartQuestion(int appType) {
    return byAppType(appType, u"请确认业务初始参数的设置，系统将不允许再次修改，是否确认启用！",
                     u"请确认仓存初始参数的设置，系统将不允许再次修改，是否确认启用！");
}

std::optional<Refusal> businessStartRefusal(const BusinessStart& s) {
    const double ledgerYear = Val(s.ledgerYear);
    if (ledgerYear > s.year) {
        return say(byAppType(s.appType, u"业务系统启用年度必须大于等于账务系统当前年度！",
                             u"仓存系统启用年度必须大于等于账务系统当前年度！"));
    }
    if (ledgerYear == s.year && Val(s.ledgerPeriod) > Val(s.period)) {
        return say(byAppType(s.appType, u"业务系统启用期间必须大于等于账务系统当前期间！",
                             u"仓存系统启用期间必须大于等于账务系统当前期间！"));
    }
    return std::nullopt;
}

QString taxRateFor(int taxKind) {
    if (taxKind == 0) return QStringLiteral("13");
    if (taxKind == 1) return QStringLiteral("3");
    return {};
}

WriteOff afterWriteOffChange(WriteOff now, bool changedEnabled) {
    if (changedEnabled && !now.enabled) now.numbered = false;
    if (!changedEnabled && now.numbered && !now.enabled) now.enabled = true;
    return now;
}

}  // namespace zx::rules
