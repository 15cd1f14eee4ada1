#include "preview/losswarnings.h"

#include "badge/badgesetup.h"
#include "i18n/languages.h"
#include "i18n/previewtexts.h"
#include "render/codepage.h"
#include "render/fontset.h"
#include "render/messagebuilder.h"

#include <QDir>

#include <algorithm>
#include <map>
#include <vector>

namespace glintag {

namespace {

constexpr std::uint16_t kQuestionMark = 0x3F;

// Whether a character (one unit, or a surrogate pair) goes out as '?'.
bool replaced(const QChar *ch, int units, CodePage &page)
{
    for (int k = 0; k < units; ++k)
        if (ch[k] != QLatin1Char('?') && page.code(ch[k].unicode()) == kQuestionMark)
            return true;
    return false;
}

// Characters (surrogate pairs kept whole) that a code page turns into '?',
// each once. A bit per code point remembers what was found, so a text of
// thousands of distinct characters costs no more than its length; the bits
// are cleared again on the way out.
QString replacedCharacters(const QString &text, CodePage &page)
{
    thread_local std::vector<std::uint64_t> seen(0x110000 / 64);
    QString found;
    std::vector<char32_t> marked;
    for (int i = 0; i < text.size(); ++i) {
        const bool pair = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        const int units = pair ? 2 : 1;
        if (replaced(text.constData() + i, units, page)) {
            const char32_t ch = pair ? QChar::surrogateToUcs4(text[i], text[i + 1]) : char32_t(text[i].unicode());
            std::uint64_t &word = seen[ch / 64];
            const std::uint64_t bit = std::uint64_t(1) << (ch % 64);
            if (!(word & bit)) {
                word |= bit;
                marked.push_back(ch);
                found.append(text.constData() + i, units);
            }
        }
        i += units - 1;
    }
    for (const char32_t ch : marked)
        seen[ch / 64] = 0;
    return found;
}

// Whether a code page holds every one of a text's characters.
bool holdsAll(const QString &text, CodePage &page)
{
    for (int i = 0; i < text.size(); ++i) {
        const bool pair = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        if (replaced(text.constData() + i, pair ? 2 : 1, page))
            return false;
        i += int(pair);
    }
    return true;
}

// Characters the user sees (a surrogate pair is one) among a text's units
// from `from` on.
int charactersFrom(const QString &text, int from)
{
    int count = 0;
    for (int i = std::max(from, 0); i < text.size(); ++i)
        count += !(i > from && text[i].isLowSurrogate() && text[i - 1].isHighSurrogate());
    return count;
}

// One past the last byte of a slot's rows that holds a lit dot: its drawing
// without the blank frames Animation pads slot 1 with.
int litBytes(const DotBuffer &dots, int slot, int rowBytes)
{
    int lit = 0;
    for (int r = 0; r < kRowCount; ++r)
        for (int b = std::min(rowBytes, kRowByteCount); b > lit; --b)
            if (dots.at(slot, r, b - 1)) {
                lit = b;
                break;
            }
    return lit;
}

int drawingLanguage(const QString &characters, int current)
{
    for (int lang = 0; lang < kUiLanguageCount; ++lang) {
        if (lang == current)
            continue;
        CodePage &page = CodePage::shared(hostOrLanguageCodePage(lang));
        if (holdsAll(characters, page))
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

// What of a text never reaches the badge: the characters past the end of
// the slot's own row, and those the shared 512-byte row cuts off. A
// character counts as lost unless all its dots go out.
LossWarning textCut(const SlotSetup &slot, int index, const BadgeModel &model, CodePage &page, int rendered, int sent)
{
    LossWarning w;
    w.slot = index;
    if (slot.text.isEmpty())
        return w;
    const int advance = doubleByteAdvance(model, moveModeAt(slot.mode));
    const int drawn = textUnitsWithin(slot.text, advance, page, kRowColumns);
    const int kept = sent < rendered ? textUnitsWithin(slot.text, advance, page, sent * 8) : drawn;
    w.charactersCut = charactersFrom(slot.text, kept);
    w.characterCount = charactersFrom(slot.text, 0);
    w.kind = sent == 0 ? LossKind::DroppedAtLimit : kept < drawn ? LossKind::CutAtLimit : LossKind::PastRowEnd;
    return w;
}

} // namespace

bool LossWarning::operator==(const LossWarning &o) const
{
    return kind == o.kind && slot == o.slot && characters == o.characters && drawingLanguage == o.drawingLanguage
        && renderedBytes == o.renderedBytes && bytesCut == o.bytesCut && fileName == o.fileName && folders == o.folders
        && sendLanguage == o.sendLanguage && charactersCut == o.charactersCut && characterCount == o.characterCount;
}

std::vector<LossWarning> findLossWarnings(const BadgeSetup &setup, const Rendering &rendering)
{
    std::vector<LossWarning> warnings;
    CodePage &page = CodePage::shared(hostOrLanguageCodePage(setup.language));
    const QString upright = doubleByteFontName(setup.language);
    const RowBytes &rendered = rendering.rendered, &sent = rendering.sent;
    const BadgeModel &model = badgeModel(setup.model);
    std::map<QString, int> missingFonts; // file name → first slot needing it

    for (int i = 0; i < kSlotCount; ++i) {
        const SlotSetup &slot = setup.slots[size_t(i)];
        if (!slot.select)
            continue;
        if (!slot.image) {
            LossWarning w;
            w.slot = i;
            w.sendLanguage = setup.language;
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
            if (LossWarning cut = textCut(slot, i, model, page, rendered[size_t(i)], sent[size_t(i)]);
                cut.charactersCut > 0)
                warnings.push_back(cut);
            continue;
        }
        if (rendered[size_t(i)] == 0) {
            LossWarning w;
            w.kind = pictureShowsSomething(slot.picture) ? LossKind::NothingLit : LossKind::NoPicture;
            w.slot = i;
            warnings.push_back(w);
        }
        // Only lit bytes count: the blank frames Animation pads with are no loss.
        const int lit = sent[size_t(i)] < rendered[size_t(i)] ? litBytes(rendering.dots, i, rendered[size_t(i)]) : 0;
        if (sent[size_t(i)] < lit) {
            LossWarning w;
            w.kind = sent[size_t(i)] > 0 ? LossKind::CutAtLimit : LossKind::DroppedAtLimit;
            w.slot = i;
            w.renderedBytes = lit;
            w.bytesCut = lit - sent[size_t(i)];
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

QString lossWarningText(const LossWarning &w, int uiLanguage, LanguageNaming naming)
{
    const PreviewTexts &t = previewTexts(uiLanguage);
    const QString slot = QString::number(w.slot + 1);
    const QStringList &names = uiLanguageNames();
    const QString sentUnder = names.value(w.sendLanguage, names.back());
    const bool option = naming == LanguageNaming::Option;
    switch (w.kind) {
    case LossKind::ReplacedCharacters:
        if (w.drawingLanguage < 0)
            return (option ? t.replacedNowhereOption : t.replacedNowhere).arg(slot, w.characters, sentUnder);
        return (option ? t.replacedOption : t.replaced)
            .arg(slot, w.characters, sentUnder,
                 option ? uiLanguageCodes().value(w.drawingLanguage) : names.value(w.drawingLanguage));
    case LossKind::CutAtLimit:
        if (w.characterCount > 0)
            return t.cutCharacters.arg(slot, QString::number(w.charactersCut), QString::number(w.characterCount));
        return t.cut.arg(slot, QString::number(w.bytesCut), QString::number(w.renderedBytes));
    case LossKind::DroppedAtLimit:
        if (w.characterCount > 0)
            return t.droppedCharacters.arg(slot, QString::number(w.characterCount));
        return t.dropped.arg(slot, QString::number(w.renderedBytes));
    case LossKind::NothingLit:
        return t.nothingLit.arg(slot);
    case LossKind::MissingFont:
        return t.missingFont.arg(slot, w.fileName, QDir::toNativeSeparators(w.folders.join(QStringLiteral("; "))));
    case LossKind::PastRowEnd:
        return t.pastRowEnd.arg(slot, QString::number(w.charactersCut), QString::number(w.characterCount));
    case LossKind::NoPicture:
        return t.noPicture.arg(slot);
    }
    return {};
}

} // namespace glintag
