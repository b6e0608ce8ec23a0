// Where the wizard finds its help: installed (bin/../share/sprandel/help) or beside the
// program in a build tree, the page of each topic, and the error box when the page is missing.
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QtTest>

#include "gui/help_location.h"
#include "gui/qt_user_interface.h"

class help_location_test : public QObject {
    Q_OBJECT

private slots:
    void installed_help_is_found_from_bin_and_a_build_tree_uses_the_folder_beside() {
        QTemporaryDir prefix;
        QVERIFY(prefix.isValid());
        const QString bin = prefix.filePath("usr/bin");
        QVERIFY(QDir().mkpath(bin));
        // nothing installed yet: the folder beside the program, whose absence is then reported
        QCOMPARE(help_folder(bin), bin + "/help");

        const QString installed = prefix.filePath("usr/share/sprandel/help");
        QVERIFY(QDir().mkpath(installed));
        QCOMPARE(help_folder(bin), bin + "/help");  // a folder without the index is not the help
        QFile index(installed + "/index.html");
        QVERIFY(index.open(QIODevice::WriteOnly));
        index.close();
        QCOMPARE(help_folder(bin), installed);
        QCOMPARE(help_folder(bin + "/"), installed);
    }

    void each_topic_has_its_page_and_the_whole_help_is_the_index() {
        QCOMPARE(help_page_name(1010), QStringLiteral("1010.html"));
        QCOMPARE(help_page_name(1025), QStringLiteral("1025.html"));
        QCOMPARE(help_page_name(0), QStringLiteral("index.html"));
        QCOMPARE(help_page_name(-1), QStringLiteral("index.html"));  // the progress page's whole help
    }

    void a_missing_page_gives_the_error_box_and_opens_nothing() {
        // the test program has no help folder beside it and none installed above it
        QVERIFY(!QFileInfo::exists(help_folder(QCoreApplication::applicationDirPath()) + "/index.html"));
        qt_user_interface face;
        QStringList opened;
        face.open_url = [&opened](const QUrl& address) { opened << address.toString(); };
        QString seen;
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                seen = box->windowTitle() + " | " + box->text();
                box->button(QMessageBox::Ok)->click();
            }
        });
        answer.start(20);
        face.display_help(1015);
        answer.stop();
        QCOMPARE(seen, QStringLiteral("Error | Help file does not exist. Reinstall the program."));
        QVERIFY(opened.isEmpty());
    }
};

QTEST_MAIN(help_location_test)
#include "help_location_test.moc"
