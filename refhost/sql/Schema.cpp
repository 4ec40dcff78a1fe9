#include "Schema.h"

#include <QStringList>

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

// CREATE TABLE IF NOT EXISTS, column by column in the backend's types.
class Table {
public:
    Table(const Dialect& dialect, QString name) : d_(dialect), name_(std::move(name)) {}

    Table& column(const char* name, SqlType type, int size = 0, const char* extra = "") {
        parts_.append(columnDef(d_, name, type, size, extra));
        return *this;
    }
    Table& constraint(const char* text) {
        parts_.append(QString::fromLatin1(text));
        return *this;
    }
    QString sql() const {
        return QStringLiteral("CREATE TABLE IF NOT EXISTS ") + name_ + QStringLiteral(" (") +
               parts_.join(QStringLiteral(", ")) + QLatin1Char(')');
    }

private:
    const Dialect& d_;
    QString name_;
    QStringList parts_;
};

QStringList tables(const Dialect& d) {
    using T = SqlType;
    QStringList out;
    auto add = [&](const Table& t) { out.append(t.sql()); };

    add(Table(d, QStringLiteral("t_SchemaVersion"))
            .column("FComponent", T::Name, 50, "NOT NULL PRIMARY KEY")
            .column("FVersion", T::Integer, 0, "NOT NULL"));

    // Parameters: one row per (category, key); keys are matched without
    // regard to case, as the component writes them in varying spellings.
    add(Table(d, QStringLiteral("t_SystemProfile"))
            .column("FCategory", T::Name, 30, "NOT NULL")
            .column("FKey", T::Name, 100, "NOT NULL")
            .column("FValue", T::Text, 0, "DEFAULT ''")
            .column("FReadonly", T::Integer, 0, "NOT NULL DEFAULT 0")
            .column("FLevel", T::Integer)
            .column("FDescription", T::Text)
            .constraint("UNIQUE (FCategory, FKey)"));

    // Change log of watched parameters; only ever inserted. FOptTime is the
    // text "yyyy-MM-dd HH:mm:ss", so text order is time order.
    add(Table(d, QStringLiteral("t_SystemProfile_Log"))
            .column("FID", T::AutoKey)
            .column("FOptTime", T::Text, 23, "NOT NULL")
            .column("FUserID", T::Integer)
            .column("FCategory", T::Name, 30)
            .column("FKey", T::Name, 100)
            .column("FDesc", T::Text)
            .column("FOrigValue", T::Text)
            .column("FNewValue", T::Text)
            .column("FMachineName", T::Text, 128)
            .column("FIpAddress", T::Text, 64));

    add(Table(d, QStringLiteral("t_User"))
            .column("FUserID", T::AutoKey)
            .column("FName", T::Name, 50, "NOT NULL UNIQUE")
            .column("FAdministrator", T::Integer, 0, "NOT NULL DEFAULT 0")
            .column("FPassword", T::Text, 128)
            .column("FForbidden", T::Integer, 0, "NOT NULL DEFAULT 0")
            .column("FDescription", T::Text));

    // Rights held by a user on an object of a subsystem, as a bit mask
    // (1048576 view, 2097152 modify for the system parameters, subsystem 18).
    add(Table(d, QStringLiteral("t_UserRight"))
            .column("FUserID", T::Integer, 0, "NOT NULL")
            .column("FSubSystem", T::Integer, 0, "NOT NULL")
            .column("FObject", T::Integer, 0, "NOT NULL DEFAULT 0")
            .column("FRightMask", T::Integer, 0, "NOT NULL DEFAULT 0")
            .constraint("PRIMARY KEY (FUserID, FSubSystem, FObject)"));

    // Chart of accounts. Numbers run by level, "1001", "1002.01"; FGroupID is
    // the account class (owner's equity / net assets: 300 to 399); FDetailID
    // is above 0 when the account carries item classes (FItemClasses lists
    // their ids, separated by ",").
    add(Table(d, QStringLiteral("t_Account"))
            .column("FAccountID", T::AutoKey)
            .column("FNumber", T::Name, 40, "NOT NULL UNIQUE")
            .column("FName", T::Text, 80, "NOT NULL")
            .column("FFullName", T::Text, 255)
            .column("FLevel", T::Integer, 0, "NOT NULL DEFAULT 1")
            .column("FParentID", T::Integer, 0, "NOT NULL DEFAULT 0")
            .column("FGroupID", T::Integer, 0, "NOT NULL DEFAULT 0")
            .column("FDC", T::Integer, 0, "NOT NULL DEFAULT 1")
            .column("FDetail", T::Integer, 0, "NOT NULL DEFAULT 1")
            .column("FDetailID", T::Integer, 0, "NOT NULL DEFAULT 0")
            .column("FItemClasses", T::Text, 0, "DEFAULT ''")
            .column("FCurrencyID", T::Integer, 0, "NOT NULL DEFAULT 1"));

    add(Table(d, QStringLiteral("t_Currency"))
            .column("FCurrencyID", T::AutoKey)
            .column("FNumber", T::Name, 20, "NOT NULL")
            .column("FName", T::Text, 40, "NOT NULL")
            .column("FScale", T::Integer, 0, "NOT NULL DEFAULT 2")
            .column("FExchangeRate", T::Real, 0, "NOT NULL DEFAULT 1"));

    add(Table(d, QStringLiteral("t_perioddate"))
            .column("FYear", T::Integer, 0, "NOT NULL")
            .column("FPeriod", T::Integer, 0, "NOT NULL")
            .column("FStartDate", T::DateTime, 0, "NOT NULL")
            .column("FEndDate", T::DateTime)
            .constraint("PRIMARY KEY (FYear, FPeriod)"));

    add(Table(d, QStringLiteral("t_Voucher"))
            .column("FVoucherID", T::AutoKey)
            .column("FYear", T::Integer, 0, "NOT NULL")
            .column("FPeriod", T::Integer, 0, "NOT NULL")
            .column("FDate", T::DateTime)
            .column("FGroupID", T::Integer, 0, "NOT NULL DEFAULT 0")
            .column("FNumber", T::Integer, 0, "NOT NULL DEFAULT 0")
            .column("FExplanation", T::Text)
            .column("FChecked", T::Integer, 0, "NOT NULL DEFAULT 0")
            .column("FPosted", T::Integer, 0, "NOT NULL DEFAULT 0"));

    // Ledger initial data: balances, opening cash-flow amounts, asset changes.
    add(Table(d, QStringLiteral("t_balance"))
            .column("FYear", T::Integer, 0, "NOT NULL")
            .column("FPeriod", T::Integer, 0, "NOT NULL")
            .column("FAccountID", T::Integer, 0, "NOT NULL")
            .column("FDetailID", T::Integer, 0, "NOT NULL DEFAULT 0")
            .column("FCurrencyID", T::Integer, 0, "NOT NULL DEFAULT 1")
            .column("FBeginBalance", T::Real, 0, "NOT NULL DEFAULT 0")
            .column("FDebit", T::Real, 0, "NOT NULL DEFAULT 0")
            .column("FCredit", T::Real, 0, "NOT NULL DEFAULT 0")
            .column("FEndBalance", T::Real, 0, "NOT NULL DEFAULT 0")
            .constraint("PRIMARY KEY (FYear, FPeriod, FAccountID, FDetailID, FCurrencyID)"));

    add(Table(d, QStringLiteral("t_InitCashFlowBal"))
            .column("FYear", T::Integer, 0, "NOT NULL DEFAULT 0")
            .column("FPeriod", T::Integer, 0, "NOT NULL DEFAULT 0")
            .column("FAccountID", T::Integer, 0, "NOT NULL DEFAULT 0")
            .column("FItemID", T::Integer, 0, "NOT NULL DEFAULT 0")
            .column("FCurrencyID", T::Integer, 0, "NOT NULL DEFAULT 1")
            .column("FAmount", T::Real, 0, "NOT NULL DEFAULT 0"));

    add(Table(d, QStringLiteral("t_FAAlter"))
            .column("FAlterID", T::AutoKey)
            .column("FAssetID", T::Integer, 0, "NOT NULL DEFAULT 0")
            .column("FYear", T::Integer, 0, "NOT NULL")
            .column("FPeriod", T::Integer, 0, "NOT NULL")
            .column("FAccountID", T::Integer, 0, "NOT NULL DEFAULT 0")
            .column("FAlterMode", T::Integer, 0, "NOT NULL DEFAULT 0")
            .column("FDate", T::DateTime)
            .column("FAmount", T::Real, 0, "NOT NULL DEFAULT 0"));

    // Fixed-asset cards: the depreciation method (0: none chosen), the life
    // in periods, the periods already depreciated and the periods the card
    // still depreciates (0 while the whole system does not depreciate).
    add(Table(d, QStringLiteral("t_FACard"))
            .column("FAssetID", T::AutoKey)
            .column("FNumber", T::Name, 40, "NOT NULL UNIQUE")
            .column("FName", T::Text, 80, "NOT NULL")
            .column("FDeprMethod", T::Integer, 0, "NOT NULL DEFAULT 0")
            .column("FLifePeriods", T::Integer, 0, "NOT NULL DEFAULT 0")
            .column("FUsedPeriods", T::Integer, 0, "NOT NULL DEFAULT 0")
            .column("FDeprPeriods", T::Integer, 0, "NOT NULL DEFAULT 0"));

    // The month-end calendar of the subsystems ("Fa", "PA", "Cn"): the period
    // each has reached, whether it has left its start period, whether its
    // closing follows the ledger's periods and whether the ledger's closing
    // waits for it. Subsystem names are compared without regard to case.
    add(Table(d, QStringLiteral("t_MonthEndSubSys"))
            .column("FSubSys", T::Name, 20, "NOT NULL PRIMARY KEY")
            .column("FYear", T::Integer, 0, "NOT NULL")
            .column("FPeriod", T::Integer, 0, "NOT NULL")
            .column("FPastStart", T::Integer, 0, "NOT NULL DEFAULT 0")
            .column("Fperiodsynch", T::Integer, 0, "NOT NULL DEFAULT 1")
            .column("FLedgerWaits", T::Integer, 0, "NOT NULL DEFAULT 0"));

    // Cashier journal entries (FKind 1 cash, 2 bank deposit), also those
    // entered in advance for periods after the cashier's current one.
    add(Table(d, QStringLiteral("t_CashJournal"))
            .column("FID", T::AutoKey)
            .column("FKind", T::Integer, 0, "NOT NULL DEFAULT 1")
            .column("FYear", T::Integer, 0, "NOT NULL")
            .column("FPeriod", T::Integer, 0, "NOT NULL")
            .column("FDate", T::DateTime)
            .column("FAccountID", T::Integer, 0, "NOT NULL DEFAULT 0")
            .column("FExplanation", T::Text)
            .column("FDebit", T::Real, 0, "NOT NULL DEFAULT 0")
            .column("FCredit", T::Real, 0, "NOT NULL DEFAULT 0"));

    add(Table(d, QStringLiteral("t_UserSetting"))
            .column("FUserID", T::Integer, 0, "NOT NULL")
            .column("FCategory", T::Name, 50, "NOT NULL")
            .column("FKey", T::Name, 100, "NOT NULL")
            .column("FValue", T::Text)
            .constraint("PRIMARY KEY (FUserID, FCategory, FKey)"));

    // The account-set register: the set's name and the company it keeps books for.
    add(Table(d, QStringLiteral("t_ad_zxAccount_gl"))
            .column("FAcctID", T::AutoKey)
            .column("FAcctName", T::Name, 80, "NOT NULL UNIQUE")
            .column("FCompanyName", T::Text, 255, "DEFAULT ''"));

    // Item-master property descriptions per item class (4 material, 1 customer).
    add(Table(d, QStringLiteral("t_ItemPropDesc"))
            .column("FItemClassID", T::Integer, 0, "NOT NULL")
            .column("FSQLColumnName", T::Name, 50, "NOT NULL")
            .column("FName", T::Text, 80)
            .column("FDefaultValue", T::Text)
            .constraint("PRIMARY KEY (FItemClassID, FSQLColumnName)"));

    add(Table(d, QStringLiteral("t_MF_FuncElement"))
            .column("FDetailFuncID", T::Integer, 0, "NOT NULL")
            .column("FSubFuncID", T::Integer, 0, "NOT NULL")
            .column("FName", T::Text, 80)
            .column("FQORCaption", T::Text, 80)
            .constraint("PRIMARY KEY (FDetailFuncID, FSubFuncID)"));

    // Bill template fields; FCtlType 3 marks quantity fields, FNeedCount
    // whether their column is summed.
    add(Table(d, QStringLiteral("ICTemplateEntry"))
            .column("FID", T::Name, 20, "NOT NULL")
            .column("FCtlIndex", T::Integer, 0, "NOT NULL")
            .column("FFieldName", T::Text, 50)
            .column("FCaption", T::Text, 80)
            .column("FCtlType", T::Integer, 0, "NOT NULL DEFAULT 0")
            .column("FNeedCount", T::Integer, 0, "NOT NULL DEFAULT 0")
            .constraint("PRIMARY KEY (FID, FCtlIndex)"));

    // The account set's own words for words the application shows ("物料"
    // shown as "商品"), by section.
    add(Table(d, QStringLiteral("t_UserDict"))
            .column("FSection", T::Name, 50, "NOT NULL")
            .column("FWord", T::Name, 80, "NOT NULL")
            .column("FText", T::Text, 80)
            .constraint("PRIMARY KEY (FSection, FWord)"));

    // Write-off of current-account business: one row per amount written off
    // between a debit and a credit entry of an account. While any row exists
    // the write-off cannot be switched off.
    add(Table(d, QStringLiteral("t_TransCheck"))
            .column("FCheckID", T::AutoKey)
            .column("FYear", T::Integer, 0, "NOT NULL DEFAULT 0")
            .column("FPeriod", T::Integer, 0, "NOT NULL DEFAULT 0")
            .column("FAccountID", T::Integer, 0, "NOT NULL DEFAULT 0")
            .column("FDebitVoucherID", T::Integer, 0, "NOT NULL DEFAULT 0")
            .column("FCreditVoucherID", T::Integer, 0, "NOT NULL DEFAULT 0")
            .column("FAmount", T::Real, 0, "NOT NULL DEFAULT 0")
            .column("FDate", T::DateTime));

    add(Table(d, QStringLiteral("t_MGLog"))
            .column("FID", T::AutoKey)
            .column("FTime", T::DateTime, 0, "NOT NULL")
            .column("FUserID", T::Integer)
            .column("FCode", T::Name, 20)
            .column("FDesc", T::Text)
            .column("FMachineName", T::Text, 128));

    add(Table(d, QStringLiteral("t_UserProfile"))
            .column("FUserID", T::Integer, 0, "NOT NULL")
            .column("FComponent", T::Name, 100, "NOT NULL")
            .column("FForm", T::Name, 100, "NOT NULL")
            .column("FKey", T::Name, 100, "NOT NULL")
            .column("FValue", T::Text)
            .constraint("PRIMARY KEY (FUserID, FComponent, FForm, FKey)"));

    // Who holds a network function lock: for the user who is refused and for
    // the network control tool. Columns added later are in kNetLockAdded.
    add(Table(d, QStringLiteral("t_NetLock"))
            .column("FFuncCode", T::Name, 40, "NOT NULL")
            .column("FYear", T::Integer, 0, "NOT NULL DEFAULT 0")
            .column("FPeriod", T::Integer, 0, "NOT NULL DEFAULT 0")
            .column("FMachineName", T::Text, 128)
            .column("FUserID", T::Integer)
            .column("FPid", T::Integer)
            .column("FSince", T::DateTime)
            .constraint("PRIMARY KEY (FFuncCode, FYear, FPeriod)"));

    // The host's own record of every write of a parameter, and of the cells of
    // the register and item-master rows a save changes; only ever inserted.
    // FTime is the server's time as text, so text order is time order. A NULL
    // value is a row that did not exist (before) or was removed (after).
    add(Table(d, QStringLiteral("t_SystemProfile_Audit"))
            .column("FID", T::AutoKey)
            .column("FTime", T::DateTime, 0, "NOT NULL")
            .column("FUserID", T::Integer)
            .column("FUserName", T::Text, 50)
            .column("FMachineName", T::Text, 128)
            .column("FIpAddress", T::Text, 64)
            .column("FProgram", T::Text, 255)
            .column("FCategory", T::Name, 50, "NOT NULL")
            .column("FKey", T::Name, 255, "NOT NULL")
            .column("FOldValue", T::Text)
            .column("FNewValue", T::Text));

    out.append(d.createIndexIfNotExists(QStringLiteral("ix_SystemProfile_Log_OptTime"),
                                        QStringLiteral("t_SystemProfile_Log"),
                                        {QStringLiteral("FOptTime")}));
    out.append(d.createIndexIfNotExists(QStringLiteral("ix_SystemProfile_Audit_Time"),
                                        QStringLiteral("t_SystemProfile_Audit"),
                                        {QStringLiteral("FTime")}));
    out.append(d.createIndexIfNotExists(QStringLiteral("ix_MGLog_Time"), QStringLiteral("t_MGLog"),
                                        {QStringLiteral("FTime")}));
    out.append(d.createIndexIfNotExists(QStringLiteral("ix_Voucher_Period"),
                                        QStringLiteral("t_Voucher"),
                                        {QStringLiteral("FYear"), QStringLiteral("FPeriod")}));
    out.append(d.createIndexIfNotExists(QStringLiteral("ix_CashJournal_Period"),
                                        QStringLiteral("t_CashJournal"),
                                        {QStringLiteral("FYear"), QStringLiteral("FPeriod")}));
    out.append(d.createIndexIfNotExists(QStringLiteral("ix_Account_Parent"),
                                        QStringLiteral("t_Account"),
                                        {QStringLiteral("FParentID")}));
    return out;
}

// Columns of t_NetLock since version 2: the holder's address, its server
// session (0 on a file) and the token of one grant, so that a holder only
// ever removes its own row.
struct AddedColumn {
    const char* name;
    SqlType type;
    int size;
};
const AddedColumn kNetLockAdded[] = {
    {"FIpAddress", SqlType::Text, 64},
    {"FSession", SqlType::Integer, 0},
    {"FToken", SqlType::Text, 40},
};

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

void createSchema(Database& db) {
    db.transaction([&] {
        for (const QString& sql : db.dialect().schemaPreamble()) db.nativeExec(sql);
        for (const QString& sql : tables(db.dialect())) db.nativeExec(sql);
        for (const QString& sql : db.dialect().schemaEpilogue()) db.nativeExec(sql);
        for (const char* sql : kFixedRows) db.nativeExec(QString::fromUtf8(sql));
        // Migrations from older versions go here, each ending by raising the version.
        const QStringList netLock = columnNames(db, QStringLiteral("t_NetLock"));
        for (const AddedColumn& c : kNetLockAdded) {
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
