#include "Demo.h"

#include <QDate>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>

#include "services/IniFile.h"
#include "sql/Database.h"
#include "zx/host/HostError.h"

namespace refhost {

namespace {

// ----- The demo data -----------------------------------------------------------

const char* const kAcctName = "演示账套";
const char* const kCompany = "演示科技有限公司";

struct DemoUser {
    const char* name;
    bool administrator;
    qint64 rights;  // on the system parameters (subsystem 18, object 0)
    const char* description;
};

constexpr qint64 kViewRight = 1048576;
constexpr qint64 kModifyRight = 2097152;

const DemoUser kUsers[] = {
    {"administrator", true, 0, "系统管理员"},
    {"guest", false, 0, "来宾: 没有系统参数的权限"},
    {"viewer", false, kViewRight, "只能查看系统参数"},
    {"editor", false, kViewRight | kModifyRight, "可以查看和修改系统参数"},
};

// Account classes (FGroupID): 1xx assets, 2xx liabilities, 3xx owner's
// equity, 4xx costs, 5xx profit and loss.
enum Group {
    CurrentAssets = 101,
    NonCurrentAssets = 102,
    CurrentLiabilities = 201,
    LongTermLiabilities = 202,
    Equity = 301,
    Costs = 401,
    Revenue = 501,
    CostOfSales = 502,
    Expenses = 503,
    OtherGains = 504,
    IncomeTax = 505,
};

// Item classes: 1 customers, 2 departments, 3 employees, 4 materials, 8 suppliers.
struct DemoAccount {
    const char* number;  // a sub-account continues its parent's number after "."
    const char* name;
    Group group;
    int dc;                   // 1 debit, -1 credit
    const char* itemClasses;  // ids separated by ","; empty for none
};

const DemoAccount kAccounts[] = {
    {"1001", "库存现金", CurrentAssets, 1, ""},
    {"1002", "银行存款", CurrentAssets, 1, ""},
    {"1002.01", "工商银行", CurrentAssets, 1, ""},
    {"1002.02", "建设银行", CurrentAssets, 1, ""},
    {"1012", "其他货币资金", CurrentAssets, 1, ""},
    {"1121", "应收票据", CurrentAssets, 1, "1"},
    {"1122", "应收账款", CurrentAssets, 1, "1"},
    {"1123", "预付账款", CurrentAssets, 1, "8"},
    {"1221", "其他应收款", CurrentAssets, 1, "3"},
    {"1403", "原材料", CurrentAssets, 1, "4"},
    {"1405", "库存商品", CurrentAssets, 1, "4"},
    {"1601", "固定资产", NonCurrentAssets, 1, ""},
    {"1602", "累计折旧", NonCurrentAssets, -1, ""},
    {"1701", "无形资产", NonCurrentAssets, 1, ""},
    {"2001", "短期借款", CurrentLiabilities, -1, ""},
    {"2202", "应付账款", CurrentLiabilities, -1, "8"},
    {"2203", "预收账款", CurrentLiabilities, -1, "1"},
    {"2211", "应付职工薪酬", CurrentLiabilities, -1, ""},
    {"2211.01", "工资", CurrentLiabilities, -1, ""},
    {"2211.02", "社会保险费", CurrentLiabilities, -1, ""},
    {"2221", "应交税费", CurrentLiabilities, -1, ""},
    {"2221.01", "应交增值税", CurrentLiabilities, -1, ""},
    {"2221.02", "应交所得税", CurrentLiabilities, -1, ""},
    {"2241", "其他应付款", CurrentLiabilities, -1, "3"},
    {"2501", "长期借款", LongTermLiabilities, -1, ""},
    {"3101", "实收资本", Equity, -1, ""},
    {"3102", "资本公积", Equity, -1, ""},
    {"3103", "盈余公积", Equity, -1, ""},
    {"3131", "本年利润", Equity, -1, ""},
    {"3141", "利润分配", Equity, -1, ""},
    {"3141.01", "未分配利润", Equity, -1, ""},
    {"3141.02", "提取法定盈余公积", Equity, -1, ""},
    {"3141.03", "应付利润", Equity, -1, ""},
    {"4101", "生产成本", Costs, 1, "4"},
    {"4105", "制造费用", Costs, 1, "2"},
    {"5101", "主营业务收入", Revenue, -1, "1"},
    {"5102", "其他业务收入", Revenue, -1, ""},
    {"5401", "主营业务成本", CostOfSales, 1, "4"},
    {"5402", "其他业务成本", CostOfSales, 1, ""},
    {"5403", "营业税金及附加", CostOfSales, 1, ""},
    {"5501", "销售费用", Expenses, 1, "2"},
    {"5502", "管理费用", Expenses, 1, ""},
    {"5502.01", "办公费", Expenses, 1, "2"},
    {"5502.02", "差旅费", Expenses, 1, "2,3"},
    {"5503", "财务费用", Expenses, 1, ""},
    {"5601", "营业外收入", OtherGains, -1, ""},
    {"5711", "营业外支出", OtherGains, 1, ""},
    {"5801", "所得税费用", IncomeTax, 1, ""},
};

// Profit accounts are stored by account id, filled in when the chart exists.
const char* const kEarnAccount = "3131";
const char* const kEarnAssignAccount = "3141";

constexpr int kFirstYear = 2024;
constexpr int kLastYear = 2027;
constexpr int kPeriodsPerYear = 12;

struct DemoParameter {
    const char* category;
    const char* key;
    const char* value;
};

// A ledger, cashier and business system that are not started yet.
const DemoParameter kParameters[] = {
    {"General", "CompanyName", kCompany},
    {"General", "CompanyAddress", "上海市浦东新区演示路88号"},
    {"General", "CompanyPhone", "021-55550188"},
    {"General", "CompanyTax", "91310000000000000X"},
    {"General", "CompanyType", "1"},
    {"General", "TaxType", "0"},
    {"General", "TaxRate", "13"},
    {"GL", "AccountType", "1"},
    {"GL", "GaSystem", "0"},
    {"GL", "Closed", "0"},
    {"GL", "InitClosed", "0"},
    {"GL", "PeriodCount", "12"},
    {"GL", "PeriodByMonth", "1"},
    {"GL", "YearDifference", "0"},
    {"GL", "StartYear", "0"},
    {"GL", "StartPeriod", "0"},
    {"GL", "CurrentYear", "0"},
    {"GL", "CurrentPeriod", "0"},
    {"GL", "CheckBeforePost", "1"},
    {"GL", "ShowDashBoard", "1"},
    {"GL", "QtyDefNum", "2"},
    {"GL", "PriceDefNum", "2"},
    {"GL", "TransCheckStart", "0"},
    {"IC", "StartYear", "0"},
    {"IC", "StartPeriod", "0"},
    {"IC", "CurrentYear", "0"},
    {"IC", "CurrentPeriod", "0"},
    {"IC", "IndustryVersion", "0"},
    {"CN", "CN_INIT_DONE", "0"},
};

// The same company in 2024/6 with its modules started in 2024/1.
const DemoParameter kStartedParameters[] = {
    {"GL", "Closed", "1"},
    {"GL", "InitClosed", "1"},
    {"GL", "StartYear", "2024"},
    {"GL", "StartPeriod", "1"},
    {"GL", "CurrentYear", "2024"},
    {"GL", "CurrentPeriod", "6"},
    {"FA", "Closed", "1"},
    {"FA", "StartYear", "2024"},
    {"FA", "StartPeriod", "1"},
    {"FA", "CurrentYear", "2024"},
    {"FA", "CurrentPeriod", "6"},
    {"FA", "PeriodCount", "12"},
    {"FA", "PeriodByMonth", "1"},
    {"FA", "FALinkedGL", "1"},
    {"FA", "NoVoucher", "0"},
    {"FA", "NoDepr", "1"},
    {"FA", "WithoutDepr", "0"},
    {"FA", "chkVoucherSingle", "1"},
    {"FA", "DeprRateScale", "4"},
    {"FA", "DeprRateQty", "2"},
    {"PA", "StartYear", "2024"},
    {"PA", "StartPeriod", "1"},
    {"PA", "CurrentYear", "2024"},
    {"PA", "CurrentPeriod", "6"},
    {"CN", "CN_INIT_DONE", "1"},
    {"CN", "CN_START_YEAR", "2024"},
    {"CN", "CN_START_PERIOD", "1"},
    {"CN", "CN_CURRENT_YEAR", "2024"},
    {"CN", "CN_CURRENT_PERIOD", "6"},
};

struct DemoCard {
    const char* number;
    const char* name;
    int deprMethod;  // 0 none chosen, 1 straight line, 2 workload
    int lifePeriods;
    int usedPeriods;
};

// The whole system does not depreciate yet, so no card has periods left to
// depreciate; the projector still lacks a method.
const DemoCard kCards[] = {
    {"FA001", "办公楼", 1, 240, 5},
    {"FA002", "货车", 2, 96, 5},
    {"FA003", "投影仪", 0, 60, 0},
};

struct DemoJournal {
    int kind;  // 1 cash, 2 bank deposit
    int period;
    int day;
    const char* account;
    const char* explanation;
    double debit;
    double credit;
};

// All in 2024; periods 7 and 8 are entered in advance.
const DemoJournal kJournal[] = {
    {1, 5, 8, "1001", "提取备用金", 5000, 0},    {2, 5, 20, "1002.01", "收到货款", 113000, 0},
    {1, 6, 3, "1001", "报销差旅费", 0, 1860},    {2, 6, 25, "1002.01", "支付电费", 0, 4210.5},
    {2, 7, 10, "1002.02", "预付房租", 0, 36000}, {2, 8, 10, "1002.02", "预付房租", 0, 36000},
};

// ----- Writing it ------------------------------------------------------------------

QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QString parentNumber(const QString& number) {
    const qsizetype dot = number.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : number.left(dot);
}

void insertUsers(Database& db) {
    for (const DemoUser& user : kUsers) {
        db.nativeExec(QStringLiteral("INSERT INTO t_User (FName, FAdministrator, FDescription) "
                                     "VALUES (?, ?, ?)"),
                      {text(user.name), user.administrator ? 1 : 0, text(user.description)});
        if (user.rights == 0) continue;
        db.nativeExec(QStringLiteral("INSERT INTO t_UserRight (FUserID, FSubSystem, FObject, "
                                     "FRightMask) SELECT FUserID, 18, 0, ? FROM t_User "
                                     "WHERE FName = ?"),
                      {user.rights, text(user.name)});
    }
}

// Returns the account ids by number.
QHash<QString, qint64> insertAccounts(Database& db) {
    QHash<QString, bool> hasChildren;
    for (const DemoAccount& account : kAccounts) {
        hasChildren.insert(parentNumber(text(account.number)), true);
    }
    QHash<QString, qint64> ids;
    QHash<QString, QString> fullNames;
    QHash<QString, int> detailIds;  // one detail id per combination of item classes
    for (const DemoAccount& account : kAccounts) {
        const QString number = text(account.number);
        const QString parent = parentNumber(number);
        const QString name = text(account.name);
        const QString fullName = parent.isEmpty() ? name : fullNames.value(parent) + u'_' + name;
        const QString classes = text(account.itemClasses);
        int detailId = 0;
        if (!classes.isEmpty()) {
            detailId = detailIds.value(classes, int(detailIds.size()) + 1);
            detailIds.insert(classes, detailId);
        }
        db.nativeExec(
            QStringLiteral("INSERT INTO t_Account (FNumber, FName, FFullName, FLevel, FParentID, "
                           "FGroupID, FDC, FDetail, FDetailID, FItemClasses, FCurrencyID) "
                           "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 1)"),
            {number, name, fullName, int(number.count(QLatin1Char('.'))) + 1,
             parent.isEmpty() ? 0 : ids.value(parent), int(account.group), account.dc,
             hasChildren.contains(number) ? 0 : 1, detailId, classes});
        const auto row = db.nativeQuery(
            QStringLiteral("SELECT FAccountID FROM t_Account WHERE FNumber = ?"), {number});
        ids.insert(number, row->Field(0).toLongLong());
        fullNames.insert(number, fullName);
    }
    return ids;
}

void insertPeriods(Database& db) {
    for (int year = kFirstYear; year <= kLastYear; ++year) {
        for (int period = 1; period <= kPeriodsPerYear; ++period) {
            const QDate start(year, period, 1);
            const QDate end = start.addMonths(1).addDays(-1);
            db.nativeExec(QStringLiteral("INSERT INTO t_perioddate (FYear, FPeriod, FStartDate, "
                                         "FEndDate) VALUES (?, ?, ?, ?)"),
                          {year, period, start.toString(QStringLiteral("yyyy-MM-dd 00:00:00")),
                           end.toString(QStringLiteral("yyyy-MM-dd 00:00:00"))});
        }
    }
}

// Fields of the bill templates: the captions that name the item (renamed
// with the item's name) and the quantity columns (FCtlType 3) whose sum row
// follows the business parameter SumAbsoluteQty.
struct DemoTemplateField {
    const char* bill;
    int index;
    const char* fieldName;
    const char* caption;
    int ctlType;
};

const DemoTemplateField kTemplateFields[] = {
    {"A01", 1, "FItemID", "物料代码", 1}, {"A01", 2, "FItemName", "物料名称", 1},
    {"A01", 3, "FQty", "实收数量", 3},    {"B01", 1, "FItemID", "物料代码", 1},
    {"B01", 2, "FAuxQty", "辅助数量", 3}, {"B01", 3, "FQty", "实发数量", 3},
    {"B01", 4, "FNote", "备注", 0},
};

void insertTemplateFields(Database& db) {
    for (const DemoTemplateField& f : kTemplateFields) {
        db.nativeExec(QStringLiteral("INSERT INTO ICTemplateEntry (FID, FCtlIndex, FFieldName, "
                                     "FCaption, FCtlType, FNeedCount) VALUES (?, ?, ?, ?, ?, 0)"),
                      {QString::fromUtf8(f.bill), f.index, QString::fromUtf8(f.fieldName),
                       QString::fromUtf8(f.caption), f.ctlType});
    }
    // A menu entry beside the item's own, which a rename leaves alone.
    db.nativeExec(QStringLiteral("INSERT INTO t_MF_FuncElement (FDetailFuncID, FSubFuncID, FName, "
                                 "FQORCaption) VALUES (60020112, 600201, ?, ?)"),
                  {QStringLiteral("物料清单"), QStringLiteral("物料清单")});
}

void insertParameter(Database& db, const QString& category, const QString& key,
                     const QString& value) {
    db.nativeExec(QStringLiteral("INSERT INTO t_SystemProfile (FCategory, FKey, FValue) "
                                 "VALUES (?, ?, ?)"),
                  {category, key, value});
}

bool registered(Database& db) {
    const auto rows = db.nativeQuery(QStringLiteral("SELECT COUNT(*) FROM t_ad_zxAccount_gl"));
    return rows->Field(0).toInt() > 0;
}

// ----- Installation directory ------------------------------------------------------

const QString kSchemeSection = QStringLiteral("Version");
const QString kRegistryKey = QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\ZENTRIX\\QORPRODUCT");

[[noreturn]] void cannotWrite(const QString& path) {
    throw zx::host::HostError(zx::host::kGenericError, QStringLiteral("Install"),
                              QStringLiteral("无法写入安装目录中的文件: %1").arg(path));
}

void copyIfMissing(const QString& resource, const QString& target) {
    if (QFileInfo::exists(target)) return;
    QFile in(resource);
    if (!in.open(QIODevice::ReadOnly)) cannotWrite(target);
    if (!QDir().mkpath(QFileInfo(target).absolutePath())) cannotWrite(target);
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly) || out.write(in.readAll()) < 0 || !out.commit()) {
        cannotWrite(target);
    }
}

}  // namespace

