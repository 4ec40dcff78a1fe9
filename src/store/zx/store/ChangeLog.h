#pragma once

// The log of changes to watched parameters: a page registers each watched
// parameter with its loaded value, the save reports the value it stores, and
// WriteLog inserts one row per difference into t_SystemProfile_Log.

#include <QList>
#include <QString>

namespace zx::store {

class ChangeLog {
public:
    struct Item {
        QString category;
        QString key;
        QString desc;
        bool isSwitch = false;
        QString origValue;  // value text at registration or after the last WriteLog
        QString newValue;   // value text reported by the latest save
    };

    // Appends a watched parameter; `reset` empties the list first.
    void AddLogItem(const QString& category, const QString& key, const QString& desc,
                    const QString& value, bool isSwitch, bool reset);
    // Sets the new value of the first record of (category, key), compared
    // without regard to case; false when none is watched.
    bool UpdateLogItem(const QString& category, const QString& key, const QString& newValue);
    // Inserts a row for every record whose value changed, in one batch, then
    // takes the new values as the baseline. Never raises and shows nothing.
    void WriteLog();

    // The workstation's name in upper case; empty when the system cannot tell.
    static QString GetMachineName();
    // The workstation's network address; empty when the host cannot tell.
    static QString GetIpAddress();
    // How a value reads in the log: a switch is "启用" for "1" and "不启用"
    // for anything else; other values as given.
    static QString ValueText(const QString& value, bool isSwitch);

    const QList<Item>& items() const { return items_; }
    // Empties the list (the dialog does so when it loads).
    void clear() { items_.clear(); }

private:
    void writeRows();
    QList<Item> items_;
};

}  // namespace zx::store
