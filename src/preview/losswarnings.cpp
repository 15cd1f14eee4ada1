#include "preview/losswarnings.h"

#include "badge/badgesetup.h"
#include "i18n/languages.h"
#include "i18n/previewtexts.h"
#include "render/codepage.h"
#include "render/fontset.h"

#include <QDir>

#include <map>

namespace glintag {

namespace {

constexpr std::uint16_t kQuestionMark = 0x3F;

// Characters (surrogate pairs kept whole) that a code page turns into '?'.
QString replacedCharacters(const QString &text, CodePage &page)
{
    QString found;
    for (int i = 0; i < text.size(); ++i) {
        const bool pair = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        const QString ch = text.mid(i, pair ? 2 : 1);
        bool lost = false;
        for (const QChar unit : ch)
            lost = lost || (unit != QLatin1Char('?') && page.code(unit.unicode()) == kQuestionMark);
        if (lost && !found.contains(ch))
            found += ch;
        if (pair)
            ++i;
    }
    return found;
}

int drawingLanguage(const QString &characters, int current)
{
    for (int lang = 0; lang < kUiLanguageCount; ++lang) {
        if (lang == current)
            continue;
        CodePage &page = CodePage::shared(hostOrLanguageCodePage(lang));
        if (replacedCharacters(characters, page).isEmpty())
            return lang;
    }
    return -1;
}

// True when some pixel shows a colour but none would light a dot.
bool pictureShowsSomething(const QImage &picture)
{
    const QImage img = picture.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x)
            if (line[x] & 0x00FFFFFFu)
                return true;
    }
    return false;
}

} // namespace

bool LossWarning::operator==(const LossWarning &o) const
{
    return kind == o.kind && slot == o.slot && characters == o.characters && drawingLanguage == o.drawingLanguage
        && renderedBytes == o.renderedBytes && bytesCut == o.bytesCut && fileName == o.fileName && folders == o.folders;
}

std::vector<LossWarning> findLossWarnings(const BadgeSetup &setup, const Rendering &rendering)
{
    std::vector<LossWarning> warnings;
    CodePage &page = CodePage::shared(hostOrLanguageCodePage(setup.language));
    const QString upright = doubleByteFontName(setup.language);
    const RowBytes &rendered = rendering.rendered, &sent = rendering.sent;
    std::map<QString, int> missingFonts; // file name → first slot needing it

    for (int i = 0; i < kSlotCount; ++i) {
        const SlotSetup &slot = setup.slots[size_t(i)];
        if (!slot.select)
            continue;
        if (!slot.image) {
            LossWarning w;
            w.slot = i;
            w.characters = replacedCharacters(slot.text, page);
            if (!w.characters.isEmpty()) {
                w.drawingLanguage = drawingLanguage(w.characters, setup.language);
                warnings.push_back(w);
            }
            bool single = false, doubleByte = false;
            for (const QChar unit : slot.text)
                (CodePage::isDoubleByte(page.code(unit.unicode())) ? doubleByte : single) = true;
            const QString doubleFile = slot.vertical ? upright + QLatin1Char('V') : upright;
            if (single)
                missingFonts.emplace(asciiFontName(), i);
            if (doubleByte)
                missingFonts.emplace(doubleFile, i);
        } else if (rendered[size_t(i)] == 0 && pictureShowsSomething(slot.picture)) {
            LossWarning w;
            w.kind = LossKind::NothingLit;
            w.slot = i;
            warnings.push_back(w);
        }
        if (sent[size_t(i)] < rendered[size_t(i)]) {
            LossWarning w;
            w.kind = sent[size_t(i)] > 0 ? LossKind::CutAtLimit : LossKind::DroppedAtLimit;
            w.slot = i;
            w.renderedBytes = rendered[size_t(i)];
            w.bytesCut = rendered[size_t(i)] - sent[size_t(i)];
            warnings.push_back(w);
        }
    }
    for (const auto &[name, slot] : missingFonts) {
        if (!rendering.missingFonts.contains(name))
            continue;
        LossWarning w;
        w.kind = LossKind::MissingFont;
        w.slot = slot;
        w.fileName = name;
        w.folders = rendering.fontFolders;
        warnings.push_back(w);
    }
    return warnings;
}

QString lossWarningText(const LossWarning &w, int uiLanguage)
{
    const PreviewTexts &t = previewTexts(uiLanguage);
    const QString slot = QString::number(w.slot + 1);
    const QStringList &names = uiLanguageNames();
    const QString current = names.value(uiLanguage, names.back());
    switch (w.kind) {
    case LossKind::ReplacedCharacters:
        if (w.drawingLanguage < 0)
            return t.replacedNowhere.arg(slot, w.characters, current);
        return t.replaced.arg(slot, w.characters, current, names.value(w.drawingLanguage));
    case LossKind::CutAtLimit:
        return t.cut.arg(slot, QString::number(w.bytesCut), QString::number(w.renderedBytes));
    case LossKind::DroppedAtLimit:
        return t.dropped.arg(slot, QString::number(w.renderedBytes));
    case LossKind::NothingLit:
        return t.nothingLit.arg(slot);
    case LossKind::MissingFont:
        return t.missingFont.arg(slot, w.fileName, QDir::toNativeSeparators(w.folders.join(QStringLiteral("; "))));
    }
    return {};
}

} // namespace glintag
