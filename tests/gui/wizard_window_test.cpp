// The wizard as a user drives it: pages by control id, every box answered by the test,
// jobs run through the OCI emulator and the workbook read back by an independent reader.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <QtTest>
#include <deque>
#include <functional>

#include "../support/emulator.h"
#include "../support/workbook_reader.h"
#include "convert/conversion_run.h"
#include "gui/sprandel_session.h"
#include "gui/sprandel_wizard.h"

namespace {

// Answers the modal windows that come up, in order: each step gets the window and acts on
// it. A window nobody expected is closed and recorded, so a test fails instead of hanging.
class modal_answerer : public QObject {
public:
    using step = std::function<void(QWidget*)>;

    modal_answerer() {
        connect(&timer_, &QTimer::timeout, this, &modal_answerer::tick);
        timer_.start(20);
    }
    void then(step action) { steps_.push_back(std::move(action)); }
    // A message box: its caption and text are recorded, then the button is clicked.
    void answer(QMessageBox::StandardButton button) {
        then([this, button](QWidget* window) {
            auto* box = qobject_cast<QMessageBox*>(window);
            seen << (box ? box->windowTitle() + " | " + box->text() : "not a message box: " + window->objectName());
            if (box) box->button(button)->click();
            else window->close();
        });
    }
    bool done() const { return steps_.empty(); }

    QStringList seen;

private:
    void tick() {
        QWidget* window = QApplication::activeModalWidget();
        // the connect animation closes by itself; a window already handled waits for its step
        if (window == nullptr || window->objectName() == "101" || window == handled_) return;
        handled_ = window;
        if (steps_.empty()) {
            seen << "unexpected: " + window->objectName() + " " + window->windowTitle();
            QTimer::singleShot(0, window, &QWidget::close);
            return;
        }
        step action = std::move(steps_.front());
        steps_.pop_front();
        // Run outside this tick: the action may open a nested box that needs the next ticks.
        QTimer::singleShot(0, window, [action, window] { action(window); });
    }

    QTimer timer_;
    std::deque<step> steps_;
    QPointer<QWidget> handled_;
};

template <class T>
T* control(QWidget* page, const char* id) {
    T* found = page->findChild<T*>(QString::fromLatin1(id));
    if (found == nullptr) qFatal("control %s missing on %s", id, qPrintable(page->objectName()));
    return found;
}

// With SPRANDEL_SCREENSHOT_DIR set (and a real display) the pages are saved as pictures for
// the README; the test itself does not look at them.
void snapshot(QWidget* window, const char* name) {
    const QString folder = qEnvironmentVariable("SPRANDEL_SCREENSHOT_DIR");
    if (folder.isEmpty()) return;
    QTest::qWait(100);  // let the page paint
    window->grab().save(folder + '/' + QString::fromLatin1(name) + ".png");
}

}  // namespace

class wizard_window_test : public QObject {
    Q_OBJECT

private:
    wizard_environment environment() {
        wizard_environment settings;
        settings.settings_path = folder_.path() / "Sprandel.conf";
        settings.oracle_library_candidates = {OCIEMU_LIBRARY};
        settings.default_folder = folder_.path().string();
        settings.open_url = [this](const QUrl& address) { opened_ << address.toString(); };
        return settings;
    }
    std::string write_profile(const std::string& dest, const std::string& password, const std::string& tables) {
        const std::string path = folder_.file("job.spr");
        write_file(path, "[Generic settings]\ndest=" + dest + "\nsrc=WIZGUI\n\n[MS Excel settings]\nformat version=2\n\n"
                         "[Oracle settings]\nuser=SCOTT\npassword=" + password + "\n\n[Selected Tables]\n" + tables);
        return path;
    }

    temp_folder folder_;
    emulator_database source_{"WIZGUI",
                              {"CREATE TABLE EMP (ID NUMBER(4), NAME VARCHAR2(20))",
                               "INSERT INTO EMP VALUES (1, 'Ada'), (2, 'Grace')",
                               "CREATE TABLE DEPT (ID NUMBER(4), TITLE VARCHAR2(20))",
                               "INSERT INTO DEPT VALUES (10, 'Research')", "CREATE TABLE SALES (ID NUMBER(4))"}};
    QStringList opened_;

private slots:
    void interactive_run_from_welcome_to_finish() {
        const std::string dest = folder_.file("out.xlsx");
        write_file(dest, "an old workbook");
        modal_answerer answers;
        {
            sprandel_session session(environment());
            QVERIFY(!session.open(QString()).has_value());
            sprandel_wizard& wizard = session.wizard();
            wizard.show();
            QCOMPARE(wizard.currentId(), int(wizard_page_id::welcome));
            snapshot(&wizard, "wizard-1-welcome");
            wizard.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&wizard));
            QTest::keyClick(&wizard, Qt::Key_F1);  // F1 is the Help button
            wizard.next();
            wizard.button(QWizard::HelpButton)->click();

