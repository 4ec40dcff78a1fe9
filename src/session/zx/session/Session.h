#pragma once

// Session context and the shared routines every dialog of the component uses.

#include <QDateTime>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>

#include "zx/host/RecordSet.h"
#include "zx/host/Services.h"

namespace zx {

// ----- Session -------------------------------------------------------------
QString GetPropsString();
qint32 GetUserID();
QString GetAcctName();
std::shared_ptr<host::LoginObject> GetLoginObject();  // nullptr when the host has none
QString GetPropValue(const QString& key);
bool LoadSessionProps(const QString& propsString);  // raises on a duplicate key
QString GetSessionProp(const QString& key);         // raises when the key is missing
QString GetSubID();

// ----- Data access ---------------------------------------------------------
host::RecordSetPtr GetRecordset(const QString& sql, const QString& props = QString(),
                                bool showError = true);
bool ExecuteSQL(const QString& sql, const QString& props = QString(), bool showError = true);
QString GetServerTime(const QString& format, const QString& props = QString());
// Formats a date/time with the system's format pictures ("YYYY-MM-DD HH:MM:SS",
// "yyyy-mm-dd", ...): an "MM" after an hour stands for minutes.
QString FormatDateTime(const QDateTime& value, const QString& format);

QString SqlText(const QVariant& value, bool quote = true, bool trim = true,
                bool stripControls = false);
QString SqlValue(const QVariant& value, bool quote = true, bool nullIfEmpty = false,
                 bool trim = true);
QString SqlQuote(const QString& value, bool quote = true, bool trim = true);

// ----- Configuration and per-user values -----------------------------------
struct AppInfo {
    qint32 appType = 0;
    bool oem = false;
    QString appName;
    QString iconPath;
};

QString GetInstallPath();
QString GetIniValue(const QString& file, const QString& section, const QString& key,
                    const QString& defaultValue);
const AppInfo& GetAppInfo();
bool IsAppType1();
qint32 GetIndustryType();
qint16 GetIndustryVersion();
QVariant GetUserProfileValue(const QString& component, const QString& form, const QString& key,
                             const QVariant& defaultValue);
bool SetUserProfileValue(const QString& component, const QString& form, const QString& key,
                         const QVariant& value);
double GetUserSetting(qint32 userId, const QString& key, double defaultValue);
void SetSharedValue(const QString& key, const QVariant& value);
QString GetConnectValue(const QString& source, const QString& key, const QString& separator);

// ----- Ledger services, help, cursor ---------------------------------------
std::shared_ptr<host::GLData> GetGLData();
std::shared_ptr<host::GLView> GetGLView();
std::shared_ptr<host::SystemProfile> GetGLProfile();
void ReleaseGLObjects();
void RegisterHelpWindow(const QString& topic, qint32 windowHandle);
bool ShowHelpKey(qint16& keyCode, const QString& topic, qint32 context = 0);

// Shows the hourglass while at least one instance lives.
class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor() noexcept(false);
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// The text without the ASCII blanks at either end; other white space (tabs,
// the full-width space) is part of the text.
QString TrimBlanks(const QString& text);

// The leading number of a text: leading blanks skipped, the longest numeric
// prefix read, 0 for an empty or non-numeric text.
double Val(const QString& text);

// Runs work whose errors the system ignores by design (the change log, the
// management-log audit): an error is written to the process log, not shown.
void ignoringErrors(const char* what, const std::function<void()>& work);

// Drops every process-wide cache (installation info, language and help
// services, ledger services, session collection, wait-cursor count). For a
// host that installs a new environment, and for tests.
void ResetSessionCaches();

}  // namespace zx
