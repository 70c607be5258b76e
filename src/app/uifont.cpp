#include "app/uifont.h"

#include <QApplication>
#include <QFont>

namespace tandor28 {

void applyApplicationFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("微软雅黑"), QStringLiteral("Microsoft YaHei"),
                      QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC"),
                      QStringLiteral("Noto Sans SC")});
    font.setPixelSize(12);
    font.setWeight(QFont::Normal);
    QApplication::setFont(font);
}

} // namespace tandor28
