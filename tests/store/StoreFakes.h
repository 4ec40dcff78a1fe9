#pragma once

// Scripted parameter and data services shared by the store tests.

#include <QDateTime>
#include <QHash>
#include <QStringList>
#include <functional>

#include "ScriptedHost.h"
#include "zx/host/MemoryRecordSet.h"
#include "zx/host/Services.h"

namespace zxtest {

// A parameter reader over a plain table; absent keys give the default.
class TableProfile : public zx::host::SystemProfile {
public:
    QHash<QString, QString> values;  // "Category/Key" -> stored text
    void set(const QString& category, const QString& key, const QString& value) {
        values.insert(category + QLatin1Char('/') + key, value);
    }

    QString GetSystemProfile(const QString& category, const QString& key,
                             const QString& defaultValue) override {
        return values.value(category + QLatin1Char('/') + key, defaultValue);
    }
    QString Item(const QString& category, const QString& key) override {
        return GetSystemProfile(category, key, QString());
    }
    void Refresh() override {}
    qint32 SpecItem(const QString&, const QString&) override { return -1; }
    QString CompanyName() override { return {}; }
    QString CompanyAddress() override { return {}; }
    QString CompanyPhone() override { return {}; }
    bool GLGetCheckBeforePost() override { return false; }
    qint32 glgetperiodcount() override { return 12; }
    bool GLGetPeriodByMonth() override { return true; }
    qint32 GLGetCurrentYear() override { return 0; }
    qint32 GLGetCurrentPeriod() override { return 0; }
    QString GlGetEarnAccount() override { return {}; }
    QString GLGetEarnAssignAccount() override { return {}; }
};

// Records every Setprofile.
class RecordingWriter : public zx::host::ProfileWriter {
public:
    struct Call {
        QString props, category, key;
        QVariant value;
    };
    QList<Call> calls;
    void Setprofile(const QString& props, const QString& category, const QString& key,
                    const QVariant& value, std::optional<bool>) override {
        calls.append({props, category, key, value});
    }
};

// Answers the server-time query with a fixed moment.
class ClockClassInfo : public zx::host::ClassInfo {
public:
    QDateTime now{QDate(2024, 3, 5), QTime(14, 7, 9)};
    QStringList queries;
    zx::host::RecordSetPtr GetData(const QString&, const QString& sql) override {
        queries << sql;
        return std::make_shared<zx::host::MemoryRecordSet>(QStringList{QStringLiteral("NowTime")},
                                                           QList<QVariantList>{{now}});
    }
};

class RecordingClassUpdate : public zx::host::ClassUpdate {
public:
    struct Call {
        QString props, sql;
    };
    QList<Call> calls;
    bool fail = false;
    void SaveItem(const QString& props, const QString& sql) override {
        calls.append({props, sql});
        if (fail) {
            throw zx::host::HostError(-2147217900, QStringLiteral("ClassUpdate"),
                                      QStringLiteral("插入失败"));
        }
    }
};

class PlainStringBuilder : public zx::host::StringBuilder {
public:
    void Append(const QString& text) override { text_ += text; }
    QString ToString() const override { return text_; }
    int Length() const override { return int(text_.size()); }
    void Clear() override { text_.clear(); }

private:
    QString text_;
};

}  // namespace zxtest
