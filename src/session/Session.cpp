#include "zx/session/Session.h"

#include <QList>
#include <QPair>
#include <cmath>
#include <limits>
#include <optional>

#include "SessionState.h"
#include "zx/host/Environment.h"

namespace zx {

namespace {

// ----- Process-wide caches -------------------------------------------------

std::shared_ptr<host::LangInfo> g_langInfo;
std::shared_ptr<host::CHMHelp> g_chmHelp;
std::optional<AppInfo> g_appInfo;
std::shared_ptr<host::GLData> g_glData;
std::shared_ptr<host::GLView> g_glView;
std::shared_ptr<host::SystemProfile> g_glProfile;

// The session property collection: insertion order kept, keys unique without
// regard to case.
QList<QPair<QString, QString>> g_sessionProps;

int findSessionProp(const QString& key) {
    for (int i = 0; i < g_sessionProps.size(); ++i) {
        if (g_sessionProps.at(i).first.compare(key, Qt::CaseInsensitive) == 0) return i;
    }
    return -1;
}

// One host property, through a ShareProps service that lives only for the call.
QVariant shareProperty(const QString& name) {
    auto shareProps = host::createObject<host::ShareProps>();
    return shareProps->GetProperty(host::env().processId(), name);
}

// Whole numbers from texts and doubles round half to even, as the host's
// integer conversions do.
qint64 roundToInteger(double value, qint64 lowest, qint64 highest, const QString& source) {
    const double rounded = std::nearbyint(value);
    if (!std::isfinite(rounded) || rounded < double(lowest) || rounded > double(highest)) {
        throw host::HostError(6, source, QStringLiteral("溢出"));
    }
    return qint64(rounded);
}

// Blanks only, like the trimming of the SQL quoting routines has always done:
// tabs and line breaks inside a value are data.
QString trimBlanks(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == QLatin1Char(' ')) ++begin;
    while (end > begin && text.at(end - 1) == QLatin1Char(' ')) --end;
    return text.mid(begin, end - begin);
}

QString doubleApostrophes(QString text) {
    return text.replace(QLatin1Char('\''), QLatin1String("''"));
}

QString wrapIf(const QString& text, bool quote) {
    return quote ? QLatin1Char('\'') + text + QLatin1Char('\'') : text;
}

QString variantText(const QVariant& value) {
    if (!value.isValid() || value.isNull()) return QString();
    return value.toString();
}

// The statement stays out of the message: the user is told what failed and
// what it means, the host shows the database's own words apart.
void showDataError(const host::HostError& error) {
    host::env().dialogService().ShowError(error, {});
}

std::shared_ptr<host::LangInfo> langInfo() {
    if (!g_langInfo) g_langInfo = host::createObject<host::LangInfo>();
    return g_langInfo;
}

std::shared_ptr<host::CHMHelp> chmHelp() {
    if (!g_chmHelp) g_chmHelp = host::createObject<host::CHMHelp>();
    return g_chmHelp;
}

QString configFile(const QString& installPath) {
    return installPath + QStringLiteral("\\Common\\QORBaseScheme.ini");
}

// A configuration flag: "True"/"False" or a number, non-zero meaning set.
bool flagValue(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) return true;
    if (trimmed.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) return false;
    return Val(trimmed) != 0.0;
}

}  // namespace

// ----- Session -------------------------------------------------------------

QString GetPropsString() {
    return shareProperty(QStringLiteral("PropsString")).toString();
}

qint32 GetUserID() {
    const QVariant value = shareProperty(QStringLiteral("UserID"));
    if (!value.isValid() || value.isNull()) return 0;
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (!ok) throw host::HostError(13, QStringLiteral("GetUserID"), QStringLiteral("类型不匹配"));
    return qint32(roundToInteger(number, std::numeric_limits<qint32>::min(),
                                 std::numeric_limits<qint32>::max(), QStringLiteral("GetUserID")));
}

QString GetAcctName() {
    return shareProperty(QStringLiteral("AcctName")).toString();
}

std::shared_ptr<host::LoginObject> GetLoginObject() {
    const QVariant value = shareProperty(QStringLiteral("QORLogin"));
    if (value.canConvert<host::ServicePtr>()) {
        return std::dynamic_pointer_cast<host::LoginObject>(value.value<host::ServicePtr>());
    }
    if (value.canConvert<std::shared_ptr<host::LoginObject>>()) {
        return value.value<std::shared_ptr<host::LoginObject>>();
    }
    return nullptr;
}

