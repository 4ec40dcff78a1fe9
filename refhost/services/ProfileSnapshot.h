#pragma once

#include <QHash>
#include <QString>
#include <optional>

namespace refhost {

class Database;

// The leading number of a text: blanks skipped, then the longest prefix that
// reads as a decimal number; 0 for an empty or non-numeric text.
double leadingNumber(const QString& text);

// The whole parameter table held in memory. One query fills it; every read
// after that is answered from memory until the snapshot is dropped. Category
// and key are compared without regard to case.
class ProfileSnapshot {
public:
    bool loaded() const { return loaded_; }
    // Reads every row of t_SystemProfile in one round trip.
    void load(Database& db);
    void drop();

    // The stored text (a NULL value reads as empty), nullopt when absent.
    std::optional<QString> find(const QString& category, const QString& key) const;
    int size() const { return int(values_.size()); }

private:
    QHash<QString, QString> values_;
    bool loaded_ = false;
};

// Installation overrides of single parameters ("special items"), read from
// <installDir>/Common/SpecItems.ini: one section per category, one line
// "Key=number" per override, names compared without regard to case. A number
// of 0 or more overrides the stored parameter; a missing file, section or key,
// or a value that is not a whole number, means no override (-1).
class SpecItems {
public:
    static QString filePath(const QString& installDir);
    void load(const QString& installDir);
    qint32 value(const QString& category, const QString& key) const;

private:
    QHash<QString, qint32> values_;
};

// The key under which a (category, key) pair is held in memory.
QString profileKey(const QString& category, const QString& key);

}  // namespace refhost
