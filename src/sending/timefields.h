#pragma once

#include <QDateTime>
#include <QString>

namespace glintag {

// The text with each "{time:FORMAT}" and "{date:FORMAT}" replaced by `now`
// in the local time zone, FORMAT as strftime takes it; "{time}" is
// "{time:%H:%M}" and "{date}" is "{date:%Y-%m-%d}". Anything else between
// braces stays as it is.
QString expandTimeFields(const QString &text, const QDateTime &now);
// True when the text holds a field that expandTimeFields() fills in.
bool hasTimeFields(const QString &text);

} // namespace glintag