QString GetPropValue(const QString& key) {
    QString props = GetPropsString();
    if (props.isEmpty()) return langInfo()->CurrentLanguage();
    if (!props.endsWith(QLatin1Char(';'))) props += QLatin1Char(';');

    const qsizetype at = props.indexOf(key + QLatin1Char('='), 0, Qt::CaseInsensitive);
    if (at < 0) return QString();
    const qsizetype valueStart = at + key.size() + 1;
    const qsizetype end = props.indexOf(QLatin1Char(';'), at);
    return props.mid(valueStart, end - valueStart);
}

bool LoadSessionProps(const QString& propsString) {
    QList<QPair<QString, QString>> items;
    auto find = [&items](const QString& key) {
        for (const auto& item : items) {
            if (item.first.compare(key, Qt::CaseInsensitive) == 0) return true;
        }
        return false;
    };

    QString text = propsString;
    for (;;) {
        const qsizetype equals = text.indexOf(QLatin1Char('='));
        if (equals < 0) break;  // no further pair
        const QString key = text.left(equals).trimmed();
        if (key.isEmpty()) break;
        QString rest = text.mid(equals + 1).trimmed();

        QString value;
        if (rest.startsWith(QLatin1Char('{'))) {
            rest.remove(0, 1);
            const qsizetype close = rest.indexOf(QLatin1Char('}'));
            if (close < 0) {
                value = rest;
                text.clear();
            } else {
                value = rest.left(close);
                const qsizetype semicolon = rest.indexOf(QLatin1Char(';'), close + 1);
                text = semicolon < 0 ? QString() : rest.mid(semicolon + 1);
            }
        } else {
            const qsizetype semicolon = rest.indexOf(QLatin1Char(';'));
            if (semicolon < 0) {
                value = rest;
                text.clear();
            } else {
                value = rest.left(semicolon);
                text = rest.mid(semicolon + 1);
            }
        }

        if (find(key)) {
            throw host::HostError(457, QStringLiteral("LoadSessionProps"),
                                  QStringLiteral("此键已经与该集合的元素相关联: %1").arg(key));
        }
        items.append({key, value.trimmed()});
    }
    g_sessionProps = items;
    return true;
}

QString GetSessionProp(const QString& key) {
    const int index = findSessionProp(key);
    if (index < 0) {
        throw host::HostError(5, QStringLiteral("GetSessionProp"),
                              QStringLiteral("无效的过程调用或参数: %1").arg(key));
    }
    return g_sessionProps.at(index).second;
}

QString GetSubID() {
    return GetSessionProp(QStringLiteral("SubID"));
}

// ----- Data access ---------------------------------------------------------

host::RecordSetPtr GetRecordset(const QString& sql, const QString& props, bool showError) {
    if (sql.trimmed().isEmpty()) return nullptr;
    try {
        const QString propsString = props.isEmpty() ? GetPropsString() : props;
        auto classInfo = host::createObject<host::ClassInfo>();
        return classInfo->GetData(propsString, sql);
    } catch (const host::HostError& error) {
        if (showError) showDataError(error);
    } catch (const std::exception& error) {
        if (showError) {
            showDataError(host::HostError(host::kGenericError, QStringLiteral("Data"),
                                          QString::fromLocal8Bit(error.what())));
        }
    }
    return nullptr;
}

bool ExecuteSQL(const QString& sql, const QString& props, bool showError) {
    if (sql.trimmed().isEmpty()) return false;
    try {
        const QString propsString = props.isEmpty() ? GetPropsString() : props;
        if (!propsString.isEmpty()) {
            host::createObject<host::ClassUpdate>()->SaveItem(propsString, sql);
        } else {
            host::createObject<host::AppConnection>()->Execute(sql);
        }
        return true;
    } catch (const host::HostError& error) {
        if (showError) showDataError(error);
    } catch (const std::exception& error) {
        if (showError) {
            showDataError(host::HostError(host::kGenericError, QStringLiteral("Data"),
                                          QString::fromLocal8Bit(error.what())));
        }
    }
    return false;
}

