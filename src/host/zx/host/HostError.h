#pragma once

#include <QString>
#include <exception>
#include <string>

namespace zx::host {

// An error raised by a host service or by the component itself: the number,
// the source that raised it and a description for the user. `details` holds
// what only helps someone tracing the fault (a database driver's own words);
// it is shown apart, never as the message.
class HostError : public std::exception {
public:
    HostError(qint32 number, QString source, QString description, QString details = QString())
        : number_(number),
          source_(std::move(source)),
          description_(std::move(description)),
          details_(std::move(details)),
          what_(description_.toStdString()) {}

    qint32 number() const { return number_; }
    const QString& source() const { return source_; }
    const QString& description() const { return description_; }
    const QString& details() const { return details_; }
    const char* what() const noexcept override { return what_.c_str(); }

private:
    qint32 number_;
    QString source_;
    QString description_;
    QString details_;
    std::string what_;
};

// Generic number for failures that have no number of their own.
inline constexpr qint32 kGenericError = 5;

// The host's connection to the account set broke while a unit of writes was
// open: nothing of that unit was stored. The connection is made again at
// the next call, so the work can start over.
inline constexpr qint32 kConnectionLost = 3709;

}  // namespace zx::host
