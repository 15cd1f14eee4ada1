#include "i18n/captionfonts.h"

#include "i18n/languages.h"

namespace glintag {

QFontDatabase::WritingSystem writingSystemForCharset(int charset)
{
    switch (charset) {
    case kCharsetGb2312:
        return QFontDatabase::SimplifiedChinese;
    case kCharsetBig5:
        return QFontDatabase::TraditionalChinese;
    case kCharsetShiftJis:
        return QFontDatabase::Japanese;
    case kCharsetHangul:
        return QFontDatabase::Korean;
    default:
        return QFontDatabase::Latin;
    }
}

QStringList installedFaces(int charset)
{
    QStringList faces;
    // Bitmap faces come in a few pixel sizes only; the title is drawn large.
    for (const QString &face : QFontDatabase::families(writingSystemForCharset(charset)))
        if (!QFontDatabase::isPrivateFamily(face) && QFontDatabase::isSmoothlyScalable(face))
            faces << face;
    return faces;
}

QStringList captionFamilies(int charset, const QStringList &facesForScript)
{
    QStringList families = fontFamiliesForCharset(charset);
    // Every machine's default face draws Latin letters; a long tail of
    // arbitrary faces would only make a missing Arial look odder.
    if (writingSystemForCharset(charset) == QFontDatabase::Latin)
        return families;
    for (const QString &face : facesForScript)
        if (!families.contains(face, Qt::CaseInsensitive))
            families << face;
    return families;
}

} // namespace glintag
