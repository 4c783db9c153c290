#include "slots.h"

namespace model {

QString letterCaption(int index) { return QString(QChar(letters.at(index).capital)); }
QString letterCode(int index) { return QString::fromLatin1(letters.at(index).morse); }
QString letterName(int index) { return QString::fromUtf16(letters.at(index).name); }

int letterIndexOf(QChar capital)
{
    for (std::size_t i = 0; i < letters.size(); ++i) {
        if (letters[i].capital == capital.unicode())
            return int(i);
    }
    return -1;
}

QString buttonName(int number) { return QStringLiteral("Command%1").arg(number); }
QString letterFieldName(int index) { return QStringLiteral("Text1(%1)").arg(index); }
QString fieldName(int number) { return QStringLiteral("Text%1").arg(number); }

}  // namespace model
