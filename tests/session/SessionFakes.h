#pragma once

// Scripted data, configuration and help services for the session tests. Each
// records what it is asked in the host's call list.

#include <QHash>
#include <functional>

#include "ScriptedHost.h"
#include "zx/host/MemoryRecordSet.h"
#include "zx/host/Services.h"

namespace zxtest {

inline zx::host::RecordSetPtr rows(const QStringList& columns, const QList<QVariantList>& data) {
    return std::make_shared<zx::host::MemoryRecordSet>(columns, data);
}

inline zx::host::HostError dbError() {
    return zx::host::HostError(-2147217900, QStringLiteral("Database"),
                               QStringLiteral("对象名 't_x' 无效。"));
}

// Answers every query from `answer`; a null answer function gives no record set.
class FakeClassInfo : public zx::host::ClassInfo {
public:
    explicit FakeClassInfo(ScriptedHost& host) : host_(host) {}
    std::function<zx::host::RecordSetPtr(const QString&)> answer;
    zx::host::RecordSetPtr GetData(const QString& props, const QString& sql) override {
        host_.record(QStringLiteral("GetData:%1|%2").arg(props, sql));
        return answer ? answer(sql) : nullptr;
    }

private:
    ScriptedHost& host_;
};

class FakeClassUpdate : public zx::host::ClassUpdate {
public:
    explicit FakeClassUpdate(ScriptedHost& host) : host_(host) {}
    bool fail = false;
    void SaveItem(const QString& props, const QString& sql) override {
        host_.record(QStringLiteral("SaveItem:%1|%2").arg(props, sql));
        if (fail) throw dbError();
    }

private:
    ScriptedHost& host_;
};

class FakeAppConnection : public zx::host::AppConnection {
public:
    explicit FakeAppConnection(ScriptedHost& host) : host_(host) {}
    bool fail = false;
    std::function<zx::host::RecordSetPtr(const QString&)> answer;
    zx::host::RecordSetPtr Execute(const QString& sql) override {
        host_.record(QStringLiteral("Execute:") + sql);
        if (fail) throw dbError();
        return answer ? answer(sql) : nullptr;
    }

private:
    ScriptedHost& host_;
};

class FakeLangInfo : public zx::host::LangInfo {
public:
    QString CurrentLanguage() override { return QStringLiteral("chs"); }
};

class FakeRegistry : public zx::host::RegistryReader {
public:
    explicit FakeRegistry(ScriptedHost& host) : host_(host) {}
    QString path;
    QString GetKeyValue(const QString& key, const QString& valueName,
                        const QString& flag) override {
        host_.record(QStringLiteral("GetKeyValue:%1|%2|%3").arg(key, valueName, flag));
        return path;
    }

private:
    ScriptedHost& host_;
};

// Per-user values kept by (component, form).
class FakeUserProfile : public zx::host::UserProfile {
public:
    QHash<QString, QVariantMap> stored;
    void Load(const QString& component, const QString& form) override {
        current_ = component + QLatin1Char('/') + form;
        dictionary_ = stored.value(current_);
    }
    QVariant GetValue(const QString& key, const QVariant& defaultValue) override {
        return dictionary_.value(key, defaultValue);
    }
    void SetValue(const QString& key, const QVariant& value) override {
        dictionary_.insert(key, value);
    }
    void Save(const QString& component, const QString& form) override {
        stored.insert(component + QLatin1Char('/') + form, dictionary_);
    }

private:
    QString current_;
    QVariantMap dictionary_;
};

class FakeHelp : public zx::host::CHMHelp {
public:
    explicit FakeHelp(ScriptedHost& host) : host_(host) {}
    void SETVBProjectID(const QString& topic, qint32 windowHandle) override {
        host_.record(QStringLiteral("SETVBProjectID:%1|%2").arg(topic).arg(windowHandle));
    }
    void ShowHELP(const QString& file, const QString& topic, qint32 context) override {
        host_.record(QStringLiteral("ShowHELP:%1|%2|%3").arg(file, topic).arg(context));
    }

private:
    ScriptedHost& host_;
};

class FakeProfile : public zx::host::SystemProfile {
public:
    void Refresh() override {}
    QString GetSystemProfile(const QString&, const QString&, const QString& def) override {
        return def;
    }
    QString Item(const QString&, const QString&) override { return {}; }
    qint32 SpecItem(const QString&, const QString&) override { return -1; }
    QString CompanyName() override { return {}; }
    QString CompanyAddress() override { return {}; }
    QString CompanyPhone() override { return {}; }
    bool GLGetCheckBeforePost() override { return false; }
    qint32 glgetperiodcount() override { return 12; }
    bool GLGetPeriodByMonth() override { return true; }
    qint32 GLGetCurrentYear() override { return 2024; }
    qint32 GLGetCurrentPeriod() override { return 1; }
    QString GlGetEarnAccount() override { return {}; }
    QString GLGetEarnAssignAccount() override { return {}; }
};

// Each GLData hands out its own parameter reader.
class FakeGLData : public zx::host::GLData {
public:
    std::shared_ptr<FakeProfile> profile = std::make_shared<FakeProfile>();
    int profileRequests = 0;
    void Refresh() override {}
    std::shared_ptr<zx::host::SystemProfile> SystemProfile() override {
        ++profileRequests;
        return profile;
    }
    zx::host::RecordSetPtr getanyrecordset(const QString&) override { return nullptr; }
};

class FakeGLView : public zx::host::GLView {};

}  // namespace zxtest