            // the pages' rules are the page models' (page_models_test); here one box of each
            // kind shows that the pages ask them
            QWizardPage* connection = wizard.currentPage();
            control<QLineEdit>(connection, "1014")->setText("WIZGUI");
            control<QLineEdit>(connection, "1012")->setText("SCOTT");
            control<QLineEdit>(connection, "1013")->setText("wrong");
            answers.answer(QMessageBox::Ok);
            wizard.next();  // refused login: the page stays
            QCOMPARE(wizard.currentId(), int(wizard_page_id::connection));
            control<QLineEdit>(connection, "1013")->setText("tiger");
            snapshot(&wizard, "wizard-2-connection");
            wizard.next();
            QCOMPARE(wizard.currentId(), int(wizard_page_id::settings));

            QWizardPage* settings = wizard.currentPage();
            QCOMPARE(control<QLineEdit>(settings, "1004")->text(), QString::fromStdString(folder_.file("WIZGUI.xls")));
            auto* format = control<QComboBox>(settings, "1302");
            format->setCurrentIndex(2);
            emit format->activated(2);
            QVERIFY(control<QLabel>(settings, "1320")->text().contains("MS Excel 2010 format"));
            control<QLineEdit>(settings, "1004")->setText(QString::fromStdString(dest));
            snapshot(&wizard, "wizard-3-settings");
            answers.answer(QMessageBox::Yes);
            wizard.next();
            QCOMPARE(wizard.currentId(), int(wizard_page_id::table_selection));

            QWizardPage* tables = wizard.currentPage();
            auto* available = control<QListWidget>(tables, "1317");
            QCOMPARE(available->count(), 3);
            available->setCurrentRow(0);  // DEPT
            control<QPushButton>(tables, "1101")->click();
            available->setCurrentRow(0);  // EMP
            control<QPushButton>(tables, "1101")->click();
            answers.then([](QWidget* dialog) {
                control<QLineEdit>(dialog, "1019")->setText("Names");
                control<QPlainTextEdit>(dialog, "1020")->setPlainText("  SELECT NAME FROM EMP ORDER BY ID");
                snapshot(dialog, "wizard-4b-query-dialog");
                control<QPushButton>(dialog, "1")->click();
            });
            control<QPushButton>(tables, "1114")->click();
            auto* selected = control<QListWidget>(tables, "1318");
            QCOMPARE(selected->count(), 3);
            QCOMPARE(selected->item(2)->text(), QString("Names"));
            snapshot(&wizard, "wizard-4-tables");
            wizard.next();

