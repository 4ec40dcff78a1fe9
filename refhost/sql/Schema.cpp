#include "Schema.h"

#include <QStringList>
#include <span>

#include "Database.h"
#include "Dialect.h"
#include "zx/host/HostError.h"

namespace refhost {

namespace {

const QString kComponent = QStringLiteral("refhost");

// One column's definition in the backend's types.
QString columnDef(const Dialect& d, const char* name, SqlType type, int size = 0,
                  const char* extra = "") {
    QString def = QString::fromLatin1(name) + QLatin1Char(' ') + d.columnType(type, size);
    if (*extra) def += QLatin1Char(' ') + QString::fromLatin1(extra);
    if (size > 0 && (type == SqlType::Text || type == SqlType::Name)) {
        def += d.lengthCheck(QString::fromLatin1(name), size);
    }
    return def;
}

// One column: its name, its type in the backend's terms, a size (0: the
// type's own) and what follows the type.
struct Column {
    const char* name;
    SqlType type;
    int size = 0;
    const char* extra = "";
};

struct Table {
    const char* name;
    std::span<const Column> columns;
    const char* constraint = nullptr;  // a table constraint after the columns
};

struct Index {
    const char* name;
    const char* table;
    const char* column;
    const char* second = nullptr;  // the next column of a two-column index
};

// The columns of each table, named after it.
namespace columns {

using T = SqlType;

const Column t_SchemaVersion[] = {
    {"FComponent", T::Name, 50, "NOT NULL PRIMARY KEY"},
    {"FVersion", T::Integer, 0, "NOT NULL"},
};

// Parameters: one row per (category, key); keys are matched without
// regard to case, as the component writes them in varying spellings.
const Column t_SystemProfile[] = {
    {"FCategory", T::Name, 30, "NOT NULL"},
    {"FKey", T::Name, 100, "NOT NULL"},
    {"FValue", T::Text, 0, "DEFAULT ''"},
    {"FReadonly", T::Integer, 0, "NOT NULL DEFAULT 0"},
    {"FLevel", T::Integer},
    {"FDescription", T::Text},
};

// Change log of watched parameters; only ever inserted. FOptTime is the
// text "yyyy-MM-dd HH:mm:ss", so text order is time order.
const Column t_SystemProfile_Log[] = {
    {"FID", T::AutoKey},
    {"FOptTime", T::Text, 23, "NOT NULL"},
    {"FUserID", T::Integer},
    {"FCategory", T::Name, 30},
    {"FKey", T::Name, 100},
    {"FDesc", T::Text},
    {"FOrigValue", T::Text},
    {"FNewValue", T::Text},
    {"FMachineName", T::Text, 128},
    {"FIpAddress", T::Text, 64},
};

const Column t_User[] = {
    {"FUserID", T::AutoKey},
    {"FName", T::Name, 50, "NOT NULL UNIQUE"},
    {"FAdministrator", T::Integer, 0, "NOT NULL DEFAULT 0"},
    {"FPassword", T::Text, 128},
    {"FForbidden", T::Integer, 0, "NOT NULL DEFAULT 0"},
    {"FDescription", T::Text},
};

// Rights held by a user on an object of a subsystem, as a bit mask
// (1048576 view, 2097152 modify for the system parameters, subsystem 18).
const Column t_UserRight[] = {
    {"FUserID", T::Integer, 0, "NOT NULL"},
    {"FSubSystem", T::Integer, 0, "NOT NULL"},
    {"FObject", T::Integer, 0, "NOT NULL DEFAULT 0"},
    {"FRightMask", T::Integer, 0, "NOT NULL DEFAULT 0"},
};

// Chart of accounts. Numbers run by level, "1001", "1002.01"; FGroupID is
// the account class (owner's equity / net assets: 300 to 399); FDetailID
// is above 0 when the account carries item classes (FItemClasses lists
// their ids, separated by ",").
const Column t_Account[] = {
    {"FAccountID", T::AutoKey},
    {"FNumber", T::Name, 40, "NOT NULL UNIQUE"},
    {"FName", T::Text, 80, "NOT NULL"},
    {"FFullName", T::Text, 255},
    {"FLevel", T::Integer, 0, "NOT NULL DEFAULT 1"},
    {"FParentID", T::Integer, 0, "NOT NULL DEFAULT 0"},
    {"FGroupID", T::Integer, 0, "NOT NULL DEFAULT 0"},
    {"FDC", T::Integer, 0, "NOT NULL DEFAULT 1"},
    {"FDetail", T::Integer, 0, "NOT NULL DEFAULT 1"},
    {"FDetailID", T::Integer, 0, "NOT NULL DEFAULT 0"},
    {"FItemClasses", T::Text, 0, "DEFAULT ''"},
    {"FCurrencyID", T::Integer, 0, "NOT NULL DEFAULT 1"},
};

const Column t_Currency[] = {
    {"FCurrencyID", T::AutoKey},
    {"FNumber", T::Name, 20, "NOT NULL"},
    {"FName", T::Text, 40, "NOT NULL"},
    {"FScale", T::Integer, 0, "NOT NULL DEFAULT 2"},
    {"FExchangeRate", T::Real, 0, "NOT NULL DEFAULT 1"},
};

const Column t_perioddate[] = {
    {"FYear", T::Integer, 0, "NOT NULL"},
    {"FPeriod", T::Integer, 0, "NOT NULL"},
    {"FStartDate", T::DateTime, 0, "NOT NULL"},
    {"FEndDate", T::DateTime},
};

const Column t_Voucher[] = {
    {"FVoucherID", T::AutoKey},
    {"FYear", T::Integer, 0, "NOT NULL"},
    {"FPeriod", T::Integer, 0, "NOT NULL"},
    {"FDate", T::DateTime},
    {"FGroupID", T::Integer, 0, "NOT NULL DEFAULT 0"},
    {"FNumber", T::Integer, 0, "NOT NULL DEFAULT 0"},
    {"FExplanation", T::Text},
    {"FChecked", T::Integer, 0, "NOT NULL DEFAULT 0"},
    {"FPosted", T::Integer, 0, "NOT NULL DEFAULT 0"},
};

// Ledger initial data: balances, opening cash-flow amounts, asset changes.
const Column t_balance[] = {
    {"FYear", T::Integer, 0, "NOT NULL"},
    {"FPeriod", T::Integer, 0, "NOT NULL"},
    {"FAccountID", T::Integer, 0, "NOT NULL"},
    {"FDetailID", T::Integer, 0, "NOT NULL DEFAULT 0"},
    {"FCurrencyID", T::Integer, 0, "NOT NULL DEFAULT 1"},
    {"FBeginBalance", T::Real, 0, "NOT NULL DEFAULT 0"},
    {"FDebit", T::Real, 0, "NOT NULL DEFAULT 0"},
    {"FCredit", T::Real, 0, "NOT NULL DEFAULT 0"},
    {"FEndBalance", T::Real, 0, "NOT NULL DEFAULT 0"},
};

const Column t_InitCashFlowBal[] = {
    {"FYear", T::Integer, 0, "NOT NULL DEFAULT 0"},
    {"FPeriod", T::Integer, 0, "NOT NULL DEFAULT 0"},
    {"FAccountID", T::Integer, 0, "NOT NULL DEFAULT 0"},
    {"FItemID", T::Integer, 0, "NOT NULL DEFAULT 0"},
    {"FCurrencyID", T::Integer, 0, "NOT NULL DEFAULT 1"},
    {"FAmount", T::Real, 0, "NOT NULL DEFAULT 0"},
};

const Column t_FAAlter[] = {
    {"FAlterID", T::AutoKey},
    {"FAssetID", T::Integer, 0, "NOT NULL DEFAULT 0"},
    {"FYear", T::Integer, 0, "NOT NULL"},
    {"FPeriod", T::Integer, 0, "NOT NULL"},
    {"FAccountID", T::Integer, 0, "NOT NULL DEFAULT 0"},
    {"FAlterMode", T::Integer, 0, "NOT NULL DEFAULT 0"},
    {"FDate", T::DateTime},
    {"FAmount", T::Real, 0, "NOT NULL DEFAULT 0"},
};

// Fixed-asset cards: the depreciation method (0: none chosen), the life
// in periods, the periods already depreciated and the periods the card
// still depreciates (0 while the whole system does not depreciate).
const Column t_FACard[] = {
    {"FAssetID", T::AutoKey},
    {"FNumber", T::Name, 40, "NOT NULL UNIQUE"},
    {"FName", T::Text, 80, "NOT NULL"},
    {"FDeprMethod", T::Integer, 0, "NOT NULL DEFAULT 0"},
    {"FLifePeriods", T::Integer, 0, "NOT NULL DEFAULT 0"},
    {"FUsedPeriods", T::Integer, 0, "NOT NULL DEFAULT 0"},
    {"FDeprPeriods", T::Integer, 0, "NOT NULL DEFAULT 0"},
};

// The month-end calendar of the subsystems ("Fa", "PA", "Cn"): the period
// each has reached, whether it has left its start period, whether its
// closing follows the ledger's periods and whether the ledger's closing
// waits for it. Subsystem names are compared without regard to case.
const Column t_MonthEndSubSys[] = {
    {"FSubSys", T::Name, 20, "NOT NULL PRIMARY KEY"},
    {"FYear", T::Integer, 0, "NOT NULL"},
    {"FPeriod", T::Integer, 0, "NOT NULL"},
    {"FPastStart", T::Integer, 0, "NOT NULL DEFAULT 0"},
    {"Fperiodsynch", T::Integer, 0, "NOT NULL DEFAULT 1"},
    {"FLedgerWaits", T::Integer, 0, "NOT NULL DEFAULT 0"},
};

// Cashier journal entries (FKind 1 cash, 2 bank deposit), also those
// entered in advance for periods after the cashier's current one.
const Column t_CashJournal[] = {
    {"FID", T::AutoKey},
    {"FKind", T::Integer, 0, "NOT NULL DEFAULT 1"},
    {"FYear", T::Integer, 0, "NOT NULL"},
    {"FPeriod", T::Integer, 0, "NOT NULL"},
    {"FDate", T::DateTime},
    {"FAccountID", T::Integer, 0, "NOT NULL DEFAULT 0"},
    {"FExplanation", T::Text},
    {"FDebit", T::Real, 0, "NOT NULL DEFAULT 0"},
    {"FCredit", T::Real, 0, "NOT NULL DEFAULT 0"},
};

const Column t_UserSetting[] = {
    {"FUserID", T::Integer, 0, "NOT NULL"},
    {"FCategory", T::Name, 50, "NOT NULL"},
    {"FKey", T::Name, 100, "NOT NULL"},
    {"FValue", T::Text},
};

// The account-set register: the set's name and the company it keeps books for.
const Column t_ad_zxAccount_gl[] = {
    {"FAcctID", T::AutoKey},
    {"FAcctName", T::Name, 80, "NOT NULL UNIQUE"},
    {"FCompanyName", T::Text, 255, "DEFAULT ''"},
};

// Item-master property descriptions per item class (4 material, 1 customer).
const Column t_ItemPropDesc[] = {
    {"FItemClassID", T::Integer, 0, "NOT NULL"},
    {"FSQLColumnName", T::Name, 50, "NOT NULL"},
    {"FName", T::Text, 80},
    {"FDefaultValue", T::Text},
};

const Column t_MF_FuncElement[] = {
    {"FDetailFuncID", T::Integer, 0, "NOT NULL"},
    {"FSubFuncID", T::Integer, 0, "NOT NULL"},
    {"FName", T::Text, 80},
    {"FQORCaption", T::Text, 80},
};

// Bill template fields; FCtlType 3 marks quantity fields, FNeedCount
// whether their column is summed.
const Column ICTemplateEntry[] = {
    {"FID", T::Name, 20, "NOT NULL"},
    {"FCtlIndex", T::Integer, 0, "NOT NULL"},
    {"FFieldName", T::Text, 50},
    {"FCaption", T::Text, 80},
    {"FCtlType", T::Integer, 0, "NOT NULL DEFAULT 0"},
    {"FNeedCount", T::Integer, 0, "NOT NULL DEFAULT 0"},
};

// The account set's own words for words the application shows ("物料"
// shown as "商品"), by section.
const Column t_UserDict[] = {
    {"FSection", T::Name, 50, "NOT NULL"},
    {"FWord", T::Name, 80, "NOT NULL"},
    {"FText", T::Text, 80},
};

// Write-off of current-account business: one row per amount written off
// between a debit and a credit entry of an account. While any row exists
// the write-off cannot be switched off.
const Column t_TransCheck[] = {
    {"FCheckID", T::AutoKey},
    {"FYear", T::Integer, 0, "NOT NULL DEFAULT 0"},
    {"FPeriod", T::Integer, 0, "NOT NULL DEFAULT 0"},
    {"FAccountID", T::Integer, 0, "NOT NULL DEFAULT 0"},
    {"FDebitVoucherID", T::Integer, 0, "NOT NULL DEFAULT 0"},
    {"FCreditVoucherID", T::Integer, 0, "NOT NULL DEFAULT 0"},
    {"FAmount", T::Real, 0, "NOT NULL DEFAULT 0"},
    {"FDate", T::DateTime},
};

const Column t_MGLog[] = {
    {"FID", T::AutoKey},     {"FTime", T::DateTime, 0, "NOT NULL"},
    {"FUserID", T::Integer}, {"FCode", T::Name, 20},
    {"FDesc", T::Text},      {"FMachineName", T::Text, 128},
};

const Column t_UserProfile[] = {
    {"FUserID", T::Integer, 0, "NOT NULL"},
    {"FComponent", T::Name, 100, "NOT NULL"},
    {"FForm", T::Name, 100, "NOT NULL"},
    {"FKey", T::Name, 100, "NOT NULL"},
    {"FValue", T::Text},
};

// Who holds a network function lock: for the user who is refused and for
// the network control tool. Columns added later are in kNetLockAdded.
const Column t_NetLock[] = {
    {"FFuncCode", T::Name, 40, "NOT NULL"},
    {"FYear", T::Integer, 0, "NOT NULL DEFAULT 0"},
    {"FPeriod", T::Integer, 0, "NOT NULL DEFAULT 0"},
    {"FMachineName", T::Text, 128},
    {"FUserID", T::Integer},
    {"FPid", T::Integer},
    {"FSince", T::DateTime},
};

// The host's own record of every write of a parameter, and of the cells of
// the register and item-master rows a save changes; only ever inserted.
// FTime is the server's time as text, so text order is time order. A NULL
// value is a row that did not exist (before) or was removed (after).
const Column t_SystemProfile_Audit[] = {
    {"FID", T::AutoKey},
    {"FTime", T::DateTime, 0, "NOT NULL"},
    {"FUserID", T::Integer},
    {"FUserName", T::Text, 50},
    {"FMachineName", T::Text, 128},
    {"FIpAddress", T::Text, 64},
    {"FProgram", T::Text, 255},
    {"FCategory", T::Name, 50, "NOT NULL"},
    {"FKey", T::Name, 255, "NOT NULL"},
    {"FOldValue", T::Text},
    {"FNewValue", T::Text},
    {"FSaveID", T::Integer},
};

}  // namespace columns

const Table kTables[] = {
    {"t_SchemaVersion", columns::t_SchemaVersion},
    {"t_SystemProfile", columns::t_SystemProfile, "UNIQUE (FCategory, FKey)"},
    {"t_SystemProfile_Log", columns::t_SystemProfile_Log},
    {"t_User", columns::t_User},
    {"t_UserRight", columns::t_UserRight, "PRIMARY KEY (FUserID, FSubSystem, FObject)"},
    {"t_Account", columns::t_Account},
    {"t_Currency", columns::t_Currency},
    {"t_perioddate", columns::t_perioddate, "PRIMARY KEY (FYear, FPeriod)"},
    {"t_Voucher", columns::t_Voucher},
    {"t_balance", columns::t_balance,
     "PRIMARY KEY (FYear, FPeriod, FAccountID, FDetailID, FCurrencyID)"},
    {"t_InitCashFlowBal", columns::t_InitCashFlowBal},
    {"t_FAAlter", columns::t_FAAlter},
    {"t_FACard", columns::t_FACard},
    {"t_MonthEndSubSys", columns::t_MonthEndSubSys},
    {"t_CashJournal", columns::t_CashJournal},
    {"t_UserSetting", columns::t_UserSetting, "PRIMARY KEY (FUserID, FCategory, FKey)"},
    {"t_ad_zxAccount_gl", columns::t_ad_zxAccount_gl},
    {"t_ItemPropDesc", columns::t_ItemPropDesc, "PRIMARY KEY (FItemClassID, FSQLColumnName)"},
    {"t_MF_FuncElement", columns::t_MF_FuncElement, "PRIMARY KEY (FDetailFuncID, FSubFuncID)"},
    {"ICTemplateEntry", columns::ICTemplateEntry, "PRIMARY KEY (FID, FCtlIndex)"},
    {"t_UserDict", columns::t_UserDict, "PRIMARY KEY (FSection, FWord)"},
    {"t_TransCheck", columns::t_TransCheck},
    {"t_MGLog", columns::t_MGLog},
    {"t_UserProfile", columns::t_UserProfile, "PRIMARY KEY (FUserID, FComponent, FForm, FKey)"},
    {"t_NetLock", columns::t_NetLock, "PRIMARY KEY (FFuncCode, FYear, FPeriod)"},
    {"t_SystemProfile_Audit", columns::t_SystemProfile_Audit},
};

const Index kIndexes[] = {
    {"ix_SystemProfile_Log_OptTime", "t_SystemProfile_Log", "FOptTime"},
    {"ix_SystemProfile_Audit_Time", "t_SystemProfile_Audit", "FTime"},
    {"ix_MGLog_Time", "t_MGLog", "FTime"},
    {"ix_Voucher_Period", "t_Voucher", "FYear", "FPeriod"},
    {"ix_CashJournal_Period", "t_CashJournal", "FYear", "FPeriod"},
    {"ix_Account_Parent", "t_Account", "FParentID"},
};

// CREATE TABLE IF NOT EXISTS for every table, then its indexes, in the
// backend's types.
QStringList tables(const Dialect& d) {
    QStringList out;
    for (const Table& table : kTables) {
        QStringList parts;
        for (const Column& c : table.columns) {
            parts << columnDef(d, c.name, c.type, c.size, c.extra);
        }
        if (table.constraint) parts << QString::fromLatin1(table.constraint);
        out << QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (%2)")
                   .arg(QLatin1String(table.name), parts.join(QStringLiteral(", ")));
    }
    for (const Index& index : kIndexes) {
        QStringList names{QString::fromLatin1(index.column)};
        if (index.second) names << QString::fromLatin1(index.second);
        out << d.createIndexIfNotExists(QString::fromLatin1(index.name),
                                        QString::fromLatin1(index.table), names);
    }
    out << auditKeyIndex(d);
    return out;
}

// Columns of t_NetLock since version 2: the holder's address, its server
// session (0 on a file) and the token of one grant, so that a holder only
// ever removes its own row.
const Column kNetLockAdded[] = {
    {"FIpAddress", SqlType::Text, 64},
    {"FSession", SqlType::Integer, 0},
    {"FToken", SqlType::Text, 40},
};

}  // namespace

QStringList columnNames(Database& db, const QString& table) {
    const auto rows = db.nativeQuery(
        db.onServer() ? QStringLiteral("SELECT column_name FROM information_schema.columns "
                                       "WHERE table_schema = current_schema() AND table_name = ?")
                      : QStringLiteral("SELECT name FROM pragma_table_info(?)"),
        {db.dialect().foldIdentifier(table)});
    QStringList names;
    for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext()) {
        names << rows->Field(0).toString().toLower();
    }
    return names;
}