QString GetServerTime(const QString& format, const QString& props) {
    const host::RecordSetPtr records =
        GetRecordset(QStringLiteral("Select GetDate() as NowTime"), props, true);
    if (!records || records->Eof()) return QString();

    const QVariant value = records->Field(QStringLiteral("NowTime"));
    QDateTime when;
    if (value.typeId() == QMetaType::QDateTime) {
        when = value.toDateTime();
    } else if (value.typeId() == QMetaType::QDate) {
        when = value.toDate().startOfDay();
    } else {
        // A data layer that hands dates out as text.
        const QString text = value.toString().trimmed();
        for (const char* picture :
             {"yyyy-MM-dd HH:mm:ss.zzz", "yyyy-MM-dd HH:mm:ss", "yyyy-MM-ddTHH:mm:ss.zzz",
              "yyyy-MM-ddTHH:mm:ss", "yyyy-MM-dd"}) {
            when = QDateTime::fromString(text, QLatin1String(picture));
            if (when.isValid()) break;
        }
        if (!when.isValid()) when = QDateTime::fromString(text, Qt::ISODateWithMs);
    }
    if (!when.isValid()) return QString();
    return FormatDateTime(when, format);
}

QString SqlText(const QVariant& value, bool quote, bool trim, bool stripControls) {
    QString text = variantText(value);
    if (trim) text = trimBlanks(text);
    if (stripControls) {
        text.remove(QChar(0));
        text.remove(QChar(10));
        text.remove(QChar(13));
    }
    return wrapIf(doubleApostrophes(text), quote);
}

QString SqlValue(const QVariant& value, bool quote, bool nullIfEmpty, bool trim) {
    QString text = variantText(value);
    if (trim) text = trimBlanks(text);
    if (text.isEmpty() && nullIfEmpty) return QStringLiteral("Null");
    return wrapIf(doubleApostrophes(text), quote);
}

QString SqlQuote(const QString& value, bool quote, bool trim) {
    return wrapIf(doubleApostrophes(trim ? trimBlanks(value) : value), quote);
}

// ----- Configuration and per-user values -----------------------------------

QString GetInstallPath() {
    auto reader = host::createObject<host::RegistryReader>();
    return reader->GetKeyValue(QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\ZENTRIX\\QORPRODUCT"),
                               QStringLiteral("Path"), QStringLiteral("1"));
}

const AppInfo& GetAppInfo() {
    if (g_appInfo) return *g_appInfo;

    const QString installPath = GetInstallPath();
    const QString file = configFile(installPath);
    const QString version = QStringLiteral("Version");

    AppInfo info;
    info.appType = qint32(roundToInteger(
        Val(GetIniValue(file, version, QStringLiteral("AppType"), QStringLiteral("0"))),
        std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max(),
        QStringLiteral("GetAppInfo")));
    info.oem = flagValue(GetIniValue(file, version, QStringLiteral("OEM"), QStringLiteral("0")));
    QString name = GetIniValue(file, version, QStringLiteral("AppName"), QString()).trimmed();
    name.remove(QChar(13));
    name.remove(QChar(10));
    name.remove(QChar(0));
    info.appName = name;
    info.iconPath = installPath + QStringLiteral("\\Common\\Bmp\\QOR.ico");

    g_appInfo = info;
    return *g_appInfo;
}

bool IsAppType1() {
    return GetAppInfo().appType == 1;
}

qint32 GetIndustryType() {
    const QString text = GetIniValue(configFile(GetInstallPath()), QStringLiteral("Version"),
                                     QStringLiteral("HangYeType"), QStringLiteral("0"));
    return qint32(roundToInteger(Val(text), std::numeric_limits<qint32>::min(),
                                 std::numeric_limits<qint32>::max(),
                                 QStringLiteral("GetIndustryType")));
}

qint16 GetIndustryVersion() {
    auto connection = host::createObject<host::AppConnection>();
    const host::RecordSetPtr records = connection->Execute(
        QStringLiteral("select * from t_systemprofile where FCategory='IC' and fkey "
                       "='IndustryVersion'"));
    if (!records || records->RecordCount() == 0) return 0;
    const double value = Val(records->Field(QStringLiteral("FValue")).toString().trimmed());
    return qint16(roundToInteger(value, std::numeric_limits<qint16>::min(),
                                 std::numeric_limits<qint16>::max(),
                                 QStringLiteral("GetIndustryVersion")));
}

QVariant GetUserProfileValue(const QString& component, const QString& form, const QString& key,
                             const QVariant& defaultValue) {
    auto profile = host::createObject<host::UserProfile>();
    profile->Load(component, form);
    const QVariant value = profile->GetValue(key, defaultValue);
    if (defaultValue.typeId() == QMetaType::Bool) {
        const QString text = value.toString().trimmed();
        if (value.typeId() == QMetaType::QString) return QVariant(flagValue(text));
        return QVariant(value.toBool());
    }
    return QVariant(variantText(value));
}

