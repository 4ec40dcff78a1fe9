#include "zx/store/ChangeLog.h"

#include <QStringList>

#include "zx/host/Environment.h"
#include "zx/session/Session.h"
#include "zx/store/Store.h"

namespace zx::store {

namespace {

// The sizes of the buffers the system reads these texts into.
constexpr int kMachineNameBuffer = 128;
constexpr int kIpAddressBuffer = 64;

QString beforeNul(const QString& text) {
    const qsizetype nul = text.indexOf(QChar(0));
    return nul < 0 ? text : text.left(nul);
}

QString logValue(const QString& value) {
    return SqlValue(value, true, false, true);
}

}  // namespace

QString ChangeLog::ValueText(const QString& value, bool isSwitch) {
    if (!isSwitch) return value;
    return value == QStringLiteral("1") ? QStringLiteral("启用") : QStringLiteral("不启用");
}

void ChangeLog::AddLogItem(const QString& category, const QString& key, const QString& desc,
                           const QString& value, bool isSwitch, bool reset) {
    if (reset) items_.clear();
    const QString text = ValueText(value, isSwitch);
    items_.append({category, key, desc, isSwitch, text, text});
}

bool ChangeLog::UpdateLogItem(const QString& category, const QString& key,
                              const QString& newValue) {
    for (Item& item : items_) {
        if (item.category.compare(category, Qt::CaseInsensitive) == 0 &&
            item.key.compare(key, Qt::CaseInsensitive) == 0) {
            item.newValue = ValueText(newValue, item.isSwitch);
            return true;
        }
    }
    return false;
}

void ChangeLog::WriteLog() {
    // The log must never stop a save that has already been stored. Records
    // are re-based only once their rows were handed over (a failed insert
    // included): an error before that leaves them to the next save.
    ignoringErrors("change log", [this] {
        writeRows();
        for (Item& item : items_) item.origValue = item.newValue;
    });
}

void ChangeLog::writeRows() {
    {
        bool changed = false;
        for (const Item& item : items_) changed = changed || item.newValue != item.origValue;
        // A save that changed nothing watched costs no round trip at all.
        if (changed) {
            const QString time = GetServerTime(QStringLiteral("YYYY-MM-DD HH:MM:SS"));
            const QString machine = GetMachineName();
            const QString address = GetIpAddress();
            const QString userId = QString::number(GetUserID());

            auto builder = host::createObject<host::StringBuilder>();
            for (const Item& item : items_) {
                if (item.newValue == item.origValue) continue;
                const QStringList values = {logValue(time),          userId,
                                            logValue(item.category), logValue(item.key),
                                            logValue(item.desc),     logValue(item.origValue),
                                            logValue(item.newValue), logValue(machine),
                                            logValue(address)};
                builder->Append(
                    QStringLiteral("Insert Into t_SystemProfile_Log(FOptTime,FUserID,FCategory,"
                                   "FKey,FDesc,FOrigValue,FNewValue,FMachineName,FIpAddress) "
                                   "Values (") +
                    values.join(QLatin1Char(',')) + QStringLiteral(")\r\n"));
            }
            if (builder->Length() > 0) {
                // A failed insert is not shown, and the records are re-based all
                // the same, so the change is not logged twice.
                // Inside a save it is a part of its own: a failed insert
                // undoes only itself.
                WriteUnit::part(
                    [&builder] { ExecuteSQL(builder->ToString(), GetPropsString(), false); });
                builder->Clear();
            }
        }
    }
}

QString ChangeLog::GetMachineName() {
    QString out;
    ignoringErrors("machine name", [&out] {
        const std::optional<QString> name = host::env().computerName();
        if (name && name->size() < kMachineNameBuffer) out = beforeNul(*name).toUpper();
    });
    return out;
}

QString ChangeLog::GetIpAddress() {
    QString out;
    ignoringErrors("address", [&out] {
        QString address;
        if (host::env().ReadTcp(QString(), address) == 1) {
            out = beforeNul(address).left(kIpAddressBuffer);
        }
    });
    return out;
}

}  // namespace zx::store