namespace {

// Rows every account set has from its creation: the base currency and the
// item-master properties and menu entry whose defaults the parameters edit.
const char* const kFixedRows[] = {
    "INSERT INTO t_Currency (FCurrencyID, FNumber, FName, FScale) "
    "VALUES (1, 'RMB', '人民币', 2) ON CONFLICT DO NOTHING",
    "INSERT INTO t_ItemPropDesc (FItemClassID, FSQLColumnName, FName, FDefaultValue) "
    "VALUES (4, 'FTaxRate', '税率(%)', '0') ON CONFLICT DO NOTHING",
    "INSERT INTO t_ItemPropDesc (FItemClassID, FSQLColumnName, FName, FDefaultValue) "
    "VALUES (1, 'FValueAddRate', '增值税率(%)', '0') ON CONFLICT DO NOTHING",
    "INSERT INTO t_MF_FuncElement (FDetailFuncID, FSubFuncID, FName, FQORCaption) "
    "VALUES (60020111, 600201, '物料', '物料') ON CONFLICT DO NOTHING",
};

}  // namespace

QString auditKeyIndex(const Dialect& d) {
    // On SQLite the index holds what the history shows: one parameter's rows
    // are read from it in one stretch instead of a page of the table each. A
    // server's index entry has a size limit a long value could pass, so
    // there it only finds the rows.
    QStringList columns{QStringLiteral("FCategory"), QStringLiteral("FKey"), QStringLiteral("FID")};
    if (d.driverName() == QLatin1String("QSQLITE")) {
        columns << QStringLiteral("FTime") << QStringLiteral("FUserName")
                << QStringLiteral("FMachineName") << QStringLiteral("FIpAddress")
                << QStringLiteral("FOldValue") << QStringLiteral("FNewValue");
    }
    return d.createIndexIfNotExists(QStringLiteral("ix_SystemProfile_Audit_Key"),
                                    QStringLiteral("t_SystemProfile_Audit"), columns);
}

