#pragma once

// What the pages of the parameter dialog share, and the steps every page
// takes over its declared parameters: read one and show it, tell whether
// the user changed it, write it.

#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <variant>

#include "StartPlan.h"
#include "zx/frame/Controls.h"
#include "zx/host/Services.h"
#include "zx/params/Baseline.h"
#include "zx/params/Param.h"
#include "zx/store/ChangeLog.h"

namespace zx::profiles {

class frmSystemProfiles;

// The dialog state the pages read and set; the names are the system's.
struct Shared {
    explicit Shared(frmSystemProfiles& d);

    frmSystemProfiles& dialog;
    const frame::Controls& c;
    params::Baseline baseline;
    store::ChangeLog log;

    bool LedgerStarted = false;       // GL "Closed" is "1"
    bool InitBalancesClosed = false;  // GL "InitClosed" is "1"
    bool PublicSectorBooks = false;   // GL "GaSystem" is not 0
    bool HasInitGLData = false;       // the ledger holds initial data (at load)
    bool BusinessStarted = false;     // IC "CurrentYear" is not 0
    bool CashierStarted = false;      // CN "CN_INIT_DONE" is 1
    qint32 CompanyTypeValue = 1;
    QString OrigTaxType;
    qint32 NoDeprAtStart = 0;
    bool EarnAcctChanged = false;
    bool EarnAssignAcctChanged = false;
    bool ReTickVoucherCheck = false;  // the approval guard is ticking its box again
    QString AutoInvoiceSnapshot;
    QStringList startedNow;                    // the modules this save started, in the user's words
    QList<const params::Param*> written;       // what the running save has written so far
    QHash<QString, QStringList> startsLoaded;  // the modules' start marks as loaded
    QHash<const params::Param*, const class Page*> loadedBy;  // the page that loaded each
    // The ledger start the user confirmed, as its question showed it.
    std::optional<std::variant<StartPlan, QString>> confirmedLedgerStart;
};

class Page {
public:
    explicit Page(Shared& shared) : s(shared) {}
    virtual ~Page() = default;
    Page(const Page&) = delete;
    Page& operator=(const Page&) = delete;

protected:
    // Reads the parameter with its default and shows it. A stored text the
    // control cannot hold raises an error naming the parameter.
    QString load(const params::Param& p, host::SystemProfile& reader);
    using Reader = std::function<QString(const QString& category, const QString& key,
                                         const QString& defaultValue)>;
    QString load(const params::Param& p, const Reader& reader);
    // Shows a stored text; it becomes the text the save compares with.
    void show(const params::Param& p, const QString& stored);
    // The stored text a parameter was loaded from, by this page.
    void remember(const params::Param& p, const QString& stored);
    // Writes what the user changed of every parameter this page loaded and
    // the generic save writes (Write::Changed), in the order of the load: a
    // parameter loaded is one saved, without a list of its own. `step` runs
    // for each one a step of the page writes (Write::Page), in its place.
    void saveLoaded(host::ProfileWriter& writer,
                    const std::function<void(const params::Param&)>& step = {});
    // The user changed the parameter since the load.
    bool changed(const params::Param& p) const;
    // Writes the parameter when the user changed it, as its codec encodes it.
    void save(const params::Param& p, host::ProfileWriter& writer);
    // What the save writes for it now (invalid: nothing).
    QVariant value(const params::Param& p) const;
    // Enables the controls of a parameter when its rule holds; a control its
    // rule disables says why.
    void enableByRule(const params::Param& p, bool holds);
    // The rule declared with a parameter (needing(...)): enabled while the box
    // it needs is ticked and enabled; unticked with it when so declared.
    void applyNeeds(const params::Param& p, bool clear);
    // Runs a rule that reacts to a change of `cause`: what it changes in other
    // controls comes back once the cause is back where the load left it.
    void react(const params::Param& cause, const std::function<void()>& rule) const;

    template <class T>
    T* get(const params::Control& c) const {
        return s.c.get<T>(c);
    }
    template <class T>
    T* get(const char* name) const {
        return s.c.get<T>(QString::fromLatin1(name));
    }
    template <class T>
    T* get(const QString& name) const {
        return s.c.get<T>(name);
    }
    bool ticked(const params::Param& p) const;
    void setTicked(const params::Param& p, bool on) const;
    int selected(const params::Param& p) const;
    QString boxText(const params::Param& p) const;

    Shared& s;
};

using params::lockReason;

}  // namespace zx::profiles
