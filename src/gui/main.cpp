// sprandel: the wizard. "sprandel JOB.spr" is quick launch: connect, then only the progress
// and finish pages.
#include <QApplication>
#include <QIcon>
#include <QStringList>

#include "gui/sprandel_session.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/art/icon.png")));
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    // The profile is the whole rest of the command line, as typed.
    return run_sprandel(arguments.join(QLatin1Char(' ')));
}