void createSchema(Database& db) {
    db.transaction([&] {
        for (const QString& sql : db.dialect().schemaPreamble()) db.nativeExec(sql);
        for (const QString& sql : tables(db.dialect())) db.nativeExec(sql);
        for (const QString& sql : db.dialect().schemaEpilogue()) db.nativeExec(sql);
        for (const char* sql : kFixedRows) db.nativeExec(QString::fromUtf8(sql));
        // Migrations from older versions go here, each ending by raising the version.
        const QStringList netLock = columnNames(db, QStringLiteral("t_NetLock"));
        for (const Column& c : kNetLockAdded) {
            if (netLock.contains(QString::fromLatin1(c.name).toLower())) continue;
            db.nativeExec(QStringLiteral("ALTER TABLE t_NetLock ADD COLUMN ") +
                          columnDef(db.dialect(), c.name, c.type, c.size));
        }
        db.nativeExec(QStringLiteral("INSERT INTO t_SchemaVersion (FComponent, FVersion) "
                                     "VALUES (?, ?) ON CONFLICT DO NOTHING"),
                      {kComponent, kSchemaVersion});
        db.nativeExec(QStringLiteral("UPDATE t_SchemaVersion SET FVersion = ? "
                                     "WHERE FComponent = ? AND FVersion < ?"),
                      {kSchemaVersion, kComponent, kSchemaVersion});
    });
}

