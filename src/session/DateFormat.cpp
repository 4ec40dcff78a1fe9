#include <QLocale>

#include "zx/session/Session.h"

namespace zx {

namespace {

QString twoDigits(int value) {
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

qsizetype runLength(const QString& format, qsizetype at) {
    const QChar letter = format.at(at).toLower();
    qsizetype end = at;
    while (end < format.size() && format.at(end).toLower() == letter) ++end;
    return end - at;
}

// The AM/PM markers the pictures know, longest first.
const char* const kMarkers[] = {"AM/PM", "am/pm", "AMPM", "ampm", "A/P", "a/p"};

const char* markerAt(const QString& format, qsizetype at) {
    for (const char* marker : kMarkers) {
        if (QStringView(format).mid(at).startsWith(QLatin1String(marker), Qt::CaseSensitive)) {
            return marker;
        }
    }
    return nullptr;
}

bool hasMarker(const QString& format) {
    for (qsizetype i = 0; i < format.size(); ++i) {
        if (format.at(i) == QLatin1Char('\\')) {
            ++i;
        } else if (format.at(i) == QLatin1Char('"')) {
            const qsizetype close = format.indexOf(QLatin1Char('"'), i + 1);
            i = close < 0 ? format.size() : close;
        } else if (markerAt(format, i)) {
            return true;
        }
    }
    return false;
}

// The next picture letter after `at`, skipping literals; 0 when none.
QChar nextToken(const QString& format, qsizetype at) {
    for (qsizetype i = at; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c == QLatin1Char('\\')) {
            ++i;
        } else if (c == QLatin1Char('"')) {
            const qsizetype close = format.indexOf(QLatin1Char('"'), i + 1);
            i = close < 0 ? format.size() : close;
        } else if (QStringLiteral("ymdwqhns").contains(c.toLower())) {
            return c.toLower();
        }
    }
    return QChar();
}

// Weeks start on Sunday; week 1 is the week of 1 January.
int weekOfYear(const QDate& date) {
    const int firstWeekday = QDate(date.year(), 1, 1).dayOfWeek() % 7;  // Sunday 0
    return (date.dayOfYear() - 1 + firstWeekday) / 7 + 1;
}

int sundayBasedWeekday(const QDate& date) {
    return date.dayOfWeek() % 7 + 1;
}

}  // namespace

QString FormatDateTime(const QDateTime& value, const QString& format) {
    const QDate date = value.date();
    const QTime time = value.time();
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    const bool twelveHour = hasMarker(format);

    QString out;
    bool afterHour = false;  // an "m" right after an hour is a minute
    qsizetype i = 0;
    while (i < format.size()) {
        const QChar c = format.at(i);
        if (c == QLatin1Char('\\')) {
            if (i + 1 < format.size()) out += format.at(i + 1);
            i += 2;
            continue;
        }
        if (c == QLatin1Char('"')) {
            const qsizetype close = format.indexOf(QLatin1Char('"'), i + 1);
            out += format.mid(i + 1, close < 0 ? -1 : close - i - 1);
            i = close < 0 ? format.size() : close + 1;
            continue;
        }
        if (const char* marker = markerAt(format, i)) {
            const QString m = QLatin1String(marker);
            const bool pm = time.hour() >= 12;
            if (m.compare(QLatin1String("AMPM"), Qt::CaseInsensitive) == 0) {
                out += pm ? QStringLiteral("PM") : QStringLiteral("AM");
            } else {
                const QStringList parts = m.split(QLatin1Char('/'));
                out += pm ? parts.at(1) : parts.at(0);
            }
            i += m.size();
            continue;
        }

        const QChar letter = c.toLower();
        const qsizetype run = runLength(format, i);
        qsizetype used = run;  // runs longer than a picture knows count as one
        bool consumed = true;
        bool isHour = false;
        switch (letter.unicode()) {
            case 'y':
                if (run >= 3) {
                    out += QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0'));
                } else if (run == 2) {
                    out += twoDigits(date.year() % 100);
                } else {
                    out += QString::number(date.dayOfYear());
                }
                break;
            case 'm':
                if (run <= 2 && (afterHour || nextToken(format, i + run) == QLatin1Char('s'))) {
                    out += run == 2 ? twoDigits(time.minute()) : QString::number(time.minute());
                } else if (run == 1) {
                    out += QString::number(date.month());
                } else if (run == 2) {
                    out += twoDigits(date.month());
                } else {
                    out += chinese.monthName(date.month(),
                                             run == 3 ? QLocale::ShortFormat : QLocale::LongFormat);
                }
                break;
            case 'd':
                if (run == 1) {
                    out += QString::number(date.day());
                } else if (run == 2) {
                    out += twoDigits(date.day());
                } else if (run <= 4) {
                    out += chinese.dayName(date.dayOfWeek(),
                                           run == 3 ? QLocale::ShortFormat : QLocale::LongFormat);
                } else {
                    out += date.toString(QStringLiteral("yyyy-MM-dd"));
                }
                break;
            case 'w':
                out += QString::number(run >= 2 ? weekOfYear(date) : sundayBasedWeekday(date));
                used = qMin<qsizetype>(run, 2);
                break;
            case 'q':
                out += QString::number((date.month() - 1) / 3 + 1);
                used = 1;
                break;
            case 'h': {
                int hour = time.hour();
                if (twelveHour) hour = hour % 12 == 0 ? 12 : hour % 12;
                out += run >= 2 ? twoDigits(hour) : QString::number(hour);
                isHour = true;
                break;
            }
            case 'n':
                out += run >= 2 ? twoDigits(time.minute()) : QString::number(time.minute());
                break;
            case 's':
                out += run >= 2 ? twoDigits(time.second()) : QString::number(time.second());
                break;
            default:
                consumed = false;
                break;
        }
        if (consumed) {
            afterHour = isHour;
            i += used;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

}  // namespace zx