bool accountSetRegistered(Database& db) {
    return registered(db);
}

void createDemoAccountSet(Database& db) {
    if (registered(db)) return;
    db.transaction([&] {
        // Another process may have filled it while this one waited.
        if (registered(db)) return;
        db.nativeExec(QStringLiteral("INSERT INTO t_ad_zxAccount_gl (FAcctName, FCompanyName) "
                                     "VALUES (?, ?)"),
                      {text(kAcctName), text(kCompany)});
        insertUsers(db);
        const QHash<QString, qint64> accounts = insertAccounts(db);
        // The schema creates the base currency; make sure it reads as the demo expects.
        db.nativeExec(QStringLiteral("UPDATE t_Currency SET FNumber = ?, FName = ?, FScale = 2 "
                                     "WHERE FCurrencyID = 1"),
                      {QStringLiteral("RMB"), QStringLiteral("人民币")});
        insertPeriods(db);
        insertTemplateFields(db);
        for (const DemoParameter& p : kParameters) {
            insertParameter(db, text(p.category), text(p.key), text(p.value));
        }
        insertParameter(db, QStringLiteral("GL"), QStringLiteral("EarnAccount"),
                        QString::number(accounts.value(text(kEarnAccount))));
        insertParameter(db, QStringLiteral("GL"), QStringLiteral("EarnAssignAccount"),
                        QString::number(accounts.value(text(kEarnAssignAccount))));
    });
}

