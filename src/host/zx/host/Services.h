#pragma once

#include <QString>
#include <QVariant>
#include <QVariantList>
#include <memory>
#include <optional>

#include "zx/host/HostError.h"
#include "zx/host/RecordSet.h"
#include "zx/host/Service.h"

class QWidget;

namespace zx::host {

// ---------------------------------------------------------------------------
// Global objects of the host, held for the life of the process.

class ObjectFactory {
public:
    virtual ~ObjectFactory() = default;
    // Creates a business-layer service. Raises HostError for an unknown
    // identifier or a creation that fails.
    virtual ServicePtr CreateObject(const QString& classId) = 0;
};

class DialogService {
public:
    virtual ~DialogService() = default;
    virtual void PrepareForm(QWidget* form) = 0;
    virtual bool Confirm(const QString& question, bool flag) = 0;
    // Confirm, with `details` the user may open below the question: what a
    // step that cannot be undone will write. A host without the means asks
    // the plain question.
    virtual bool ConfirmDetailed(const QString& question, const QString& details) {
        (void)details;
        return Confirm(question, true);
    }
    virtual void ShowError(const HostError& error, const QVariantList& args) = 0;
    virtual void ShowMessage(const QString& text) = 0;
    virtual void TextFocus(QWidget* textBox) = 0;
    // True when the host counts the text as blank.
    virtual bool IsBlank(const QString& text) = 0;
};

// ---------------------------------------------------------------------------
// Session, data access and rights.

class ShareProps : public Service {
public:
    static constexpr auto classId = "ShareProps";
    // A text, a number, or an object (ServicePtr inside the QVariant); an
    // invalid QVariant for a property that is not published.
    virtual QVariant GetProperty(qint32 processId, const QString& name) = 0;
};

class ClassInfo : public Service {
public:
    static constexpr auto classId = "ClassInfo";
    // The record set of the query, or nullptr.
    virtual RecordSetPtr GetData(const QString& props, const QString& sql) = 0;
};

class ClassUpdate : public Service {
public:
    static constexpr auto classId = "ClassUpdate";
    // One or more statements separated by line breaks.
    virtual void SaveItem(const QString& props, const QString& sql) = 0;
};

class AppConnection : public Service {
public:
    static constexpr auto classId = "AppConnection";
    // A statement or a query; a query returns its record set, a statement nullptr.
    virtual RecordSetPtr Execute(const QString& sql) = 0;
};

class SecurityInfo : public Service {
public:
    static constexpr auto classId = "SecurityInfo";
    // Returns normally when the user holds the right, raises when not.
    virtual QVariant AccessCheck(const QString& props, qint16 subsystem, qint16 object, qint32 mask,
                                 bool raise, const QString& rightName) = 0;
    virtual bool IsAdministrator(const QString& props) = 0;
};

class LangInfo : public Service {
public:
    static constexpr auto classId = "LangInfo";
    virtual QString CurrentLanguage() = 0;
};

// Per-user values of a component's form, kept by the host.
class UserProfile : public Service {
public:
    static constexpr auto classId = "UserProfile";
    virtual void Load(const QString& component, const QString& form) = 0;
    virtual QVariant GetValue(const QString& key, const QVariant& defaultValue) = 0;
    virtual void SetValue(const QString& key, const QVariant& value) = 0;
    virtual void Save(const QString& component, const QString& form) = 0;
};

class RegistryReader : public Service {
public:
    static constexpr auto classId = "RegistryReader";
    virtual QString GetKeyValue(const QString& key, const QString& valueName,
                                const QString& flag) = 0;
};

class CHMHelp : public Service {
public:
    static constexpr auto classId = "CHMHelp";
    virtual void SETVBProjectID(const QString& topic, qint32 windowHandle) = 0;
    virtual void ShowHELP(const QString& file, const QString& topic, qint32 context) = 0;
};

// The writes of one save as one unit: what is written between Begin and
// Commit is stored together, or not at all when Rollback is called or the
// process ends in between. Begin inside an open unit opens an inner one,
// which the next Commit or Rollback ends alone.
class WriteScope : public Service {
public:
    static constexpr auto classId = "WriteScope";
    virtual void Begin() = 0;
    virtual void Commit() = 0;
    // Raises nothing: a unit that cannot be undone is undone by the host's end.
    virtual void Rollback() = 0;
};

// ---------------------------------------------------------------------------
// Parameters.

// The ledger's cached parameter reader (the SystemProfile object of GLData).
class SystemProfile : public Service {
public:
    static constexpr auto classId = "SystemProfile";
    virtual void Refresh() = 0;
    virtual QString GetSystemProfile(const QString& category, const QString& key,
                                     const QString& defaultValue) = 0;
    // The stored text, empty when the parameter does not exist.
    virtual QString Item(const QString& category, const QString& key) = 0;
    // A fixed override of the installation: 0 or more overrides the stored
    // parameter, a negative value means no override.
    virtual qint32 SpecItem(const QString& category, const QString& key) = 0;

