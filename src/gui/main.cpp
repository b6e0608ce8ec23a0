// sprandel: the wizard. "sprandel JOB.spr" is quick launch: connect, then only the progress
// and finish pages.
#include <QApplication>
#include <QIcon>
#include <QStringList>
#include <cstdio>
#include <cstring>

#include "gui/sprandel_session.h"

namespace {

constexpr const char* usage_text =
    "usage: sprandel [JOB.spr]\n"
    "       sprandel --help | --version\n"
    "\n"
    "Without JOB.spr, starts the conversion wizard with the settings of the last run. With it,\n"
    "runs the job saved in JOB.spr (quick launch): connects to its Oracle database, converts\n"
    "its tables and queries while the progress page is shown, and ends on the finish page.\n"
    "Everything after the program's name is taken as the profile's path, blanks included.\n"
    "\n"
    "Exit status after a run: 0 converted without errors, 1 converted with errors listed,\n"
    "2 no workbook written or the run stopped. 1 also when the wizard was cancelled before\n"
    "a run, 255 when the connection failed, 0 when the profile could not be used (a message\n"
    "said why).\n";

}  // namespace

int main(int argc, char** argv) {
    // Before any window: these answer on a terminal without a display.
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(usage_text, stdout);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::puts("sprandel 4.1");
        return 0;
    }
    QApplication application(argc, argv);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/art/icon.png")));
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    // The profile is the whole rest of the command line, as typed.
    return run_sprandel(arguments.join(QLatin1Char(' ')));
}