bool SetUserProfileValue(const QString& component, const QString& form, const QString& key,
                         const QVariant& value) {
    auto profile = host::createObject<host::UserProfile>();
    profile->Load(component, form);
    profile->SetValue(key, value);
    profile->Save(component, form);
    return true;
}

double GetUserSetting(qint32 userId, const QString& key, double defaultValue) {
    auto connection = host::createObject<host::AppConnection>();
    const host::RecordSetPtr records = connection->Execute(
        QStringLiteral("Select FValue From t_UserSetting Where FUserID=") +
        QString::number(userId) + QStringLiteral(" And FCategory='QOR_APFC' And FKey =") +
        SqlQuote(key, true, true));
    if (records && records->RecordCount() > 0) {
        return Val(variantText(records->Field(QStringLiteral("FValue"))));
    }
    return defaultValue;
}

void SetSharedValue(const QString& key, const QVariant& value) {
    if (QVariantMap* shared = host::env().sharedDictionary()) shared->insert(key, value);
}

QString GetConnectValue(const QString& source, const QString& key, const QString& separator) {
    QString text = separator + source;
    if (!text.endsWith(separator)) text += separator;

    const QString needle = separator + key + QLatin1Char('=');
    const qsizetype at = text.indexOf(needle, 0, Qt::CaseInsensitive);
    if (at < 0) return QString();
    QString rest = text.mid(at + needle.size());

    QString end = separator;
    if (key.compare(QLatin1String("ConnectString"), Qt::CaseInsensitive) == 0) {
        if (rest.startsWith(QLatin1Char('{'))) rest.remove(0, 1);
        end = QStringLiteral("}");
    }
    const qsizetype stop = rest.indexOf(end);
    return stop < 0 ? rest : rest.left(stop);
}

// ----- Ledger services, help -----------------------------------------------

std::shared_ptr<host::GLData> GetGLData() {
    if (!g_glData) g_glData = host::createObject<host::GLData>();
    return g_glData;
}

std::shared_ptr<host::GLView> GetGLView() {
    if (!g_glView) g_glView = host::createObject<host::GLView>();
    return g_glView;
}

std::shared_ptr<host::SystemProfile> GetGLProfile() {
    if (!g_glProfile) g_glProfile = GetGLData()->SystemProfile();
    return g_glProfile;
}

void ReleaseGLObjects() {
    g_glProfile.reset();
    g_glView.reset();
    g_glData.reset();
}

void RegisterHelpWindow(const QString& topic, qint32 windowHandle) {
    chmHelp()->SETVBProjectID(topic, windowHandle);
}

bool ShowHelpKey(qint16& keyCode, const QString& topic, qint32 context) {
    constexpr qint16 kF1 = 112;
    if (keyCode != kF1) return false;

    const QString lower = topic.toLower();
    QString file;
    if (lower == QLatin1String("glinitbal.initbal") ||
        lower == QLatin1String("glinitbal.initcashflowbal")) {
        // These topics have no help page; F1 is swallowed all the same.
    } else if (lower == QLatin1String("gltcashflow.tcashflow") ||
               lower == QLatin1String("glfcashflow.fcashflow") ||
               lower == QLatin1String("glcashflow.cashvoucher") ||
               lower == QLatin1String("glcashflow.cashflow")) {
        file = QStringLiteral("mxs.chm");
    } else if (lower == QLatin1String("glsystemsetting.frmsystemprofiles")) {
        file = QStringLiteral("mainhelp.chm");
    } else {
        file = QStringLiteral("QORV12.chm");
    }
    if (!file.isEmpty()) chmHelp()->ShowHELP(file, topic, context);
    keyCode = 0;
    return true;
}

void ResetSessionCaches() {
    g_langInfo.reset();
    g_chmHelp.reset();
    g_appInfo.reset();
    ReleaseGLObjects();
    g_sessionProps.clear();
    session_detail::resetWaitCursorCount();
}

void ignoringErrors(const char* what, const std::function<void()>& work) {
    try {
        work();
    } catch (const std::exception& e) {
        qWarning("%s: %s", what, e.what());
    }
}

QString TrimBlanks(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == u' ') ++begin;
    while (end > begin && text.at(end - 1) == u' ') --end;
    return text.mid(begin, end - begin);
}

}  // namespace zx