    virtual QString CompanyName() = 0;
    virtual QString CompanyAddress() = 0;
    virtual QString CompanyPhone() = 0;
    virtual bool GLGetCheckBeforePost() = 0;
    virtual qint32 glgetperiodcount() = 0;
    virtual bool GLGetPeriodByMonth() = 0;
    virtual qint32 GLGetCurrentYear() = 0;
    virtual qint32 GLGetCurrentPeriod() = 0;
    virtual QString GlGetEarnAccount() = 0;
    virtual QString GLGetEarnAssignAccount() = 0;
};

// Writes parameters. `flag` is the optional fifth argument of Setprofile.
class ProfileWriter {
public:
    virtual ~ProfileWriter() = default;
    virtual void Setprofile(const QString& props, const QString& category, const QString& key,
                            const QVariant& value, std::optional<bool> flag = std::nullopt) = 0;
};

class BaseSystemProfile : public Service, public ProfileWriter {
public:
    static constexpr auto classId = "BaseSystemProfile";
    virtual QString GetProfile(const QString& props, const QString& category,
                               const QString& key) = 0;
    // Precision of the business modules' amounts, set when the ledger starts.
    virtual void UpdateSMPrecision(const QString& props, qint32 decimals) = 0;
};

// The ledger's writer; it also reads like the ledger's profile cache.
class GLSystemProfile : public SystemProfile, public ProfileWriter {
public:
    static constexpr auto classId = "GLSystemProfile";
};

class PASystemProfile : public Service, public ProfileWriter {
public:
    static constexpr auto classId = "PASystemProfile";
    // The payroll module's reads: a parameter with its default, and the
    // period payroll has reached.
    virtual QString GetSystemProfile(const QString& category, const QString& key,
                                     const QString& defaultValue) {
        throw HostError(438, QStringLiteral("PASystemProfile"),
                        QStringLiteral("对象不支持此操作: GetSystemProfile(%1, %2, %3)")
                            .arg(category, key, defaultValue));
    }
    virtual qint32 PAGetCurrentYear() {
        throw HostError(438, QStringLiteral("PASystemProfile"),
                        QStringLiteral("对象不支持此操作: PAGetCurrentYear"));
    }
    virtual qint32 PaGetCurrentPeriod() {
        throw HostError(438, QStringLiteral("PASystemProfile"),
                        QStringLiteral("对象不支持此操作: PaGetCurrentPeriod"));
    }
};

// A currency of the account set, as the ledger service hands it out.
struct Currency {
    QString Number;
    QString Name;
    double ScaleX = 0;
};

// An account of the chart of accounts.
struct Account {
    qint32 AccountID = 0;
    QString Number;
    QString Name;
    qint32 Level = 0;    // 1 for a first-level account
    qint32 GroupID = 0;  // account class code; 300..399 owner's equity
};

class GLData : public Service {
public:
    static constexpr auto classId = "GLData";
    // The account with the given number, or, with byId, the given internal
    // id; nullopt when there is none.
    virtual std::optional<Account> GetAccount(const QVariant& key, bool byId = false) {
        throw HostError(
            438, QStringLiteral("GLData"),
            QStringLiteral("对象不支持此操作: GetAccount(%1, %2)").arg(key.toString()).arg(byId));
    }
    // The currency with the given id; raises when there is none.
    virtual Currency GetCurrency(qint32 currencyId) {
        throw HostError(438, QStringLiteral("GLData"),
                        QStringLiteral("对象不支持此操作: GetCurrency(%1)").arg(currencyId));
    }
    virtual void Refresh() = 0;
    virtual std::shared_ptr<zx::host::SystemProfile> SystemProfile() = 0;
    virtual RecordSetPtr getanyrecordset(const QString& sql) = 0;
};

// The result of the account selection window.
struct AccountLookupResult {
    bool ReturnOK = false;
    std::optional<Account> ReturnObject;
};

class GLView : public Service {
public:
    static constexpr auto classId = "GLView";
    // The account selection window, opened on the current text; modal.
    virtual AccountLookupResult AccountLookup(const QString& currentText) = 0;
};

// ---------------------------------------------------------------------------
// Network function lock, change-log helpers.

class LoginObject : public Service {
public:
    static constexpr auto classId = "QORLogin";
    virtual QVariant TaskExec(qint32 taskId, const QString& functionCode,
                              const QString& machineName, qint16 mode, qint16 year, qint16 period,
                              std::optional<QVariant> extra) = 0;
    virtual bool CommitTask(qint32 handle) = 0;
};

class NetMutex : public Service {
public:
    static constexpr auto classId = "NetMutex";
    virtual QVariant TaskExec(const QString& props, qint32 taskId, const QString& functionCode,
                              const QString& machineName, qint16 mode, qint16 year, qint16 period,
                              std::optional<QVariant> extra) = 0;
    virtual bool CommitTask(const QString& props, qint32 handle) = 0;
};

class StringBuilder : public Service {
public:
    static constexpr auto classId = "StringBuilder";
    virtual void Append(const QString& text) = 0;
    virtual QString ToString() const = 0;
    virtual int Length() const = 0;
    virtual void Clear() = 0;
};

// ---------------------------------------------------------------------------
// Management log.

class FrameData : public Service {
public:
    static constexpr auto classId = "FrameData";
    virtual void setPropString(const QString& props) = 0;
    virtual QVariant WriteMGLog(const QString& code, const QString& event) = 0;
};

}  // namespace zx::host
