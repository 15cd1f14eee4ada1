#pragma once
// Setups the sending tests and benchmarks start from, and the bytes they
// become.

#include "badge/badgesetup.h"
#include "protocol/uploadstream.h"
#include "render/messagebuilder.h"

#include <QStringList>

#include <memory>

namespace glintag {

// Only the first texts.size() slots selected, holding these texts; the rest
// as a first start has them.
inline BadgeSetup setupWithTexts(const QStringList &texts)
{
    BadgeSetup setup = defaultBadgeSetup();
    for (int i = 0; i < kSlotCount; ++i) {
        setup.slots[size_t(i)].select = i < texts.size();
        setup.slots[size_t(i)].text = texts.value(i);
    }
    return setup;
}

// The bytes a setup must reach the line as, from the renderer and the wire
// rules alone.
inline QByteArray streamFor(const BadgeSetup &setup)
{
    auto snapshot = std::make_unique<UploadSnapshot>();
    snapshot->setup = setup;
    snapshot->rendering = renderSetup(setup, QStringLiteral(GLINTAG_BIN_DIR));
    return uploadStream(*snapshot);
}

} // namespace glintag
