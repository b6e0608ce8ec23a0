// Where the help pages are and which page a help topic opens.
#include "gui/help_location.h"

#include <QDir>
#include <QFileInfo>

QString help_folder(const QString& program_folder) {
    const QDir program(program_folder);
    const QString installed = QDir::cleanPath(program.filePath(QStringLiteral("../share/sprandel/help")));
    if (QFileInfo(installed + QStringLiteral("/index.html")).isReadable()) return installed;
    return QDir::cleanPath(program.filePath(QStringLiteral("help")));
}

QString help_page_name(int topic) {
    return topic > 0 ? QString::number(topic) + QStringLiteral(".html") : QStringLiteral("index.html");
}
