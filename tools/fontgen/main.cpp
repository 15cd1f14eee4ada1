// Writes the badge font files (one single-byte file, four double-byte
// families, each upright and turned) from Debian's bitmap fonts.
//
//   glintag_fontgen OUTPUT_FOLDER [SOURCE_FONT_FOLDER]

#include "codepagemap.h"
#include "fontbuilder.h"
#include "sourcefont.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

using namespace glintag::fontgen;

namespace {

const FontSource kFixed{{"6x12.pcf.gz", "6x12.pcf"}, "xfonts-base"};
const FontSource kWenQuanYi{{"wenquanyi_9pt.pcf", "wenquanyi_9pt.pcf.gz"}, "xfonts-wqy"};
const FontSource kMPlus{{"mplus_j12r.pcf.gz", "mplus_j12r.pcf"}, "xfonts-mplus"};
const FontSource kBaekmuk{{"gulim12.pcf.gz", "gulim12.pcf"}, "xfonts-baekmuk"};
// The only installed bitmap font with all 11,172 Hangul syllables near this
// size (its syllables have 11 rows of ink like the 12-pixel fonts); also the
// last resort for the few symbols the others lack.
const FontSource kFixedJa{{"12x13ja.pcf.gz", "12x13ja.pcf"}, "xfonts-base", 13};

[[noreturn]] void fail(const std::string &message)
{
    std::fprintf(stderr, "glintag_fontgen: error: %s\n", message.c_str());
    std::exit(1);
}

// Through a temporary name, so an interrupted run never leaves a short
// file that the program would take for a font.
void writeFile(const std::filesystem::path &folder, const std::string &name, const std::vector<std::uint8_t> &bytes)
{
    const std::filesystem::path target = folder / name;
    const std::filesystem::path temporary = folder / (name + ".tmp");
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out)
            fail("cannot write " + temporary.string());
    }
    std::error_code ec;
    std::filesystem::rename(temporary, target, ec);
    if (ec)
        fail("cannot rename " + temporary.string() + " to " + target.string() + ": " + ec.message());
}

void report(const std::string &name, const BuiltFont &font)
{
    std::printf("%s: %d of %d mapped codes inked\n", name.c_str(), font.inkedCodes, font.mappedCodes);
}

struct Family {
    const char *name;
    const char *codePage;
    std::vector<SourceFont *> sources;
};

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER [SOURCE_FONT_FOLDER]\n", argv[0]);
        return 2;
    }
    const std::filesystem::path outFolder = argv[1];
    std::vector<std::string> fontFolders;
    if (argc == 3)
        fontFolders.push_back(argv[2]);
    else
        fontFolders = {"/usr/share/fonts/X11/misc", "/usr/share/fonts/X11/75dpi"};

    std::string error;
    auto load = [&](const FontSource &source) {
        std::unique_ptr<SourceFont> font = SourceFont::open(source, fontFolders, &error);
        if (!font)
            fail(error);
        return font;
    };
    // Open every source before writing anything: a missing package must
    // not leave a half-refreshed set of files behind.
    const std::unique_ptr<SourceFont> fixed = load(kFixed);
    const std::unique_ptr<SourceFont> wenQuanYi = load(kWenQuanYi);
    const std::unique_ptr<SourceFont> mPlus = load(kMPlus);
    const std::unique_ptr<SourceFont> baekmuk = load(kBaekmuk);
    const std::unique_ptr<SourceFont> fixedJa = load(kFixedJa);

    std::error_code ec;
    std::filesystem::create_directories(outFolder, ec);
    if (ec)
        fail("cannot create " + outFolder.string() + ": " + ec.message());

    const std::vector<char32_t> western = narrowCodePoints("windows-1252", &error);
    if (western.empty())
        fail(error);
    const BuiltFont narrow = buildNarrowFont(western, {fixed.get()});
    writeFile(outFolder, "ASC12", narrow.upright);
    report("ASC12", narrow);

    const std::vector<Family> families = {
        {"HzK12", "windows-936", {wenQuanYi.get(), fixedJa.get()}},
        {"TwK12", "windows-950", {wenQuanYi.get(), fixedJa.get()}},
        {"JpK12", "windows-932", {mPlus.get(), wenQuanYi.get(), fixedJa.get()}},
        {"KrK12", "windows-949", {baekmuk.get(), fixedJa.get(), wenQuanYi.get()}},
    };
    for (const Family &family : families) {
        const std::vector<char32_t> codePoints = wideCodePoints(family.codePage, &error);
        if (codePoints.empty())
            fail(error);
        const BuiltFont font = buildWideFont(codePoints, family.sources);
        writeFile(outFolder, family.name, font.upright);
        writeFile(outFolder, std::string(family.name) + "V", font.vertical);
        report(family.name, font);
    }
    return 0;
}
