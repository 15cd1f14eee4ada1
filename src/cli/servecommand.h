#pragma once

#include "cli/completions.h"

#include <QString>
#include <QStringList>

namespace glintag {

// `glintag serve`: keeps the badges and a current setup and takes changes
// over HTTP (and MQTT when asked), until SIGTERM, SIGINT or SIGHUP.
CommandTable serveCommandTable();
int runServe(const QStringList &all, const QString &programDir);

} // namespace glintag