void addAuditSaveColumn(Database& db) {
    if (db.hasColumn(QStringLiteral("t_SystemProfile_Audit"), QStringLiteral("FSaveID"))) return;
    // Another workstation may add it meanwhile: the server's IF NOT EXISTS;
    // on a file the write transaction that calls this keeps others out.
    db.nativeExec(QStringLiteral("ALTER TABLE t_SystemProfile_Audit ADD COLUMN %1FSaveID %2")
                      .arg(db.onServer() ? QStringLiteral("IF NOT EXISTS ") : QString(),
                           db.dialect().columnType(SqlType::Integer, 0)));
}

int schemaVersion(Database& db) {
    if (!tableNames(db).contains(db.dialect().foldIdentifier(QStringLiteral("t_SchemaVersion")),
                                 Qt::CaseInsensitive)) {
        return 0;
    }
    const auto rows = db.nativeQuery(
        QStringLiteral("SELECT FVersion FROM t_SchemaVersion WHERE FComponent = ?"), {kComponent});
    if (!rows || rows->RecordCount() == 0) return 0;
    rows->MoveFirst();
    return rows->Field(0).toInt();
}

QStringList tableNames(Database& db) {
    const auto rows = db.nativeQuery(
        db.onServer() ? QStringLiteral("SELECT table_name FROM information_schema.tables "
                                       "WHERE table_schema = current_schema() ORDER BY 1")
                      : QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' "
                                       "AND name NOT LIKE 'sqlite%' ORDER BY 1"));
    QStringList names;
    for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext()) names << rows->Field(0).toString();
    return names;
}

