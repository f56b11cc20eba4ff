#include "app/design_fonts.h"

#include <QStringList>

namespace varneth {

void RegisterDesignFontSubstitutions() {
    struct Substitution {
        const char* designName;
        const char* installed;
    };
    static const Substitution kSubstitutions[] = {
        {kFontYaHei, "WenQuanYi Micro Hei"},
        {kFontKai, "AR PL UKai CN"},
        {kFontNewSong, "AR PL UMing CN"},
    };
    for (const Substitution& s : kSubstitutions) {
        const QString name = QString::fromUtf8(s.designName);
        if (!QFont::substitutes(name).contains(QString::fromLatin1(s.installed)))
            QFont::insertSubstitution(name, QString::fromLatin1(s.installed));
    }
}

QFont DesignFont(const char* family, int characterHeight, bool bold) {
    QFont font(QString::fromUtf8(family));
    // The design asks for a character height, the em square without internal leading (what a
    // negative height asks for on Windows). Qt's pixel size is that same em size as FreeType
    // scales it; the line height Qt reports (ascent + descent) is larger, about 1.2 em for these
    // fonts. So the design's number is passed on unchanged.
    font.setPixelSize(characterHeight);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

}  // namespace varneth