void startDemoModules(Database& db) {
    createDemoAccountSet(db);
    db.transaction([&] {
        for (const DemoParameter& p : kStartedParameters) {
            db.nativeExec(QStringLiteral("INSERT INTO t_SystemProfile (FCategory, FKey, FValue) "
                                         "VALUES (?, ?, ?) ON CONFLICT (FCategory, FKey) "
                                         "DO UPDATE SET FValue = excluded.FValue"),
                          {text(p.category), text(p.key), text(p.value)});
        }
        for (const DemoCard& card : kCards) {
            db.nativeExec(QStringLiteral("INSERT INTO t_FACard (FNumber, FName, FDeprMethod, "
                                         "FLifePeriods, FUsedPeriods, FDeprPeriods) "
                                         "VALUES (?, ?, ?, ?, ?, 0) ON CONFLICT DO NOTHING"),
                          {text(card.number), text(card.name), card.deprMethod, card.lifePeriods,
                           card.usedPeriods});
        }
        for (const char* subSys : {"Fa", "PA", "Cn"}) {
            db.nativeExec(QStringLiteral("INSERT INTO t_MonthEndSubSys (FSubSys, FYear, FPeriod, "
                                         "FPastStart, Fperiodsynch, FLedgerWaits) "
                                         "VALUES (?, 2024, 6, 1, 1, 0) ON CONFLICT DO NOTHING"),
                          {text(subSys)});
        }
        const auto journalRows =
            db.nativeQuery(QStringLiteral("SELECT COUNT(*) FROM t_CashJournal"));
        if (journalRows->Field(0).toInt() > 0) return;
        for (const DemoJournal& entry : kJournal) {
            const QDate date(2024, entry.period, entry.day);
            db.nativeExec(
                QStringLiteral("INSERT INTO t_CashJournal (FKind, FYear, FPeriod, FDate, "
                               "FAccountID, FExplanation, FDebit, FCredit) "
                               "SELECT ?, ?, ?, ?, FAccountID, ?, ?, ? FROM t_Account "
                               "WHERE FNumber = ?"),
                {entry.kind, 2024, entry.period,
                 date.toString(QStringLiteral("yyyy-MM-dd 00:00:00")), text(entry.explanation),
                 entry.debit, entry.credit, text(entry.account)});
        }
    });
}