void registerStandardProcedures(Database& db) {
    // P_ICReplaceCaption newText, language, mode, oldText: renames a word in
    // the captions of the bill templates. Only mode 'R' (replace) exists;
    // the account set keeps one language.
    db.registerProcedure(
        QStringLiteral("P_ICReplaceCaption"), [](Database& self, const QStringList& args) {
            const QString source = QStringLiteral("P_ICReplaceCaption");
            if (args.size() != 4) {
                throw zx::host::HostError(
                    zx::host::kGenericError, source,
                    QStringLiteral("存储过程 P_ICReplaceCaption 需要 4 个参数, 收到 %1 个")
                        .arg(args.size()));
            }
            const QString& newText = args.at(0);
            const QString& mode = args.at(2);
            const QString& oldText = args.at(3);
            if (mode.compare(QLatin1String("R"), Qt::CaseInsensitive) != 0) {
                throw zx::host::HostError(zx::host::kGenericError, source,
                                          QStringLiteral("不支持的替换方式: %1").arg(mode));
            }
            if (oldText.isEmpty()) {
                throw zx::host::HostError(zx::host::kGenericError, source,
                                          QStringLiteral("要替换的文字不能为空"));
            }
            self.nativeExec(
                QStringLiteral("UPDATE ICTemplateEntry SET FCaption = replace(FCaption, ?, ?) "
                               "WHERE FCaption <> replace(FCaption, ?, ?)"),
                {oldText, newText, oldText, newText});
        });
}

}  // namespace refhost
