#pragma once

// What a one-way start will write, made once and then either shown (the
// details of the question that confirms the start) or carried out. Both
// read the same list, so what the user confirms is what is written.

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

#include "Starts.h"
#include "zx/host/Services.h"

namespace zx::profiles {

class StartPlan {
public:
    explicit StartPlan(Module module) : module_(module) {}

    struct Write {
        QString category;
        QString key;
        QVariant value;
        std::optional<bool> flag;  // the writer's fifth argument, where the start passes one
        bool operator==(const Write&) const = default;
    };
    struct Currency {
        QString number;
        QString name;
        qint32 scale = 0;
        bool operator==(const Currency&) const = default;
    };

    void write(const char* category, const char* key, const QVariant& value,
               std::optional<bool> flag = std::nullopt);
    // The base currency row and the business modules' amount precision.
    void fixCurrency(const Currency& currency) { currency_ = currency; }

    const QList<Write>& writes() const { return writes_; }
    const std::optional<Currency>& currency() const { return currency_; }

    // Lines for the user: each key with its new value, the currency, and the
    // controls locked once the module has started.
    QString details() const;

    // Writes it all with `writer`; the currency through the account set's
    // connection.
    void perform(host::ProfileWriter& writer, host::BaseSystemProfile* precision) const;

    bool operator==(const StartPlan&) const = default;

private:
    Module module_;
    QList<Write> writes_;
    std::optional<Currency> currency_;
};

// Asks the question that confirms a start, with the plan as its details.
bool confirmStart(const QString& question, const StartPlan& plan);

}  // namespace zx::profiles