            QCOMPARE(wizard.currentId(), int(wizard_page_id::progress));
            QTRY_COMPARE_WITH_TIMEOUT(wizard.currentId(), int(wizard_page_id::finish), 60000);
            QWizardPage* finish = wizard.currentPage();
            QVERIFY(control<QLabel>(finish, "1314")->text().contains("successfully"));
            QVERIFY(control<QPlainTextEdit>(finish, "1016")->isHidden());
            snapshot(&wizard, "wizard-6-finish");
            control<QCheckBox>(finish, "1225")->setChecked(true);
            wizard.button(QWizard::FinishButton)->click();
            QCOMPARE(wizard.result(), int(QDialog::Accepted));
        }
        QCOMPARE(answers.seen, QStringList({"Sprandel 4.1 Error | Invalid user name or password.",
                                            "Sprandel 4.1 Question | Destination file already exists. Overwrite?"}));
        QVERIFY(answers.done());
        const auto help = [](const char* topic) {
            return QUrl::fromLocalFile(QCoreApplication::applicationDirPath() + "/help/" + topic + ".html").toString();
        };
        QCOMPARE(opened_.join(" "), QStringList({help("1012"), help("1010"),
                                       QUrl::fromLocalFile(QString::fromStdString(dest)).toString()})
                                          .join(" "));
        QCOMPARE(QString::fromStdString(dump_workbook_text(dest)),
                 QString("sheet\tDEPT\t2\t2\nR\ts:ID\ts:TITLE\nR\tn:10\ts:Research\n"
                         "sheet\tEMP\t3\t2\nR\ts:ID\ts:NAME\nR\tn:1\ts:Ada\nR\tn:2\ts:Grace\n"
                         "sheet\tNames\t3\t1\nR\ts:NAME\nR\ts:Ada\nR\ts:Grace\n"));
        // the settings of the run are kept for the next start
        QVERIFY(read_file(folder_.path() / "Sprandel.conf").find("dest=sz:" + dest) != std::string::npos);
    }

    void quick_launch_runs_the_profile_and_lists_its_errors() {
        const std::string dest = folder_.file("quick.xlsx");
        write_file(dest, "an old workbook");
        const std::string profile = write_profile(dest, "tiger", "DEPT\nNOPE\n");
        modal_answerer answers;
        answers.then([&answers](QWidget* dialog) {  // the missing table's Continue/Abort dialog
            answers.seen << dialog->windowTitle() + " | " + control<QLabel>(dialog, "1320")->text();
            control<QPushButton>(dialog, "2")->click();
        });
        {
            sprandel_session session(environment());
            QVERIFY(!session.open(QString::fromStdString(profile)).has_value());
            sprandel_wizard& wizard = session.wizard();
            wizard.show();
            QCOMPARE(wizard.currentId(), int(wizard_page_id::progress));
            QTRY_COMPARE_WITH_TIMEOUT(wizard.currentId(), int(wizard_page_id::finish), 60000);
            QWizardPage* finish = wizard.currentPage();
            QVERIFY(control<QLabel>(finish, "1314")->text().startsWith("There were some errors"));
            snapshot(&wizard, "wizard-6-finish-with-errors");
            QCOMPARE(control<QPlainTextEdit>(finish, "1016")->toPlainText(),
                     QString("NOPE: The table does not exist in the source database.\n\n"));
            control<QCheckBox>(finish, "1225")->setChecked(false);
            wizard.button(QWizard::FinishButton)->click();
        }
        QCOMPARE(answers.seen,
                 QStringList{"Sprandel 4.1 Error | NOPE: The table does not exist in the source database."});
        QVERIFY(opened_.isEmpty());
        QCOMPARE(QString::fromStdString(dump_workbook_text(dest)),
                 QString("sheet\tDEPT\t2\t2\nR\ts:ID\ts:TITLE\nR\tn:10\ts:Research\n"));
    }

    void quick_launch_ends_before_the_wizard_on_a_missing_profile_or_a_refused_login() {
        const std::string dest = folder_.file("never.xlsx");
        modal_answerer answers;
        answers.answer(QMessageBox::Ok);
        answers.answer(QMessageBox::Ok);
        {
            sprandel_session session(environment());
            QCOMPARE(session.open(QString::fromStdString(folder_.file("missing.spr"))), std::optional<int>(0));
        }
        {
            sprandel_session session(environment());
            QCOMPARE(session.open(QString::fromStdString(write_profile(dest, "wrong", "DEPT\n"))),
                     std::optional<int>(255));
        }
        // no wizard yet: the boxes have plain captions
        QCOMPARE(answers.seen,
                 QStringList({"Error | Profile does not exist. Please verify the correct path/name was given.",
                              "Error | Invalid user name or password."}));
        QVERIFY(!std::filesystem::exists(dest));
    }

    void cancel_during_the_run_stops_it_and_writes_no_workbook() {
        source_.exec("CREATE TABLE BIG (ID NUMBER(9), LABEL VARCHAR2(30))");
        source_.exec("INSERT INTO BIG WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 400000) "
                     "SELECT i, 'row ' || i FROM n");
        const std::string dest = folder_.file("big.xlsx");
        modal_answerer answers;
        answers.answer(QMessageBox::Yes);
        {
            sprandel_session session(environment());
            QVERIFY(!session.open(QString::fromStdString(write_profile(dest, "tiger", "BIG\n"))).has_value());
            sprandel_wizard& wizard = session.wizard();
            wizard.show();
            // the window keeps following the run: the timer fills the status line
            auto* status = control<QLabel>(wizard.currentPage(), "1323");
            QTRY_VERIFY_WITH_TIMEOUT(!status->text().isEmpty(), 30000);
            QCOMPARE(status->text(), QString("Processing table 'BIG'"));
            snapshot(&wizard, "wizard-5-progress");
            wizard.reject();  // Cancel while the run goes on
            QCOMPARE(wizard.result(), int(QDialog::Rejected));
            QVERIFY(session.last_run() != nullptr);
            QVERIFY(session.last_run()->was_stopped());
            QVERIFY(session.last_run()->progress().is_finished());
        }
        QCOMPARE(answers.seen, QStringList{"Sprandel 4.1 Question | Are you sure you want to exit the wizard?"});
        // an .xlsx package is written whole or not at all, and nothing temporary stays behind
        QVERIFY(!std::filesystem::exists(dest));
        for (const auto& entry : std::filesystem::directory_iterator(folder_.path()))
            QVERIFY2(entry.path().filename().string().rfind("big", 0) != 0, entry.path().c_str());
        source_.exec("DROP TABLE BIG");
    }

    void cleanup() { opened_.clear(); }
};

QTEST_MAIN(wizard_window_test)
#include "wizard_window_test.moc"