QString ensureInstallDir(const QString& dir) {
    const QString root = QDir(dir).absolutePath();
    if (!QDir().mkpath(root + QStringLiteral("/Common"))) cannotWrite(root);

    const QString scheme = root + QStringLiteral("/Common/QORBaseScheme.ini");
    if (!QFileInfo::exists(scheme)) {
        writeIniValue(scheme, kSchemeSection, QStringLiteral("AppType"), QStringLiteral("0"));
        writeIniValue(scheme, kSchemeSection, QStringLiteral("OEM"), QStringLiteral("0"));
        writeIniValue(scheme, kSchemeSection, QStringLiteral("AppName"),
                      QStringLiteral("Zentrix 财务业务一体化"));
        writeIniValue(scheme, kSchemeSection, QStringLiteral("HangYeType"), QStringLiteral("0"));
    }
    const QString registry = root + QStringLiteral("/registry.ini");
    if (!QFileInfo::exists(registry)) {
        writeIniValue(registry, kRegistryKey, QStringLiteral("Path"), root);
    }
    QDirIterator pages(QStringLiteral(":/help"), QDir::Files, QDirIterator::Subdirectories);
    while (pages.hasNext()) {
        const QString resource = pages.next();
        copyIfMissing(resource, root + QStringLiteral("/Help") +
                                    resource.mid(int(QStringLiteral(":/help").size())));
    }
    return root;
}

}  // namespace refhost
