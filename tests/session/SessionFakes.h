#pragma once

// Scripted data services for the session tests; each records what it is
// asked in the host's call list.

#include <functional>

#include "ScriptedHost.h"
#include "zx/host/MemoryRecordSet.h"
#include "zx/host/Services.h"

namespace zxtest {

using Answer = std::function<zx::host::RecordSetPtr(const QString& sql)>;

inline zx::host::RecordSetPtr rows(const QStringList& columns, const QList<QVariantList>& data) {
    return std::make_shared<zx::host::MemoryRecordSet>(columns, data);
}

inline zx::host::HostError dbError() {
    return zx::host::HostError(-2147217900, "Database", "对象名 't_x' 无效。");
}

struct FakeClassInfo : zx::host::ClassInfo {
    ScriptedHost& host;
    Answer answer;  // none: no record set
    explicit FakeClassInfo(ScriptedHost& h) : host(h) {}
    zx::host::RecordSetPtr GetData(const QString& props, const QString& sql) override {
        host.record("GetData:" + props + "|" + sql);
        return answer ? answer(sql) : nullptr;
    }
};

struct FakeClassUpdate : zx::host::ClassUpdate {
    ScriptedHost& host;
    bool fail = false;
    explicit FakeClassUpdate(ScriptedHost& h) : host(h) {}
    void SaveItem(const QString& props, const QString& sql) override {
        host.record("SaveItem:" + props + "|" + sql);
        if (fail) throw dbError();
    }
};

struct FakeAppConnection : zx::host::AppConnection {
    ScriptedHost& host;
    Answer answer;
    explicit FakeAppConnection(ScriptedHost& h) : host(h) {}
    zx::host::RecordSetPtr Execute(const QString& sql) override {
        host.record("Execute:" + sql);
        return answer ? answer(sql) : nullptr;
    }
};

}  // namespace zxtest
